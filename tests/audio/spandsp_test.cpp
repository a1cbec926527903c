// The G.711 and G.721 coders bit for bit against spandsp: its G.711 on every input, its G.726 at 32 kbit/s on
// signals and arbitrary codes (one code a byte; ours packs two, first high).
#include "audio/encoders/g721.h"
#include "audio_test_support.h"

#define G711_ULAW_ZEROTRAP  // the optional trap our mu-law coder applies too (no code 0x00)
extern "C" {
#include <spandsp.h>
}

namespace orven_test {
namespace {

// spandsp's codes for samples, or samples for codes, one stream from the reset state.
template <class Out, class In, class Coder>
std::vector<Out> Spandsp(const std::vector<In>& in, Coder coder) {
  g726_state_t* g = g726_init(nullptr, 32000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
  std::vector<Out> out(in.size());
  out.resize(static_cast<size_t>(coder(g, out.data(), in.data(), static_cast<int>(in.size()))));
  g726_free(g);
  return out;
}
Bytes SpandspEncode(const Samples& x) { return Spandsp<uint8_t>(x, g726_encode); }
Samples SpandspDecode(const Bytes& codes) { return Spandsp<int16_t>(codes, g726_decode); }

Bytes Unpack(const Bytes& packed) {
  Bytes codes;
  for (uint8_t b : packed) codes.insert(codes.end(), {static_cast<uint8_t>(b >> 4), static_cast<uint8_t>(b & 15)});
  return codes;
}

// The export's output of `size` items, which is also the count it must return.
template <class Out, class In, class Export>
std::vector<Out> Ours(const std::vector<In>& in, size_t size, Export coder) {
  std::vector<Out> out(size);
  EXPECT_EQ(coder(static_cast<int32_t>(in.size()), in.data(), out.data()), static_cast<int32_t>(size));
  return out;
}
Bytes Encode(const Samples& x) { return Ours<uint8_t>(x, (x.size() + 1) / 2, ORVN_ADPCMEnCoding); }
Samples Decode(const Bytes& in) { return Ours<int16_t>(in, 2 * in.size(), ORVN_ADPCMDeCoding); }

template <class T>
std::vector<T> Concat(std::initializer_list<std::vector<T>> parts) {
  std::vector<T> x;
  for (const auto& p : parts) x.insert(x.end(), p.begin(), p.end());
  return x;
}

// A per-sample routine over a whole stream from the reset state.
template <class Out, class In, class Step>
std::vector<Out> EachSample(const std::vector<In>& in, Step step) {
  orven::audio::AdpcmState state = orven::audio::G721InitialState();
  std::vector<Out> out;
  for (In v : in) out.push_back(step(state, v));
  return out;
}

Samples Noise(int amplitude, int n, unsigned seed) {
  std::mt19937 rng(seed);
  return Make(n, [&](int) { return std::uniform_int_distribution<int>(-amplitude - 1, amplitude)(rng); });
}

TEST(G711, EveryInputEqualsSpandsp) {
  Samples all;
  for (int32_t s = -32768; s <= 32767; ++s) all.push_back(static_cast<int16_t>(s));
  Bytes mu(all.size()), a(all.size());
  ASSERT_EQ(ORVN_uLawEnCoding(65536, all.data(), mu.data()) + ORVN_aLawEnCoding(65536, all.data(), a.data()), 131072);
  for (size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(mu[i], linear_to_ulaw(all[i])) << "ORVN_uLawEnCoding of " << all[i];
    ASSERT_EQ(a[i], linear_to_alaw(all[i])) << "ORVN_aLawEnCoding of " << all[i];
  }
}

// Each signal through the exports (SIMD state form) and the per-sample routines (plain form): codes, then decoded.
TEST(G721, SignalsEqualSpandsp) {
  const Samples extremes = Make(4000, [](int i) { return i % 2 ? -32768 : 32767; }),
                square = Make(8000, [](int i) { return (i / 8) % 2 ? -32768 : 32767; }),
                levels = Concat({Tone(1000, 30000, 2000), Samples(1000, 0), Noise(20000, 2000, 3),
                                 Tone(2100, 16000, 3000), Tone(2100, -16000, 3000), Tone(700, 32767, 1000)});
  const std::pair<const char*, Samples> signals[] = {{"silence", Samples(4000, 0)},
                                                     {"-32768 throughout", Samples(4000, -32768)},
                                                     {"alternating extremes", extremes},
                                                     {"full-scale square", square},
                                                     {"1004 Hz at 40", Tone(1004, 40)},
                                                     {"3400 Hz at 20000", Tone(3400, 20000)},
                                                     {"full-scale noise", Noise(32767, 16000, 1)},
                                                     {"quiet noise", Noise(60, 8000, 2)},
                                                     {"changing levels", levels},
                                                     {"speech-like", SpeechLike(24000, 7)}};
  for (const auto& [name, x] : signals) {
    const Bytes codes = SpandspEncode(x);
    const Samples decoded = SpandspDecode(codes);
    EXPECT_EQ(Unpack(Encode(x)), codes) << "ORVN_ADPCMEnCoding of " << name;
    EXPECT_EQ(Decode(Encode(x)), decoded) << "ORVN_ADPCMDeCoding of " << name;  // every signal has an even length
    EXPECT_EQ(EachSample<uint8_t>(x, orven::audio::G721EncodeSample), codes) << "G721EncodeSample of " << name;
    EXPECT_EQ(EachSample<int16_t>(codes, orven::audio::G721DecodeSample), decoded) << "G721DecodeSample of " << name;
  }
}

// 3 samples -> 2 bytes, the last low nibble 0; n bytes -> 2n samples; counts <= 0 write nothing. Runs of repeated
// codes, which no encoder produces, drive the decoder's predictor and output to where they wrap at 16 bits.
TEST(G721Exports, CountsPaddingAndArbitraryCodes) {
  const Samples x = {12000, -9000, 7000};
  const Bytes codes = SpandspEncode(x);
  Bytes out(3, 0xAA), in;
  EXPECT_EQ(ORVN_ADPCMEnCoding(3, x.data(), out.data()), 2);
  EXPECT_EQ(out, Bytes({static_cast<uint8_t>(codes[0] << 4 | codes[1]), static_cast<uint8_t>(codes[2] << 4), 0xAA}));
  std::mt19937 rng(11);
  while (in.size() < 200000) in.insert(in.end(), 1 + rng() % 200, static_cast<uint8_t>(rng() & 15) * 0x11);
  in.resize(200001);
  Samples samples(400003, 0x5555);
  EXPECT_EQ(ORVN_ADPCMDeCoding(200001, in.data(), samples.data()), 400002);
  EXPECT_EQ(samples, Concat({SpandspDecode(Unpack(in)), Samples{0x5555}}));
  EXPECT_EQ(EachSample<int16_t>(Unpack(in), orven::audio::G721DecodeSample),
            Samples(samples.begin(), samples.end() - 1));
  for (int32_t count : {0, -1}) {
    EXPECT_EQ(ORVN_ADPCMEnCoding(count, x.data(), out.data() + 2), 0);
    EXPECT_EQ(ORVN_ADPCMDeCoding(count, in.data(), samples.data() + 400002), 0);
  }
  EXPECT_EQ(out[2], 0xAA);
  EXPECT_EQ(samples.back(), 0x5555);
}

// Each call starts from the reset state: two calls equal two separate streams.
TEST(G721Exports, EachCallIsAStreamOfItsOwn) {
  const Samples x = SpeechLike(8000, 3), first(x.begin(), x.begin() + 4000), second(x.begin() + 4000, x.end());
  const Bytes twoCalls = Concat({Encode(first), Encode(second)});
  EXPECT_EQ(Unpack(twoCalls), Concat({SpandspEncode(first), SpandspEncode(second)}));
  const Bytes head(twoCalls.begin(), twoCalls.begin() + 1000), tail(twoCalls.begin() + 1000, twoCalls.end());
  EXPECT_EQ(Concat({Decode(head), Decode(tail)}), Concat({SpandspDecode(Unpack(head)), SpandspDecode(Unpack(tail))}));
}

}  // namespace
}  // namespace orven_test
