// tone.h - the deterministic "tone" backend: one short tone per character.
//
// It takes the decoded characters of the text (code points, see
// text_decoding.h), not the bytes of any code. Character c sounds at
// f = 200 + 10 * (c & 0x7F) Hz scaled by pitch/100, so neighbouring
// characters always differ in pitch; spaces and control characters
// (isSilentChar) are silence of the same length. Each character lasts 60 ms
// scaled by 100/speed, with an amplitude of 8000 scaled by volume/100 and a
// 5 ms linear fade at both ends. Every tone starts at phase 0, all arithmetic
// after the sine table is integer, so the same characters and settings
// always give the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace syn {

struct ToneSettings {
  int32_t rate = 16000;  // Hz, 8000..48000
  int32_t volume = 100;  // percent
  int32_t speed = 100;   // percent, > 0
  int32_t pitch = 100;   // percent
};

// True for the characters the tone backend renders as silence: C0 and C1
// controls, DEL, and the space characters (U+0020, U+00A0, U+1680,
// U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000).
bool IsSilentChar(char32_t c) noexcept;

class ToneGenerator {
 public:
  // `text` must outlive the generator.
  ToneGenerator(std::u32string_view text, const ToneSettings& settings) noexcept;

  uint64_t TotalSamples() const noexcept { return uint64_t{samplesPerChar_} * text_.size(); }
  uint32_t SamplesPerChar() const noexcept { return samplesPerChar_; }
  // Writes the next samples, at most `capacity`; returns how many (0 at the end).
  std::size_t Generate(int16_t* out, std::size_t capacity) noexcept;

 private:
  void StartChar() noexcept;

  std::u32string_view text_;
  int32_t rate_;
  int32_t pitch_;
  int32_t amplitude_;
  uint32_t samplesPerChar_;
  uint32_t fade_;
  std::size_t charIndex_ = 0;
  uint32_t offset_ = 0;     // sample within the current character
  uint32_t phase_ = 0;      // 32-bit phase accumulator
  uint32_t increment_ = 0;  // 0 for silence
};

}  // namespace syn
