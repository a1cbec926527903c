// Every text routine on arbitrary bytes against the byte-by-byte rules of the text tests: the UTF-8 check and the
// UTF-16 decoding on all the bytes, the code-page converters and the markup stripper on the text before a zero byte.
#include <string>

#include "../tests/text/text_reference.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string differs =
      orven::text::reference::Differences(std::string(reinterpret_cast<const char*>(data), size));
  if (!differs.empty()) std::fprintf(stderr, "%s differs from its rules\n", differs.c_str());
  FUZZ_CHECK(differs.empty());
  return 0;
}
