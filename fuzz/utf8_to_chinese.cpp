// Utf8ToChinese on arbitrary bytes: nothing exactly when the text is not
// valid UTF-8; otherwise a zero-terminated text whose length, terminator
// included, stays within ChineseCapacity(L).
#include "fuzz_support.h"
#include "text/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto text = fuzz::Terminated(data, size);
  const size_t length = std::strlen(text.get());
  const orven::text::Converted result = orven::text::Utf8ToChinese(text.get());
  FUZZ_CHECK(static_cast<bool>(result) == orven::text::CheckUtf8(text.get(), length));
  if (!result) return 0;
  FUZZ_CHECK(result.length + 1 <= orven::text::ChineseCapacity(length));
  FUZZ_CHECK(std::strlen(result.bytes.get()) == result.length);
  return 0;
}
