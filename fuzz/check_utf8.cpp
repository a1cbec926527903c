// CheckUtf8 on arbitrary bytes (zero bytes included), exactly in bounds,
// against a plain walk of the lead-byte table.
#include "fuzz_support.h"
#include "text/utf8.h"

namespace {

bool Walk(const uint8_t* p, size_t n) {
  size_t i = 0;
  while (i < n) {
    const uint8_t b = p[i];
    size_t length = b < 0x80 ? 1 : b < 0xC0 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : b < 0xFC ? 5 : b < 0xFE ? 6 : 0;
    if (length == 0 || i + length > n) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> exact(new char[size]);
  std::memcpy(exact.get(), data, size);
  FUZZ_CHECK(orven::text::CheckUtf8(exact.get(), size) == Walk(data, size));
  return 0;
}
