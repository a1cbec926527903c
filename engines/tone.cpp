// tone.cpp - the deterministic tone generator.
#include "tone.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace syn {
namespace {

constexpr int kTableBits = 12;
constexpr int kTableSize = 1 << kTableBits;

// One period of a full-scale sine, computed once.
const std::array<int16_t, kTableSize>& SineTable() noexcept {
  static const std::array<int16_t, kTableSize> kTable = [] {
    std::array<int16_t, kTableSize> t{};
    const double step = 2.0 * 3.14159265358979323846 / kTableSize;
    for (int i = 0; i < kTableSize; ++i) {
      t[static_cast<std::size_t>(i)] = static_cast<int16_t>(std::lround(32767.0 * std::sin(step * i)));
    }
    return t;
  }();
  return kTable;
}

constexpr int32_t kBaseAmplitude = 8000;
constexpr int32_t kCharMillis = 60;
constexpr int32_t kFadeMillis = 5;

}  // namespace

bool IsSilentChar(char32_t c) noexcept {
  return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

ToneGenerator::ToneGenerator(std::u32string_view text, const ToneSettings& s) noexcept
    : text_(text), rate_(std::max(s.rate, 1)), pitch_(std::max(s.pitch, 0)) {
  const int32_t speed = std::max(s.speed, 1);
  amplitude_ = std::clamp(kBaseAmplitude * std::max(s.volume, 0) / 100, 0, 32767);
  // rate * 60 ms * (100 / speed), at least one sample.
  samplesPerChar_ =
      static_cast<uint32_t>(std::max<int64_t>(1, int64_t{rate_} * kCharMillis * 100 / (int64_t{1000} * speed)));
  fade_ = std::min(static_cast<uint32_t>(rate_ * kFadeMillis / 1000), samplesPerChar_ / 4);
  (void)SineTable();  // build the table outside the sample loop
  if (!text_.empty()) StartChar();
}

void ToneGenerator::StartChar() noexcept {
  const char32_t c = text_[charIndex_];
  offset_ = 0;
  phase_ = 0;
  if (IsSilentChar(c)) {
    increment_ = 0;
    return;
  }
  // Frequency in hundredths of a hertz; the highest (c & 0x7F = 0x7F, as for
  // U+00FF, at pitch 120) is 1764 Hz, below the 4000 Hz Nyquist limit of the
  // slowest rate.
  const uint64_t centiHz = uint64_t{200u + 10u * (static_cast<uint32_t>(c) & 0x7Fu)} * static_cast<uint64_t>(pitch_);
  increment_ = static_cast<uint32_t>((centiHz << 32) / (uint64_t{100} * static_cast<uint64_t>(rate_)));
}

std::size_t ToneGenerator::Generate(int16_t* out, std::size_t capacity) noexcept {
  const auto& table = SineTable();
  std::size_t written = 0;
  while (written < capacity && charIndex_ < text_.size()) {
    const std::size_t run = std::min<std::size_t>(capacity - written, samplesPerChar_ - offset_);
    if (increment_ == 0) {
      std::fill_n(out + written, run, int16_t{0});
      written += run;
      offset_ += static_cast<uint32_t>(run);
    } else {
      for (std::size_t k = 0; k < run; ++k, ++offset_) {
        int32_t v = (int32_t{table[phase_ >> (32 - kTableBits)]} * amplitude_) >> 15;
        phase_ += increment_;
        const uint32_t left = samplesPerChar_ - 1 - offset_;
        const uint32_t edge = std::min(offset_, left);
        if (edge < fade_) v = static_cast<int32_t>(int64_t{v} * edge / fade_);
        out[written++] = static_cast<int16_t>(v);
      }
    }
    if (offset_ == samplesPerChar_ && ++charIndex_ < text_.size()) StartChar();
  }
  return written;
}

}  // namespace syn
