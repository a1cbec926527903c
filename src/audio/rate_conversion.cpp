// Sampling-rate conversion. The 16 kHz to 8 kHz filter is specified down to
// its rounding: every product and every sum is rounded to single precision
// in a fixed order, so the build must neither reassociate nor fuse them
// (the project compiles with -ffp-contract=off, and the 32-bit build does
// its float arithmetic in SSE registers, not the x87 stack).
#include "audio/rate_conversion.h"

#include <algorithm>
#include <cstring>

using namespace orven::audio;

namespace {

constexpr int kHistory = 11;

// The filter's input and feedback taps. Only the first five are non-zero:
// taps 5..10 add exact zeros, so leaving them out changes no value (at most
// the sign of a zero, which truncates to the same sample).
constexpr float kB0 = 0.5338f, kB1 = 0.4554f, kB2 = 0.9760f, kB3 = 0.4554f, kB4 = 0.5338f;
constexpr float kA1 = 0.1882f, kA2 = 1.1661f, kA3 = 0.2836f, kA4 = 0.3199f;

// Truncation toward zero kept to its low 16 bits, without saturation. The
// filter's output stays far inside the 32-bit range for 16-bit input; the
// clamp only keeps the conversion defined.
int16_t LowBits(float y) {
  const float bounded = std::clamp(y, -2147483648.0f, 2147483520.0f);
  return static_cast<int16_t>(static_cast<uint32_t>(static_cast<int32_t>(bounded)));
}

}  // namespace

namespace orven::audio {

size_t Downsample16kTo8k(int16_t* in, size_t n, int16_t* out, ORVN_ConvSamplingRateState* state, bool resume) {
  // x[-4..-1] and y[-4..-1]: the history the filter reads.
  float x1 = 0, x2 = 0, x3 = 0, x4 = 0, y1 = 0, y2 = 0, y3 = 0, y4 = 0;
  int16_t oldInputs[kHistory] = {};
  float oldOutputs[kHistory] = {};
  if (state != nullptr && resume) {
    std::memcpy(oldInputs, state->inputs, sizeof oldInputs);
    std::memcpy(oldOutputs, state->outputs, sizeof oldOutputs);
    x1 = oldInputs[10], x2 = oldInputs[9], x3 = oldInputs[8], x4 = oldInputs[7];
    y1 = oldOutputs[10], y2 = oldOutputs[9], y3 = oldOutputs[8], y4 = oldOutputs[7];
  }

  // The last inputs are needed for the state after `in` has been reused.
  const size_t tail = std::min<size_t>(n, kHistory);
  int16_t lastInputs[kHistory];
  if (tail > 0) std::memcpy(lastInputs, in + (n - tail), tail * sizeof(int16_t));
  float lastOutputs[kHistory];

  for (size_t k = 0; k < n; ++k) {
    const float x0 = in[k];
    float acc = x0 * kB0;
    acc = x1 * kB1 + acc;
    acc = acc - y1 * kA1;
    acc = x2 * kB2 + acc;
    acc = acc - y2 * kA2;
    acc = x3 * kB3 + acc;
    acc = acc - y3 * kA3;
    acc = x4 * kB4 + acc;
    acc = acc - y4 * kA4;
    // Every second output is kept, written over inputs already read.
    if ((k & 1) == 0) in[k >> 1] = LowBits(acc);
    if (k + tail >= n) lastOutputs[k + tail - n] = acc;
    x4 = x3, x3 = x2, x2 = x1, x1 = x0;
    y4 = y3, y3 = y2, y2 = y1, y1 = acc;
  }

  const size_t produced = n / 2;
  std::fill(in + produced, in + n, int16_t{0});
  if (out != in && produced > 0) std::memcpy(out, in, produced * sizeof(int16_t));

  if (state != nullptr) {
    // The newest 11 of the old history followed by this call's samples.
    int16_t inputs[2 * kHistory];
    float outputs[2 * kHistory];
    std::memcpy(inputs, oldInputs, sizeof oldInputs);
    std::memcpy(outputs, oldOutputs, sizeof oldOutputs);
    if (tail > 0) {
      std::memcpy(inputs + kHistory, lastInputs, tail * sizeof(int16_t));
      std::memcpy(outputs + kHistory, lastOutputs, tail * sizeof(float));
    }
    std::memcpy(state->inputs, inputs + tail, sizeof state->inputs);
    std::memcpy(state->outputs, outputs + tail, sizeof state->outputs);
  }
  return produced;
}

size_t Upsample8kTo16k(const int16_t* in, size_t n, int16_t* out) {
  for (size_t i = 0; i < n; ++i) {
    const int32_t next = i + 1 < n ? in[i + 1] : in[i];
    out[2 * i] = in[i];
    out[2 * i + 1] = static_cast<int16_t>((in[i] + next) / 2);
  }
  return 2 * n;
}

RatePlan PlanRateConversion(uint64_t n, int32_t sourceRate, int32_t outputRate) {
  if (sourceRate <= 0 || outputRate <= 0) return {};
  if (sourceRate == outputRate) return {RatePath::kSame, n, 0};
  if (sourceRate > outputRate) {
    if (outputRate == 8000) return sourceRate == 16000 ? RatePlan{RatePath::kHalve, n / 2, 0} : RatePlan{};
    // The ratio is the two integers' quotient held in single precision, and
    // the count is n divided by it in single precision, truncated: so it is
    // computed here, once, for both the buffer and the loop.
    const float ratio = static_cast<float>(sourceRate) / static_cast<float>(outputRate);
    const auto count = static_cast<uint64_t>(static_cast<float>(n) / ratio);
    return {RatePath::kDecimate, count, ratio};
  }
  if (sourceRate == 8000 && outputRate == 16000) return {RatePath::kDouble, 2 * n, 0};
  return {};
}

uint64_t BufferBytes(uint64_t count, uint64_t elementBytes, uint64_t addressLimit) {
  if (elementBytes == 0 || count > addressLimit / elementBytes) return 0;
  return count * elementBytes;
}

void DecimateAverage3(const int16_t* in, size_t n, int16_t* out, const RatePlan& plan) {
  const auto m = static_cast<size_t>(plan.outputSamples);
  for (size_t i = 0; i < m; ++i) {
    // The position can round past the last input; the last one stands in.
    const size_t j = std::min(static_cast<size_t>(static_cast<float>(i) * plan.ratio), n - 1);
    const int32_t before = j == 0 ? in[j] : in[j - 1];
    const int32_t after = j + 1 >= n ? in[j] : in[j + 1];
    out[i] = static_cast<int16_t>((before + in[j] + after) / 3);
  }
}

}  // namespace orven::audio
