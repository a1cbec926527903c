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

// How a chunk at one rate becomes samples at another, and how many come
// out. The output step converts 16000 Hz to 8000 Hz with the filter, any
// other higher rate to a lower one with three-point averages, 8000 Hz to
// 16000 Hz by interpolation, and nothing else: a pair it cannot convert,
// and any rate of zero or less, gives kNone and no samples.
enum class RatePath { kSame, kHalve, kDecimate, kDouble, kNone };

struct RatePlan {
  RatePath path = RatePath::kNone;
  uint64_t outputSamples = 0;  // what the path writes for the chunk
  float ratio = 0;             // kDecimate: source / output, held in single precision
};

// Exact for every n below 2^32 and every pair of rates, whatever the width
// of size_t: the counts are 64-bit.
RatePlan PlanRateConversion(uint64_t n, int32_t sourceRate, int32_t outputRate);

// The size in bytes of `count` elements of `elementBytes`, when it fits in
// `addressLimit` (the largest size_t by default); 0 when it does not, so
// that a caller refuses the buffer instead of allocating a wrapped size.
uint64_t BufferBytes(uint64_t count, uint64_t elementBytes, uint64_t addressLimit = SIZE_MAX);

// Higher rate to lower: output i is the truncated average of the three
// inputs around position i * ratio; writes plan.outputSamples samples.
void DecimateAverage3(const int16_t* in, size_t n, int16_t* out, const RatePlan& plan);

}  // namespace orven::audio
