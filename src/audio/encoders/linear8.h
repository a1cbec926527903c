// 8-bit linear PCM from 16-bit linear PCM: the high byte of each sample,
// signed or with the offset of 128 that unsigned 8-bit files use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::audio {

// Signed 8-bit: the high byte, sample >> 8 (arithmetic shift, so rounding
// toward minus infinity): 0x7FFF gives 0x7F, -1 gives 0xFF.
constexpr uint8_t Linear8Code(int16_t sample) { return static_cast<uint8_t>(sample >> 8); }

// Unsigned 8-bit: the signed form with its sign bit inverted, so silence is
// 0x80: 0x7FFF gives 0xFF, -1 gives 0x7F.
constexpr uint8_t Linear8UnsignedCode(int16_t sample) { return static_cast<uint8_t>((sample >> 8) ^ 0x80); }

// out[i] = Linear8Code(samples[i]) for i < count. `out` may be the samples'
// own storage (in-place coding), as for the G.711 encoders.
void EncodeLinear8(const int16_t* samples, size_t count, uint8_t* out);

// out[i] = Linear8UnsignedCode(samples[i]) for i < count; in place likewise.
void EncodeLinear8Unsigned(const int16_t* samples, size_t count, uint8_t* out);

}  // namespace orven::audio
