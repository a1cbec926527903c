// Header builders: a mono WAV or AU header into a caller buffer. They need
// no initialisation and never touch the last error.
#include "audio/wave_headers.h"
#include "orven_api.h"

using namespace orven::audio;

ORVN_API(int32_t) ORVN_MakeWaveHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header) noexcept {
  return static_cast<int32_t>(
      BuildWaveHeader(encoding, samplingRate, static_cast<uint32_t>(dataSize), 1, static_cast<uint8_t*>(header)));
}

ORVN_API(int32_t) ORVN_MakeAuHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header) noexcept {
  return static_cast<int32_t>(
      BuildAuHeader(encoding, samplingRate, static_cast<uint32_t>(dataSize), 1, static_cast<uint8_t*>(header)));
}
