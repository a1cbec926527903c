// Sample encoders: G.711 mu-law and A-law, 8-bit linear, Dialogic VOX and
// G.721 ADPCM over caller arrays. They need no initialisation and never
// touch the last error.
#include <cstddef>

#include "audio/encoders/g711.h"
#include "audio/encoders/g721.h"
#include "audio/encoders/linear8.h"
#include "audio/encoders/vox_adpcm.h"
#include "orven_api.h"

using namespace orven::audio;

namespace {

// The one-byte-per-sample coders answer with the count they were given; a
// count of 0 or less codes nothing.
template <void (*Encode)(const int16_t*, size_t, uint8_t*)>
int32_t CodeOneBytePerSample(int32_t count, const int16_t* samples, uint8_t* out) {
  if (count > 0) Encode(samples, static_cast<size_t>(count), out);
  return count;
}

}  // namespace

ORVN_API(int32_t) ORVN_uLawEnCoding(int32_t count, const int16_t* samples, uint8_t* out) noexcept {
  return CodeOneBytePerSample<EncodeMuLaw>(count, samples, out);
}

ORVN_API(int32_t) ORVN_aLawEnCoding(int32_t count, const int16_t* samples, uint8_t* out) noexcept {
  return CodeOneBytePerSample<EncodeALaw>(count, samples, out);
}

ORVN_API(int32_t) ORVN_Linear8EnCoding(int32_t count, const int16_t* samples, uint8_t* out) noexcept {
  return CodeOneBytePerSample<EncodeLinear8>(count, samples, out);
}

ORVN_API(int32_t) ORVN_Linear8UnsignedEnCoding(int32_t count, const int16_t* samples, uint8_t* out) noexcept {
  return CodeOneBytePerSample<EncodeLinear8Unsigned>(count, samples, out);
}

// The ADPCM coders: counts of 0 or less touch nothing and give 0.
ORVN_API(int32_t) ORVN_VOXADPCMEnCoding(int32_t count, int16_t* samples, uint8_t* out) noexcept {
  if (count <= 0) return 0;
  return static_cast<int32_t>(EncodeVox(samples, static_cast<size_t>(count), out));
}

ORVN_API(int32_t) ORVN_ADPCMEnCoding(int32_t count, const int16_t* samples, uint8_t* out) noexcept {
  if (count <= 0) return 0;
  return static_cast<int32_t>(G721Encode(samples, static_cast<size_t>(count), out));
}

ORVN_API(int32_t) ORVN_ADPCMDeCoding(int32_t count, const uint8_t* bytes, int16_t* samples) noexcept {
  if (count <= 0) return 0;
  return static_cast<int32_t>(G721Decode(bytes, static_cast<size_t>(count), samples));
}
