// The exported rate converters against the filter written out plainly, tap
// by tap, from its definition.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "audio_test_support.h"

namespace orven_test {
namespace {

// The filter as defined: the extended input x[-11..n-1] and output history
// y[-11..-1], all eleven taps (six of them zero), a rounding after every
// product and sum.
struct ReferenceFilter {
  static constexpr float b[11] = {0.5338f, 0.4554f, 0.9760f, 0.4554f, 0.5338f, 0, 0, 0, 0, 0, 0};
  static constexpr float a[11] = {1.0f, 0.1882f, 1.1661f, 0.2836f, 0.3199f, 0, 0, 0, 0, 0, 0};
  std::vector<float> x = std::vector<float>(11, 0.0f);
  std::vector<float> y = std::vector<float>(11, 0.0f);

  std::vector<int16_t> Run(const std::vector<int16_t>& input) {
    const size_t base = x.size();
    for (int16_t s : input) x.push_back(s);
    std::vector<int16_t> out;
    for (size_t k = base; k < x.size(); ++k) {
      float acc = x[k] * b[0];
      for (size_t j = 1; j <= 10; ++j) {
        const float product = x[k - j] * b[j];
        acc = product + acc;
        const float feedback = y[k - j] * a[j];
        acc = acc - feedback;
      }
      y.push_back(acc);
      if ((k - base) % 2 == 0) out.push_back(static_cast<int16_t>(static_cast<int32_t>(acc)));
    }
    return out;
  }
};

std::vector<int16_t> SpeechLike(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> noise(0.0f, 900.0f);
  std::vector<int16_t> samples(n);
  for (size_t i = 0; i < n; ++i) {
    const float t = static_cast<float>(i) / 16000.0f;
    const float v = 9000.0f * std::sin(2.0f * 3.14159265f * 140.0f * t) +
                    6000.0f * std::sin(2.0f * 3.14159265f * 2900.0f * t) +
                    4000.0f * std::sin(2.0f * 3.14159265f * 3800.0f * t) + noise(random);
    samples[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
  }
  if (n >= 4) samples[n / 3] = 32767, samples[n / 3 + 1] = -32768;
  return samples;
}

TEST(RateConversion, HalvingMatchesTheFilterDefinitionAndReusesTheInput) {
  for (size_t n : {0u, 1u, 2u, 7u, 100u, 4001u}) {
    SCOPED_TRACE(n);
    std::vector<int16_t> in = SpeechLike(n, 7), out(n / 2 + 1, 0x5A5A);
    const std::vector<int16_t> expected = ReferenceFilter().Run(in);
    ASSERT_EQ(ORVN_ConvSamplingRate(static_cast<int32_t>(n), in.data(), out.data(), 16000, 8000),
              static_cast<int32_t>(n / 2));
    ASSERT_EQ(expected.size(), (n + 1) / 2);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + n / 2),
              std::vector<int16_t>(expected.begin(), expected.begin() + n / 2));
    EXPECT_EQ(out[n / 2], 0x5A5A) << "nothing past the results";
    // The input holds the results, then zeros.
    std::vector<int16_t> reused(in.begin(), in.begin() + n / 2);
    EXPECT_EQ(reused, std::vector<int16_t>(out.begin(), out.begin() + n / 2));
    for (size_t i = n / 2; i < n; ++i) EXPECT_EQ(in[i], 0) << i;
  }
}

TEST(RateConversion, AStreamInChunksFiltersAsOneSignal) {
  const std::vector<int16_t> signal = SpeechLike(3000, 11);
  std::vector<int16_t> whole = signal, wholeOut(1500);
  ORVN_ConvSamplingRate(3000, whole.data(), wholeOut.data(), 16000, 8000);

  // Even-length chunks, the first from silence and the rest continuing.
  ORVN_ConvSamplingRateState state;
  std::memset(&state, 0x7F, sizeof state);
  std::vector<int16_t> chunked;
  size_t at = 0;
  for (size_t length : {1000u, 2u, 6u, 992u, 1000u}) {
    std::vector<int16_t> in(signal.begin() + at, signal.begin() + at + length), out(length / 2);
    ASSERT_EQ(ORVN_ConvSamplingRateBuf(static_cast<int32_t>(length), in.data(), out.data(), 16000, 8000, at > 0,
                                       &state),
              static_cast<int32_t>(length / 2));
    chunked.insert(chunked.end(), out.begin(), out.end());
    at += length;
  }
  EXPECT_EQ(chunked, wholeOut);
  // The state holds the last eleven inputs and filter outputs.
  ReferenceFilter reference;
  reference.Run(signal);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(state.inputs[i], signal[signal.size() - 11 + i]);
    EXPECT_EQ(state.outputs[i], reference.y[reference.y.size() - 11 + i]);
  }
  // Without the continue flag the filter starts from silence again.
  std::vector<int16_t> in(signal.begin(), signal.begin() + 100), out(50), fresh(50);
  std::vector<int16_t> copy = in;
  ORVN_ConvSamplingRateBuf(100, in.data(), out.data(), 16000, 8000, 0, &state);
  ORVN_ConvSamplingRate(100, copy.data(), fresh.data(), 16000, 8000);
  EXPECT_EQ(out, fresh);
}

TEST(RateConversion, DoublingInterpolatesAndRepeatsTheLastSample) {
  std::vector<int16_t> in = {0, 3, -3, -4, 32767}, out(10);
  ASSERT_EQ(ORVN_ConvSamplingRate(5, in.data(), out.data(), 8000, 16000), 10);
  EXPECT_EQ(out, (std::vector<int16_t>{0, 1, 3, 0, -3, -3, -4, 16381, 32767, 32767}));
  std::vector<int16_t> big(100, 7), bigOut(200);
  EXPECT_EQ(ORVN_ConvSamplingRate(100, big.data(), bigOut.data(), 8000, 16000), 200);
}

TEST(RateConversion, OtherRatePairsAreRefusedUntouched) {
  std::vector<int16_t> in(100, 9), out(300, 9);
  ORVN_Initialize();
  ORVN_GetTextLimitLength(7, 0);
  for (auto [from, to] : {std::pair{16000, 11025}, {8000, 8000}, {22050, 8000}, {8000, 11025}, {32000, 16000}}) {
    EXPECT_EQ(ORVN_ConvSamplingRate(100, in.data(), out.data(), from, to), ORVN_ERR_INVALID_ARG);
    ORVN_ConvSamplingRateState state{};
    EXPECT_EQ(ORVN_ConvSamplingRateBuf(100, in.data(), out.data(), from, to, 1, &state), ORVN_ERR_INVALID_ARG);
  }
  EXPECT_EQ(in, std::vector<int16_t>(100, 9));
  EXPECT_EQ(out, std::vector<int16_t>(300, 9));
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE) << "the converters never touch the last error";
}

}  // namespace
}  // namespace orven_test
