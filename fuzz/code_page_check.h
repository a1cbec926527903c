// What every UTF-8 to code page converter must do on arbitrary bytes:
// give nothing exactly when the text is not valid UTF-8, and otherwise a
// zero-terminated text whose length, terminator included, stays within the
// converter's capacity for the input length.
#pragma once

#include "fuzz_support.h"
#include "text/code_pages.h"

namespace fuzz {

inline void CheckCodePageConverter(const uint8_t* data, size_t size, orven::text::Converted (*convert)(const char*),
                                   size_t (*capacity)(size_t)) {
  const auto text = Terminated(data, size);
  const size_t length = std::strlen(text.get());
  const orven::text::Converted result = convert(text.get());
  FUZZ_CHECK(static_cast<bool>(result) == orven::text::CheckUtf8(text.get(), length));
  if (!result) return;
  FUZZ_CHECK(result.length + 1 <= capacity(length));
  FUZZ_CHECK(std::strlen(result.bytes.get()) == result.length);
}

}  // namespace fuzz
