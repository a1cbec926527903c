// G.711 mu-law and A-law encoding of 16-bit linear PCM.
//
// MuLawCode and ALawCode are the algorithms, one sample at a time; the array
// encoders give exactly their codes through tables that the compiler builds
// from them. Both are pure: no state, no allocation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orven::audio {

// Largest mu-law magnitude coded; larger ones (up to 32768) are clipped.
inline constexpr int32_t kMuLawClip = 32635;
// Added to the clipped magnitude, so that each segment starts at a power of two.
inline constexpr int32_t kMuLawBias = 132;

namespace g711_detail {

// Entry i: the position of the highest set bit of i, 0 for 0 and 1. Indexed
// by bits 7..14 of the biased magnitude, it gives the mu-law exponent.
constexpr std::array<uint8_t, 256> MakeMuLawExponents() {
  std::array<uint8_t, 256> table{};
  for (uint32_t i = 2; i < 256; ++i) {
    uint8_t bit = 0;
    while ((i >> (bit + 1)) != 0) ++bit;
    table[i] = bit;
  }
  return table;
}
inline constexpr std::array<uint8_t, 256> kMuLawExponent = MakeMuLawExponents();

}  // namespace g711_detail

// The G.711 mu-law code of one sample: sign, clipped and biased magnitude,
// exponent and four mantissa bits, complemented. 0x00 is never produced: it
// becomes 0x02 (zero trap), so -32768 codes as 0x02 and 32767 as 0x80.
constexpr uint8_t MuLawCode(int16_t sample) {
  const int32_t sign = sample < 0 ? 0x80 : 0;
  int32_t magnitude = sample < 0 ? -int32_t{sample} : int32_t{sample};
  if (magnitude > kMuLawClip) magnitude = kMuLawClip;
  magnitude += kMuLawBias;
  const int32_t exponent = g711_detail::kMuLawExponent[(magnitude >> 7) & 0xFF];
  const int32_t mantissa = (magnitude >> (exponent + 3)) & 0x0F;
  const auto code = static_cast<uint8_t>(~(sign | exponent << 4 | mantissa));
  return code == 0x00 ? 0x02 : code;
}

// The G.711 A-law code of one sample: the magnitude's top 11 bits (one's
// complement for negative samples) as segment and four mantissa bits, bit 7
// set for samples >= 0, even bits inverted. 0 codes as 0xD5, -1 as 0x55.
constexpr uint8_t ALawCode(int16_t sample) {
  int32_t ix = sample < 0 ? (~int32_t{sample}) >> 4 : int32_t{sample} >> 4;
  if (ix > 15) {
    int32_t exponent = 1;
    while (ix > 31) {
      ix >>= 1;
      ++exponent;
    }
    ix = ix - 16 + (exponent << 4);
  }
  if (sample >= 0) ix |= 0x80;
  return static_cast<uint8_t>(ix ^ 0x55);
}

// out[i] = MuLawCode(samples[i]) for i < count. `out` may be the samples'
// own storage (in-place coding): each byte is written after its sample and
// every earlier one has been read.
void EncodeMuLaw(const int16_t* samples, size_t count, uint8_t* out);

// out[i] = ALawCode(samples[i]) for i < count; in place as EncodeMuLaw.
void EncodeALaw(const int16_t* samples, size_t count, uint8_t* out);

}  // namespace orven::audio
