// The VOX ADPCM encoder against its rule written out from the published algorithm, and decoded by sox.
#include "audio_test_support.h"

namespace orven_test {
namespace {

constexpr int kSteps[49] = {16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
                            80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
                            408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
constexpr int kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// The published decoder: one code, the value kept within -2048..highest.
struct Decoder {
  int last = 0, index = 0, highest = 2047;
  int operator()(int code) {
    const int step = kSteps[index];
    const int delta = step / 8 + (code & 1 ? step / 4 : 0) + (code & 2 ? step / 2 : 0) + (code & 4 ? step : 0);
    last = std::clamp(last + (code & 8 ? -delta : delta), -2048, highest);
    index = std::clamp(index + kIndexAdjust[code & 7], 0, 48);
    return last;
  }
};

// The coder's rule: quantize the difference from the tracked decoder, whose
// upper limit is 2048 (one above the largest 12-bit value).
Bytes ReferenceEncode(const Samples& samples, int highest = 2048) {
  Decoder tracked{0, 0, highest};
  const auto code = [&](int x) {
    const int step = kSteps[tracked.index];
    int diff = std::abs(x - tracked.last), c = x < tracked.last ? 8 : 0;
    if (diff >= step) c |= 4, diff -= step;
    if (diff >= step / 2) c |= 2, diff -= step / 2;
    if (diff >= step / 4) c |= 1;
    tracked(c);
    return c;
  };
  Bytes bytes;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) {
    const int high = code(samples[i] >> 4);
    bytes.push_back(static_cast<uint8_t>(high << 4 | code(samples[i + 1] >> 4)));
  }
  return bytes;
}

// The export's bytes; `samples` are left as the export leaves them.
Bytes Encode(Samples& samples) {
  Bytes bytes(samples.size() / 2 + 1, 0xEE);
  EXPECT_EQ(ORVN_VOXADPCMEnCoding(static_cast<int32_t>(samples.size()), samples.data(), bytes.data()),
            static_cast<int32_t>(samples.size() / 2));
  EXPECT_EQ(bytes.back(), 0xEE) << "wrote past count / 2 bytes";
  bytes.pop_back();
  return bytes;
}

// Several streams in a row (each call starts from the reset state), the input shifted right by 4 in place.
TEST(VoxEncoder, FollowsTheCoderRule) {
  const Samples square =
      Make(4000, [](int i) { return (i / 20) % 2 ? -32768 : 32767; });  // drives the reconstruction to both limits
  const Samples signals[] = {SpeechLike(24000, 1),
                             SpeechLike(8001, 2),
                             Tone(3500, 23197, 4000),
                             Tone(440, 104, 4000),
                             square,
                             Make(6001, [rng = std::mt19937(7)](int) mutable { return static_cast<int16_t>(rng()); }),
                             {1234},
                             {-32768, 32767}};
  for (const Samples& x : signals) {
    Samples shifted = x;
    EXPECT_EQ(Encode(shifted), ReferenceEncode(x)) << x.size() << " samples";
    for (size_t i = 0; i < x.size(); ++i) ASSERT_EQ(shifted[i], x[i] >> 4) << i;
  }
  // The 2048 limit matters: with 2047 the square codes differently.
  EXPECT_NE(ReferenceEncode(square, 2047), ReferenceEncode(square));
}

TEST(VoxEncoder, WorkedCases) {
  // 5 samples give 2 bytes, the fifth shifted but not coded. Each overshoots
  // by more than 1.75 steps: magnitude 7 and the step index up by 8.
  Samples five = {1000, -2000, 3000, -4000, 32767}, silence(64, 0), two = {1000, 2000};
  EXPECT_EQ(Encode(five), (Bytes{0x7F, 0x7F}));
  EXPECT_EQ(five, (Samples{62, -125, 187, -250, 2047}));
  EXPECT_EQ(Encode(silence), Bytes(32, 0x08)) << "silence alternates codes 0 and 8 on the smallest step";
  uint8_t out = 0xEE;
  for (const int32_t count : {0, -1}) EXPECT_EQ(ORVN_VOXADPCMEnCoding(count, two.data(), &out), 0);
  EXPECT_EQ(out, 0xEE) << "counts <= 0 write and shift nothing";
  EXPECT_EQ(two, (Samples{1000, 2000}));
}

// How far below the sample-to-sample differences the decoding error lies, in dB: SNR
// less what coding the difference from the last value gains on the signal. The error
// passes a DC blocker first, as sox rounds each difference once and drifts slowly from the coder.
double QuantizerGain(const Samples& x, const std::vector<int>& decoded) {
  double difference = 0, noise = 0, previous = 0, blocked = 0;
  for (size_t i = 1; i < decoded.size(); ++i) {
    const double e = x[i] - decoded[i], d = x[i] - x[i - 1];
    blocked = e - previous + 0.99 * blocked, previous = e;
    difference += d * d, noise += blocked * blocked;
  }
  return 10 * std::log10(difference / std::max(noise, 1e-9));
}

std::vector<int> SoxDecode(const Bytes& bytes) {
  TempDir dir;
  WriteFile(dir / "in.vox", bytes);
  std::string command = "sox -t vox -r 8000 -c 1 ";
  command.append(dir / "in.vox").append(" -t raw -e signed -b 16 ").append(dir / "out.raw");
  if (std::system(command.c_str()) != 0) return {};
  const Bytes raw = ReadFile(dir / "out.raw");
  std::vector<int> out;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) out.push_back(static_cast<int16_t>(raw[i] | raw[i + 1] << 8) >> 4);
  return out;
}

// Three magnitude bits on an adaptive step gain 18 to 27 dB here; a fault in nibble
// order, sign, step table or adaptation costs far more than the 12 dB floor allows, as
// the same stream with its nibbles swapped shows.
TEST(VoxDecoding, SoxDecodesTheStreamCloseToTheInput) {
  REQUIRE_TOOL("sox");
  const Samples signals[] = {SpeechLike(24000, 11),    SpeechLike(24000, 12),   Tone(300, 10362, 16000),
                             Tone(1000, 16422, 16000), Tone(1000, 3277, 16000), Tone(1000, 328, 16000),
                             Tone(2500, 3277, 16000)};  // -6 to -40 dBFS
  for (const Samples& x : signals) {
    Samples shifted = x;
    const Bytes bytes = Encode(shifted);
    const std::vector<int> decoded = SoxDecode(bytes);
    ASSERT_EQ(decoded.size(), 2 * bytes.size());
    EXPECT_GE(QuantizerGain(shifted, decoded), 12.0);
  }
  Samples shifted = SpeechLike(24000, 11);
  Bytes swapped = Encode(shifted);
  for (uint8_t& b : swapped) b = static_cast<uint8_t>(b << 4 | b >> 4);
  EXPECT_LT(QuantizerGain(shifted, SoxDecode(swapped)), 12.0);
}

}  // namespace
}  // namespace orven_test
