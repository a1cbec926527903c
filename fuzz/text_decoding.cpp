// The engines' decoding of their national codes on arbitrary bytes, in every
// language and for an unknown one: at most one character per byte, every one
// a Unicode scalar value or U+FFFD, and the same bytes always give the same
// characters.
#include "text_decoding.h"

#include <string>
#include <string_view>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::u32string out, again;
  for (int language = 0; language <= 4; ++language) {
    syn::DecodeText(language, bytes, out);
    FUZZ_CHECK(out.size() <= bytes.size());
    for (char32_t c : out) FUZZ_CHECK(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF));
    syn::DecodeText(language, bytes, again);
    FUZZ_CHECK(out == again);
  }
  return 0;
}
