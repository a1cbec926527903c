// 8-bit linear array encoders and their exports.
#include "audio/encoders/linear8.h"

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

// Counts of 0 or less code nothing and are returned as given.
ORVN_API(int32_t) ORVN_Linear8EnCoding(int32_t count, const int16_t* samples, uint8_t* out) {
  if (count > 0) orven::audio::EncodeLinear8(samples, static_cast<size_t>(count), out);
  return count;
}

ORVN_API(int32_t) ORVN_Linear8UnsignedEnCoding(int32_t count, const int16_t* samples, uint8_t* out) {
  if (count > 0) orven::audio::EncodeLinear8Unsigned(samples, static_cast<size_t>(count), out);
  return count;
}

}  // extern "C"
