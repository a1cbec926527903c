// Sampling-rate conversion over caller arrays: 16000 to 8000 Hz through the
// low-pass filter, 8000 to 16000 Hz by interpolation. They need no
// initialisation and never touch the last error.
#include "audio/rate_conversion.h"
#include "orven_api.h"

using namespace orven::audio;

namespace {

bool IsDown(int32_t from, int32_t to) { return from == 16000 && to == 8000; }
bool IsUp(int32_t from, int32_t to) { return from == 8000 && to == 16000; }

}  // namespace

ORVN_API(int32_t)
ORVN_ConvSamplingRate(int32_t count, int16_t* in, int16_t* out, int32_t srcRate, int32_t dstRate) noexcept {
  return ORVN_ConvSamplingRateBuf(count, in, out, srcRate, dstRate, 0, nullptr);
}

ORVN_API(int32_t)
ORVN_ConvSamplingRateBuf(int32_t count, int16_t* in, int16_t* out, int32_t srcRate, int32_t dstRate,
                         int32_t continueFlag, ORVN_ConvSamplingRateState* state) noexcept {
  if (!IsDown(srcRate, dstRate) && !IsUp(srcRate, dstRate)) return ORVN_ERR_INVALID_ARG;
  // The result is count / 2 or 2 * count whatever the count; a count of 0
  // or less converts nothing and touches neither array nor the state.
  if (count <= 0) {
    return IsUp(srcRate, dstRate) ? static_cast<int32_t>(2 * static_cast<int64_t>(count)) : count / 2;
  }
  const auto n = static_cast<size_t>(count);
  if (IsUp(srcRate, dstRate)) return static_cast<int32_t>(static_cast<uint32_t>(Upsample8kTo16k(in, n, out)));
  return static_cast<int32_t>(Downsample16kTo8k(in, n, out, state, continueFlag != 0));
}
