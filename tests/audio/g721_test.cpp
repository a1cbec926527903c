// The G.721 coder against spandsp's G.726 at 32 kbit/s, an independent
// implementation, plus the edge cases of the two exports.
//
// spandsp runs with linear coding and G726_PACKING_NONE: its encoder takes
// 16-bit samples as 14-bit values (s >> 2) and gives one code per byte; its
// decoder gives the 14-bit reconstruction shifted left by 2 - our scaling.
// Only the packing differs (ours: two codes a byte, the first in the high
// nibble), so codes are unpacked or packed before comparing.
#include "audio/encoders/g721.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "orven_api.h"

// The state structure is needed to start spandsp from a given state.
#define SPANDSP_EXPOSE_INTERNAL_STRUCTURES
extern "C" {
#include <spandsp.h>
}

namespace orven::audio {
namespace {

using Signal = std::vector<int16_t>;
using Bytes = std::vector<uint8_t>;
constexpr double kPi = 3.14159265358979323846;

g726_state_t* Spandsp() { return g726_init(nullptr, 32000, G726_ENCODING_LINEAR, G726_PACKING_NONE); }

Bytes SpandspEncode(const Signal& x) {
  g726_state_t* g = Spandsp();
  Bytes codes(x.size());
  codes.resize(static_cast<size_t>(g726_encode(g, codes.data(), x.data(), static_cast<int>(x.size()))));
  g726_free(g);
  return codes;
}

Signal SpandspDecode(const Bytes& codes) {
  g726_state_t* g = Spandsp();
  Signal out(codes.size());
  out.resize(static_cast<size_t>(g726_decode(g, out.data(), codes.data(), static_cast<int>(codes.size()))));
  g726_free(g);
  return out;
}

Bytes Unpack(const Bytes& packed) {
  Bytes codes;
  for (uint8_t b : packed) codes.insert(codes.end(), {static_cast<uint8_t>(b >> 4), static_cast<uint8_t>(b & 15)});
  return codes;
}

Bytes Pack(const Bytes& codes) {  // an even number of codes
  Bytes packed;
  for (size_t i = 0; i + 1 < codes.size(); i += 2) packed.push_back(static_cast<uint8_t>(codes[i] << 4 | codes[i + 1]));
  return packed;
}

Bytes Encode(const Signal& x) {
  Bytes out((x.size() + 1) / 2);
  EXPECT_EQ(ORVN_ADPCMEnCoding(static_cast<int32_t>(x.size()), x.data(), out.data()), static_cast<int32_t>(out.size()));
  return out;
}

Signal Decode(const Bytes& in) {
  Signal out(2 * in.size());
  EXPECT_EQ(ORVN_ADPCMDeCoding(static_cast<int32_t>(in.size()), in.data(), out.data()), static_cast<int32_t>(out.size()));
  return out;
}

// Index of the first difference, -1 when equal.
template <class T>
long FirstDifference(const std::vector<T>& a, const std::vector<T>& b) {
  const auto m = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return m.first == a.end() && m.second == b.end() ? -1 : m.first - a.begin();
}

template <class T>
std::vector<T> Concat(std::initializer_list<std::vector<T>> parts) {
  std::vector<T> x;
  for (const auto& p : parts) x.insert(x.end(), p.begin(), p.end());
  return x;
}

// ---- Signals at 8000 samples per second, of even length.

Signal Make(int n, const std::function<double(int)>& f) {
  Signal x(n);
  for (int i = 0; i < n; ++i) x[i] = static_cast<int16_t>(std::lround(std::clamp(f(i), -32768.0, 32767.0)));
  return x;
}

Signal Tone(double hz, double amplitude, int n = 8000, double dc = 0) {
  return Make(n, [=](int i) { return dc + amplitude * std::sin(2 * kPi * hz * i / 8000); });
}

Signal Noise(int amplitude, int n, unsigned seed) {
  std::mt19937 rng(seed);
  return Make(n, [&](int) { return std::uniform_int_distribution<int>(-amplitude - 1, amplitude)(rng); });
}

// Five vowels: a jittered glottal pulse train through three formant
// resonators, each vowel rising and falling in level; peak 20000.
Signal Vowels() {
  static const double kFormants[5][3] = {
      {730, 1090, 2440}, {270, 2290, 3010}, {300, 870, 2240}, {530, 1840, 2480}, {570, 840, 2410}};
  std::mt19937 rng(7);
  std::vector<double> v;
  double phase = 0, y1[3] = {}, y2[3] = {};
  for (const auto& f : kFormants) {
    for (int i = 0; i < 3200; ++i) {
      phase += (110 + 25 * std::sin(v.size() / 3000.0)) * (1 + std::uniform_real_distribution<>(-0.08, 0.08)(rng)) / 8000;
      double s = phase >= 1 ? 1.0 : 0.0;
      phase -= std::floor(phase);
      for (int k = 0; k < 3; ++k) {  // two-pole resonator, 80 Hz wide
        const double r = std::exp(-kPi * 80 / 8000);
        const double y = s + 2 * r * std::cos(2 * kPi * f[k] / 8000) * y1[k] - r * r * y2[k];
        y2[k] = y1[k], y1[k] = y, s = y;
      }
      v.push_back(s * std::sin(kPi * i / 3200));
    }
  }
  const double peak = std::abs(*std::max_element(v.begin(), v.end(), [](double a, double b) { return std::abs(a) < std::abs(b); }));
  return Make(static_cast<int>(v.size()), [&](int i) { return 20000 * v[i] / peak; });
}

struct SignalCase {
  const char* name;
  Signal signal;
};

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }

std::vector<SignalCase> Signals() {
  return {
      {"silence", Signal(4000, 0)},
      {"extremes", Make(4000, [](int i) { return i % 2 ? -32768 : 32767; })},
      {"square_500Hz_full_scale", Make(8000, [](int i) { return (i / 8) % 2 ? -32768 : 32767; })},
      {"tone_300Hz", Tone(300, 8000)},
      {"tone_1000Hz_full_scale", Tone(1000, 32767)},
      {"tone_1004Hz_quiet", Tone(1004, 40)},
      {"tone_2100Hz", Tone(2100, 16000)},
      {"tone_3400Hz", Tone(3400, 20000)},
      {"white_noise_full_scale", Noise(32767, 16000, 1)},
      {"white_noise_quiet", Noise(60, 8000, 2)},
      {"sweep_50_to_3950Hz", Make(16000, [](int i) { const double t = i / 8000.0; return 20000 * std::sin(2 * kPi * (50 * t + 975 * t * t)); })},
      {"crescendo", Make(32000, [](int i) { return (10 + i * 30000.0 / 32000) * std::sin(2 * kPi * 1000 * i / 8000); })},
      {"level_changes", Concat({Tone(1000, 30000, 2000), Signal(1000, 0), Noise(20000, 2000, 3), Tone(440, 200, 2000),
                                Tone(2100, 16000, 3000), Tone(2100, -16000, 3000), Tone(700, 32767, 1000)})},
      {"loud_tone_phase_flips", Concat({Tone(2100, 32767, 4000), Tone(2100, -32767, 4000), Tone(2100, 32767, 4000)})},
      {"vowels", Vowels()},
      {"dc_positive", Signal(4000, 1000)},
      {"dc_negative_full_scale", Signal(4000, -32768)},
      {"dc_with_tone", Tone(500, 2000, 8000, 5000)},
  };
}

class G721Signals : public ::testing::TestWithParam<SignalCase> {};

// Whole-buffer export and per-sample routine, every code.
TEST_P(G721Signals, EncoderCodesEqualSpandsp) {
  const Signal& x = GetParam().signal;
  const Bytes expected = SpandspEncode(x);
  EXPECT_EQ(FirstDifference(Unpack(Encode(x)), expected), -1);
  AdpcmState state = G721InitialState();
  Bytes codes;
  for (int16_t s : x) codes.push_back(G721EncodeSample(state, s));
  EXPECT_EQ(FirstDifference(codes, expected), -1);
}

TEST_P(G721Signals, DecoderSamplesEqualSpandsp) {
  const Bytes codes = SpandspEncode(GetParam().signal);
  const Signal expected = SpandspDecode(codes);
  EXPECT_EQ(FirstDifference(Decode(Pack(codes)), expected), -1);
  AdpcmState state = G721InitialState();
  Signal samples;
  for (uint8_t c : codes) samples.push_back(G721DecodeSample(state, c));
  EXPECT_EQ(FirstDifference(samples, expected), -1);
}

INSTANTIATE_TEST_SUITE_P(Oracle, G721Signals, ::testing::ValuesIn(Signals()),
                         [](const auto& info) { return std::string(info.param.name); });

// Runs of repeated codes, which no encoder produces, take the decoder to
// its limits: zero predictor coefficients that wrap at 16 bits, outputs that
// wrap.
TEST(G721Decoder, ArbitraryCodeStreamEqualsSpandsp) {
  std::mt19937 rng(11);
  Bytes codes;
  while (codes.size() < 400000) codes.insert(codes.end(), 1 + rng() % 400, static_cast<uint8_t>(rng() & 15));
  codes.resize(400000);
  const Signal expected = SpandspDecode(codes);
  EXPECT_EQ(FirstDifference(Decode(Pack(codes)), expected), -1);
  AdpcmState state = G721InitialState();
  Signal samples;
  bool wrapped = false;
  for (uint8_t c : codes) {
    const int16_t before = state.b[0];
    samples.push_back(G721DecodeSample(state, c));
    wrapped = wrapped || (before > 32000 && state.b[0] < -32000);
  }
  EXPECT_EQ(FirstDifference(samples, expected), -1);
  EXPECT_TRUE(wrapped) << "B1 never wrapped";
}

// spandsp's state holds the same fields; its floating-format values carry
// the sign as a negative number (our pattern minus 2048).
void SetSpandspState(g726_state_t* g, const AdpcmState& s) {
  const auto value = [](int16_t v) { return static_cast<int16_t>(v & 1024 ? v - 2048 : v); };
  g->yl = s.yl, g->yu = s.yu, g->dms = s.dms, g->dml = s.dml, g->ap = s.ap, g->td = s.td;
  g->a[0] = s.a1, g->a[1] = s.a2, g->pk[0] = s.pk1, g->pk[1] = s.pk2, g->sr[0] = value(s.sr1), g->sr[1] = value(s.sr2);
  for (int k = 0; k < 6; ++k) g->b[k] = s.b[k], g->dq[k] = value(s.dq[k]);
}

std::vector<int> Fields(const AdpcmState& s) {
  std::vector<int> f = {s.yl, s.yu, s.dms, s.dml, s.ap, s.a1, s.a2, s.pk1, s.pk2, s.sr1, s.sr2, s.td};
  for (int k = 0; k < 6; ++k) f.insert(f.end(), {s.b[k], s.dq[k]});
  return f;
}

std::vector<int> Fields(const g726_state_t* g) {
  std::vector<int> f = {g->yl, g->yu, g->dms, g->dml, g->ap, g->a[0], g->a[1], g->pk[0], g->pk[1],
                        g->sr[0] & 2047, g->sr[1] & 2047, g->td};
  for (int k = 0; k < 6; ++k) f.insert(f.end(), {g->b[k], g->dq[k] & 2047});
  return f;
}

// Any state within the ranges the adaptation keeps to; half the time DMS is
// near DML / 4, where the speed control's comparison is close.
AdpcmState RandomState(std::mt19937& rng) {
  const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const auto value = [&] { return static_cast<int16_t>(pick(0, 1) << 10 | pick(0, 15) << 6 | pick(32, 63)); };
  AdpcmState s{};
  s.yl = pick(544 << 6, 5120 << 6);
  s.yu = static_cast<int16_t>(pick(544, 5120));
  s.dml = static_cast<int16_t>(pick(0, 7 << 11));
  s.dms = static_cast<int16_t>(pick(0, 1) ? pick(0, 7 << 9) : std::max(0, s.dml / 4 + pick(-100, 100)));
  s.ap = static_cast<int16_t>(pick(0, 511));
  s.a2 = static_cast<int16_t>(pick(-12288, 12288));
  s.a1 = static_cast<int16_t>(pick(s.a2 - 15360, 15360 - s.a2));
  for (int k = 0; k < 6; ++k) s.b[k] = static_cast<int16_t>(pick(-32768, 32767)), s.dq[k] = value();
  s.pk1 = static_cast<int16_t>(pick(0, 1)), s.pk2 = static_cast<int16_t>(pick(0, 1));
  s.sr1 = value(), s.sr2 = value();
  s.td = static_cast<uint8_t>(pick(0, 1));
  return s;
}

// One encoder step (random sample) and one decoder step (random code) from
// each of many random states, against spandsp started from the same state:
// this reaches thresholds and limits that signals pass rarely.
TEST(G721Coder, OneStepFromRandomStatesEqualsSpandsp) {
  std::mt19937 rng(5);
  g726_state_t* g = Spandsp();
  for (int trial = 0; trial < 100000; ++trial) {
    const AdpcmState start = RandomState(rng);
    const int16_t sample = static_cast<int16_t>(rng());
    const uint8_t code = static_cast<uint8_t>(rng() & 15);
    AdpcmState s = start;
    uint8_t expectedCode = 0;
    SetSpandspState(g, start);
    g726_encode(g, &expectedCode, &sample, 1);
    ASSERT_EQ(G721EncodeSample(s, sample), expectedCode) << "trial " << trial;
    ASSERT_EQ(Fields(s), Fields(g)) << "encoder, trial " << trial;
    s = start;
    int16_t expectedSample = 0;
    SetSpandspState(g, start);
    g726_decode(g, &expectedSample, &code, 1);
    ASSERT_EQ(G721DecodeSample(s, code), expectedSample) << "trial " << trial;
    ASSERT_EQ(Fields(s), Fields(g)) << "decoder, trial " << trial;
  }
  g726_free(g);
}

TEST(G721Exports, OddCountPadsTheLastLowNibble) {
  const Signal x = {12000, -9000, 7000};
  Bytes out(3, 0xAA);
  EXPECT_EQ(ORVN_ADPCMEnCoding(3, x.data(), out.data()), 2);
  const Bytes codes = SpandspEncode(x);
  EXPECT_EQ(out, Bytes({static_cast<uint8_t>(codes[0] << 4 | codes[1]), static_cast<uint8_t>(codes[2] << 4), 0xAA}));
}

TEST(G721Exports, DecoderWritesTwoSamplesPerByte) {
  for (int n : {1, 2, 5}) {
    const Bytes in(n, 0x3C);
    Signal out(2 * n + 1, 0x5555);
    EXPECT_EQ(ORVN_ADPCMDeCoding(n, in.data(), out.data()), 2 * n);
    EXPECT_EQ(out, Concat({SpandspDecode(Unpack(in)), Signal{0x5555}}));
  }
}

TEST(G721Exports, CountOfZeroOrLessWritesNothing) {
  const Signal x(4, 1000);
  const Bytes in(4, 0x77);
  Bytes bytes(4, 0xAA);
  Signal samples(8, 0x5555);
  for (int32_t count : {0, -1, INT32_MIN}) {
    EXPECT_EQ(ORVN_ADPCMEnCoding(count, x.data(), bytes.data()), 0);
    EXPECT_EQ(ORVN_ADPCMDeCoding(count, in.data(), samples.data()), 0);
  }
  EXPECT_EQ(bytes, Bytes(4, 0xAA));
  EXPECT_EQ(samples, Signal(8, 0x5555));
  EXPECT_EQ(ORVN_ADPCMEnCoding(0, nullptr, nullptr), 0);
  EXPECT_EQ(ORVN_ADPCMDeCoding(0, nullptr, nullptr), 0);
}

// Each call starts from the reset state: two calls give two streams, which
// differ from coding the whole at once.
TEST(G721Exports, EachCallIsAStreamOfItsOwn) {
  const Signal x = Vowels(), first(x.begin(), x.begin() + 4000), second(x.begin() + 4000, x.end());
  const Bytes twoCalls = Concat({Encode(first), Encode(second)});
  EXPECT_EQ(twoCalls, Concat({Pack(SpandspEncode(first)), Pack(SpandspEncode(second))}));
  const Bytes whole = Encode(x);
  EXPECT_NE(twoCalls, whole);
  const Bytes head(whole.begin(), whole.begin() + 2000), tail(whole.begin() + 2000, whole.end());
  const Signal decoded = Concat({Decode(head), Decode(tail)});
  EXPECT_EQ(decoded, Concat({SpandspDecode(Unpack(head)), SpandspDecode(Unpack(tail))}));
  EXPECT_NE(decoded, Decode(whole));
}

// By hand from the recommendation: with Y at its reset 544, a zero
// difference is below the lowest decision level (DLN = -136 < -124), so
// silence codes as |I| = 0, which is 1111, and 1111 decodes to 0.
TEST(G721Exports, SilenceIsAllOnesAndDecodesToSilence) {
  EXPECT_EQ(Encode(Signal(64, 0)), Bytes(32, 0xFF));
  EXPECT_EQ(Decode(Bytes(32, 0xFF)), Signal(64, 0));
}

}  // namespace
}  // namespace orven::audio
