// 8-bit linear array encoders, signed and unsigned.
#include "audio/encoders/linear8.h"

namespace orven::audio {

void EncodeLinear8(const int16_t* samples, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) out[i] = Linear8Code(samples[i]);
}

void EncodeLinear8Unsigned(const int16_t* samples, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) out[i] = Linear8UnsignedCode(samples[i]);
}

}  // namespace orven::audio
