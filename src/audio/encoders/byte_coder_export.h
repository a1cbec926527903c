// The shape shared by the exports of the one-byte-per-sample coders
// (G.711 mu-law and A-law, signed and unsigned 8-bit linear).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::audio {

// Codes `count` samples into `count` bytes; a count of 0 or less codes
// nothing and comes back as given.
template <void (*Encode)(const int16_t*, size_t, uint8_t*)>
inline int32_t CodeOneBytePerSample(int32_t count, const int16_t* samples, uint8_t* out) {
  if (count > 0) Encode(samples, static_cast<size_t>(count), out);
  return count;
}

}  // namespace orven::audio
