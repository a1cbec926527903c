// Files, signals and oracle checks shared by the audio tests.
#pragma once

#include "orven_api.h"
#include "test_support.h"

namespace orven_test {

inline constexpr double kPi = 3.14159265358979323846;

// `data` after the library's own header for the container (none for type 2).
inline Bytes Container(int32_t fileType, int32_t encoding, int32_t rate, const Bytes& data) {
  Bytes file(ORVN_WAVE_HEADER_MAX);
  const auto size = static_cast<int32_t>(data.size());
  const auto header = fileType == 0 ? ORVN_MakeWaveHeader : fileType == 1 ? ORVN_MakeAuHeader : nullptr;
  file.resize(header ? header(encoding, rate, size, file.data()) : 0);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

// 16-bit samples as the container stores them.
inline Bytes Samples16(const Samples& samples, bool bigEndian) {
  Bytes bytes(2 * samples.size());
  for (size_t i = 0; i < samples.size(); ++i)
    bytes[2 * i + bigEndian] = static_cast<uint8_t>(samples[i]),
                  bytes[2 * i + !bigEndian] = static_cast<uint8_t>(samples[i] >> 8);
  return bytes;
}

// A sine at 8 kHz.
inline Samples Tone(double hz, double amplitude, int n = 8000) {
  return Make(n, [=](int i) { return amplitude * std::sin(2 * kPi * hz * i / 8000); });
}

// Speech-like at 8 kHz: syllables of a jittered pulse through three random formants, some silent; peak 29000.
inline Samples SpeechLike(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<double> v;
  double phase = 0, y1[3] = {}, y2[3] = {}, peak = 1e-9;
  while (v.size() < n) {
    const size_t length = 400 + rng() % 1600;
    const double f[3] = {300 + 500 * u(rng), 900 + 1300 * u(rng), 2400 + 800 * u(rng)};
    const double pitch = 90 + 130 * u(rng), level = u(rng) < 0.15 ? 0 : std::pow(10.0, -u(rng));
    for (size_t i = 0; i < length; ++i) {
      phase += pitch * (1 + 0.16 * (u(rng) - 0.5)) / 8000;
      phase -= std::floor(phase);
      double s = phase < 0.4 ? std::sin(kPi * phase / 0.4) : -0.25;
      for (int k = 0; k < 3; ++k) {
        const double r = std::exp(-kPi * (80 + 40 * k) / 8000),
                     y = s + 2 * r * std::cos(2 * kPi * f[k] / 8000) * y1[k] - r * r * y2[k];
        y2[k] = y1[k], y1[k] = y, s = y;
      }
      v.push_back(level * std::sin(kPi * static_cast<double>(i) / static_cast<double>(length)) * s);
    }
  }
  for (size_t i = 0; i < n; ++i) peak = std::max(peak, std::fabs(v[i]));
  return Make(static_cast<int>(n), [&](int i) { return 29000 * v[i] / peak; });
}

}  // namespace orven_test
