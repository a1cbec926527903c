// The voice descriptor parser and the inline tag splitter on arbitrary bytes:
//  - the parser never reads outside an exactly sized heap copy; what it
//    accepts has NUL-terminated printable fields within their size, a rate
//    in range, a backend it knows and a voice that backend can have;
//  - parsing the same bytes again gives the same answer;
//  - the bytes taken as characters split into runs that cover the text less
//    its tags, with every prosody value within its range.
#include "voice_descriptor.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "text_runs.h"

namespace {

bool FieldOk(const char (&field)[syn::kDescriptorTextBytes], bool mayBeEmpty) {
  const std::size_t n = strnlen(field, sizeof field);
  if (n == sizeof field || (n == 0 && !mayBeEmpty)) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (field[i] < 0x20 || field[i] > 0x7E) return false;
  }
  return true;
}

void Descriptor(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> bytes(new char[size]);
  std::memcpy(bytes.get(), data, size);
  const std::string_view view(bytes.get(), size);
  syn::VoiceDescriptor first, second;
  const syn::DescriptorResult r = syn::ParseVoiceDescriptor(view, first);
  const syn::DescriptorResult again = syn::ParseVoiceDescriptor(view, second);
  FUZZ_CHECK(r.error == again.error && r.line == again.line);
  if (!r.Ok()) return;
  FUZZ_CHECK(std::memcmp(&first, &second, sizeof first) == 0);
  FUZZ_CHECK(FieldOk(first.name, false) && FieldOk(first.backend, false));
  FUZZ_CHECK(FieldOk(first.voice, first.kind == syn::Backend::kTone));
  FUZZ_CHECK(first.rate >= syn::kMinRate && first.rate <= syn::kMaxRate);
  FUZZ_CHECK((first.kind == syn::Backend::kTone) == (first.voice[0] == '\0'));
  if (first.kind == syn::Backend::kEspeak) FUZZ_CHECK(syn::IsEspeakVoiceName(first.voice));
}

void Runs(const uint8_t* data, size_t size) {
  std::u32string text;
  for (size_t i = 0; i < size; ++i) text += data[i] == 0xFF ? U'\u3042' : static_cast<char32_t>(data[i]);
  std::vector<syn::TextRun> runs;
  syn::SplitTaggedText(text, syn::Attributes{}, runs);
  std::size_t covered = 0;
  const char32_t* end = text.data();
  for (const syn::TextRun& run : runs) {
    FUZZ_CHECK(!run.text.empty() && run.text.data() >= end &&
               run.text.data() + run.text.size() <= text.data() + text.size());
    end = run.text.data() + run.text.size();
    covered += run.text.size();
    FUZZ_CHECK(run.prosody.volume >= syn::kVolumeMin && run.prosody.volume <= syn::kVolumeMax);
    FUZZ_CHECK(run.prosody.speed >= syn::kSpeedMin && run.prosody.speed <= syn::kSpeedMax);
    FUZZ_CHECK(run.prosody.pitch >= syn::kPitchMin && run.prosody.pitch <= syn::kPitchMax);
    for (std::u32string_view rest = run.text; !rest.empty();) {
      const std::size_t piece = syn::FirstPieceLength(rest);
      FUZZ_CHECK(piece > 0 && piece <= rest.size());
      rest.remove_prefix(piece);
    }
  }
  FUZZ_CHECK(covered <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Descriptor(data, size);
  Runs(data, size);
  return 0;
}
