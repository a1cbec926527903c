// Utf8ToUtf16 on arbitrary bytes into an output of exactly 2n + 2 bytes:
// in bounds, an even count of bytes from 2 to 2n + 2, the mark first, and
// zeros from the last unit to 2n.
#include "fuzz_support.h"
#include "text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> exact(new char[size]);
  std::memcpy(exact.get(), data, size);
  const size_t capacity = orven::text::Utf16Capacity(size);
  std::unique_ptr<unsigned char[]> out(new unsigned char[capacity]);
  std::memset(out.get(), 0x5A, capacity);
  const size_t written = orven::text::Utf8ToUtf16(exact.get(), size, out.get());
  FUZZ_CHECK(written >= 2 && written <= capacity && written % 2 == 0);
  FUZZ_CHECK(out[0] == 0xFF && out[1] == 0xFE);
  for (size_t k = written; k < 2 * size; ++k) FUZZ_CHECK(out[k] == 0);
  return 0;
}
