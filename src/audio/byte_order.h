// Byte order of the audio containers: WAV fields and samples are
// little-endian, AU fields and samples big-endian, whatever the host.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::audio {

inline void PutLe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, v & 0xFFFF);
  PutLe16(p + 2, v >> 16);
}
inline void PutBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
inline uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Exchanges the two bytes of every sample in place.
inline void SwapSampleBytes(int16_t* samples, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const auto u = static_cast<uint16_t>(samples[i]);
    samples[i] = static_cast<int16_t>((u << 8) | (u >> 8));
  }
}

}  // namespace orven::audio
