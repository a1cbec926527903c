// The exported rate converters against the filter written out tap by tap.

#include "audio_test_support.h"

namespace orven_test {
namespace {

// The filter tap by tap (eleven, float rounding after every step); every second output kept.
Samples ReferenceHalve(const Samples& input) {
  static constexpr float kB[11] = {0.5338f, 0.4554f, 0.9760f, 0.4554f, 0.5338f},
                         kA[11] = {1.0f, 0.1882f, 1.1661f, 0.2836f, 0.3199f};
  std::vector<float> x(11, 0.0f), y(11, 0.0f);
  Samples out;
  for (int16_t s : input) {
    const size_t k = x.size();
    x.push_back(s);
    float acc = x[k] * kB[0];
    for (size_t j = 1; j <= 10; ++j) acc = x[k - j] * kB[j] + acc - y[k - j] * kA[j];
    y.push_back(acc);
    if (k % 2 == 1) out.push_back(static_cast<int16_t>(static_cast<int32_t>(acc)));
  }
  return out;
}

// Halving gives n / 2 filtered samples, written to `out` and over the input, whose rest is zeroed.
TEST(RateConversion, HalvingMatchesTheFilterDefinitionAndReusesTheInput) {
  for (int32_t n : {0, 1, 2, 7, 100, 4001}) {
    Samples in = SpeechLike(n, 7), out(n / 2 + 1, 0x5A5A);
    if (n >= 4) in[n / 3] = 32767, in[n / 3 + 1] = -32768;
    Samples expected = ReferenceHalve(in);
    ASSERT_EQ(ORVN_ConvSamplingRate(n, in.data(), out.data(), 16000, 8000), n / 2);
    expected.resize(n / 2);
    EXPECT_EQ(Samples(out.begin(), out.end() - 1), expected) << "ORVN_ConvSamplingRate of " << n << " samples";
    EXPECT_EQ(out.back(), 0x5A5A) << "ORVN_ConvSamplingRate of " << n << " samples";
    expected.resize(n, 0);
    EXPECT_EQ(in, expected) << "ORVN_ConvSamplingRate of " << n << " samples, its input";
  }
}

// Chunks continued through the state filter as one signal; without the flag the filter starts from silence.
TEST(RateConversion, StatefulContinuationEqualsOneCall) {
  const Samples signal = SpeechLike(3000, 11);
  Samples chunked, fresh = signal, expected(1500);
  ORVN_ConvSamplingRate(3000, fresh.data(), expected.data(), 16000, 8000);
  ORVN_ConvSamplingRateState state;
  std::memset(&state, 0x7F, sizeof state);
  for (int32_t at = 0; int32_t length : {1000, 2, 6, 992, 1000}) {
    Samples in(signal.begin() + at, signal.begin() + at + length), out(length / 2);
    ASSERT_EQ(ORVN_ConvSamplingRateBuf(length, in.data(), out.data(), 16000, 8000, at > 0, &state), length / 2);
    chunked.insert(chunked.end(), out.begin(), out.end());
    at += length;
  }
  EXPECT_EQ(chunked, expected);
  fresh.assign(signal.begin(), signal.begin() + 100);
  ORVN_ConvSamplingRateBuf(100, fresh.data(), chunked.data(), 16000, 8000, 0, &state);
  EXPECT_EQ(Samples(chunked.begin(), chunked.begin() + 50), Samples(expected.begin(), expected.begin() + 50));
}

// Doubling interpolates and repeats the last sample (100 -> 200); any other pair gives -6,
// touches nothing and leaves the last error alone.
TEST(RateConversion, DoublingAndRefusedPairs) {
  Samples in = {0, 3, -3, -4, 32767}, out(10), big(100, 9), bigOut(300, 9);
  ASSERT_EQ(ORVN_ConvSamplingRate(5, in.data(), out.data(), 8000, 16000), 10);
  EXPECT_EQ(out, (Samples{0, 1, 3, 0, -3, -3, -4, 16381, 32767, 32767}));
  ORVN_Initialize();
  ORVN_GetTextLimitLength(7, 0);
  for (auto [from, to] : {std::pair{16000, 11025}, {8000, 8000}, {22050, 8000}, {32000, 16000}}) {
    EXPECT_EQ(ORVN_ConvSamplingRate(100, big.data(), bigOut.data(), from, to), ORVN_ERR_INVALID_ARG);
    ORVN_ConvSamplingRateState state{};
    EXPECT_EQ(ORVN_ConvSamplingRateBuf(100, big.data(), bigOut.data(), from, to, 1, &state), ORVN_ERR_INVALID_ARG);
  }
  EXPECT_EQ(big, Samples(100, 9));
  EXPECT_EQ(bigOut, Samples(300, 9));
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
  EXPECT_EQ(ORVN_ConvSamplingRate(100, big.data(), bigOut.data(), 8000, 16000), 200);
}

// A count of 0 or less converts nothing, touches no memory (null arrays are fine then) and answers with what the
// formula gives: count / 2 down, 2 * count up.
TEST(RateConversion, CountsOfZeroOrLessAnswerTheFormulaAndTouchNothing) {
  for (int32_t count : {0, -1, -5, -100000}) {
    EXPECT_EQ(ORVN_ConvSamplingRate(count, nullptr, nullptr, 16000, 8000), count / 2) << count;
    EXPECT_EQ(ORVN_ConvSamplingRate(count, nullptr, nullptr, 8000, 16000), 2 * count) << count;
    EXPECT_EQ(ORVN_ConvSamplingRateBuf(count, nullptr, nullptr, 16000, 8000, 1, nullptr), count / 2) << count;
    EXPECT_EQ(ORVN_ConvSamplingRateBuf(count, nullptr, nullptr, 8000, 16000, 0, nullptr), 2 * count) << count;
  }
}

}  // namespace
}  // namespace orven_test
