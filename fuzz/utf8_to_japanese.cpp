// Utf8ToJapanese on arbitrary bytes, held to the converters' common contract.
#include "code_page_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckCodePageConverter(data, size, orven::text::Utf8ToJapanese, orven::text::JapaneseCapacity);
  return 0;
}
