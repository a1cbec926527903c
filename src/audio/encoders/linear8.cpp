// 8-bit linear array encoders and their exports.
#include "audio/encoders/linear8.h"

#include "audio/encoders/byte_coder_export.h"
#include "orven_api.h"

namespace orven::audio {

void EncodeLinear8(const int16_t* samples, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) out[i] = Linear8Code(samples[i]);
}

void EncodeLinear8Unsigned(const int16_t* samples, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) out[i] = Linear8UnsignedCode(samples[i]);
}

}  // namespace orven::audio

extern "C" {

ORVN_API(int32_t) ORVN_Linear8EnCoding(int32_t count, const int16_t* samples, uint8_t* out) {
  return orven::audio::CodeOneBytePerSample<orven::audio::EncodeLinear8>(count, samples, out);
}

ORVN_API(int32_t) ORVN_Linear8UnsignedEnCoding(int32_t count, const int16_t* samples, uint8_t* out) {
  return orven::audio::CodeOneBytePerSample<orven::audio::EncodeLinear8Unsigned>(count, samples, out);
}

}  // extern "C"
