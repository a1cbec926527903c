// The user dictionary reader on arbitrary bytes, then the dictionary applied
// to arbitrary text: a dictionary is accepted only within its limits, and
// applying it replaces words by readings without reading past the text.
//
// Layout: [0..1] where the dictionary ends (modulo the rest + 1), then the
// dictionary's bytes, then the text.
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t rest = size - 2;
  const size_t split = (data[0] | (data[1] << 8)) % (rest + 1);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), split);
  const std::string text(reinterpret_cast<const char*>(data + 2 + split), rest - split);

  syn::UserDictionary dictionary;
  const syn::DictResult result = syn::parseUserDictionary(bytes, dictionary);
  if (result.error != syn::DictError::none) {
    FUZZ_CHECK(dictionary.size() == 0);
    return 0;
  }
  FUZZ_CHECK(bytes.size() <= syn::kDictMaxBytes);
  FUZZ_CHECK(dictionary.size() <= syn::kDictMaxEntries);
  FUZZ_CHECK(static_cast<size_t>(result.entries) == dictionary.size());
  const std::string replaced = dictionary.apply(text);
  // Without entries nothing changes.
  if (dictionary.size() == 0) FUZZ_CHECK(replaced == text);
  return 0;
}
