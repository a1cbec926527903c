// tone.h - the deterministic "tone" backend: one short tone per text byte.
//
// Byte b (printable, above the space) sounds at f = 200 + 10 * (b & 0x7F) Hz
// scaled by pitch/100; spaces and control bytes are silence of the same
// length. Each byte lasts 60 ms scaled by 100/speed, with an amplitude of
// 8000 scaled by volume/100 and a 5 ms linear fade at both ends. Every tone
// starts at phase 0, all arithmetic after the sine table is integer, so the
// same text and settings always give the same samples.
#ifndef SYN_TONE_H
#define SYN_TONE_H

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

class ToneGenerator {
 public:
  // `text` must outlive the generator.
  ToneGenerator(std::string_view text, const ToneSettings& settings) noexcept;

  uint64_t totalSamples() const noexcept { return samplesPerByte_ * text_.size(); }
  uint32_t samplesPerByte() const noexcept { return samplesPerByte_; }
  // Writes the next samples, at most `capacity`; returns how many (0 at the end).
  std::size_t generate(int16_t* out, std::size_t capacity) noexcept;

 private:
  void startByte() noexcept;

  std::string_view text_;
  int32_t rate_;
  int32_t pitch_;
  int32_t amplitude_;
  uint32_t samplesPerByte_;
  uint32_t fade_;
  std::size_t byteIndex_ = 0;
  uint32_t offset_ = 0;     // sample within the current byte
  uint32_t phase_ = 0;      // 32-bit phase accumulator
  uint32_t increment_ = 0;  // 0 for silence
};

}  // namespace syn

#endif
