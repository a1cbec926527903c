// Sampling-rate conversion of 16-bit mono PCM.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orven_api.h"

namespace orven::audio {

// 16000 Hz to 8000 Hz: a fourth-order recursive low-pass (flat to 3400 Hz,
// a notch near 3800 Hz) evaluated in single precision with a rounding after
// every operation, then every second output. Writes n/2 samples to `out`,
// and leaves them at the start of `in` with the rest of `in` cleared.
// `state` (may be null: zero memory, nothing kept) holds the filter memory
// of a stream; `resume` says whether to start from it.
size_t Downsample16kTo8k(int16_t* in, size_t n, int16_t* out, ORVN_ConvSamplingRateState* state, bool resume);

// 8000 Hz to 16000 Hz by linear interpolation: 2n samples.
size_t Upsample8kTo16k(const int16_t* in, size_t n, int16_t* out);

// Any higher rate to a lower one: each output the truncated average of the
// three inputs around position i * (source / output).
size_t DecimateAverage3(const int16_t* in, size_t n, int16_t* out, int32_t sourceRate, int32_t outputRate);

// The most samples DecimateAverage3 writes for n inputs.
size_t DecimatedCapacity(size_t n, int32_t sourceRate, int32_t outputRate);

}  // namespace orven::audio
