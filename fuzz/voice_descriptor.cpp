// The voice descriptor reader on arbitrary bytes: it never fails to answer,
// and what it accepts is a descriptor the engine can use (printable name and
// backend within their fields, a rate in range); the same bytes always give
// the same answer.
#include <cstring>
#include <string_view>

#include "fuzz_support.h"
#include "voice_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  syn::VoiceDescriptor first, second;
  const syn::DescriptorResult a = syn::parseVoiceDescriptor(bytes, first);
  const syn::DescriptorResult b = syn::parseVoiceDescriptor(bytes, second);
  FUZZ_CHECK(a.error == b.error && a.line == b.line);
  if (!a.ok()) return 0;
  FUZZ_CHECK(std::memcmp(&first, &second, sizeof first) == 0);
  for (const char* text : {first.name, first.backend}) {
    const size_t length = strnlen(text, sizeof first.name);
    FUZZ_CHECK(length > 0 && length < sizeof first.name);
    for (size_t i = 0; i < length; ++i) FUZZ_CHECK(text[i] >= 0x20 && text[i] <= 0x7E);
  }
  FUZZ_CHECK(first.rate >= syn::kMinRate && first.rate <= syn::kMaxRate);
  return 0;
}
