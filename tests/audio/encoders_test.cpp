// mu-law, A-law and 8-bit linear on worked codes and at every array length and alignment (every input is compared
// with spandsp in the Linux build); VOX against its rule and decoded by sox.
#include "audio_test_support.h"

namespace orven_test {
namespace {

const std::pair<const char*, decltype(&ORVN_uLawEnCoding)> kForms[] = {
    {"ORVN_uLawEnCoding", ORVN_uLawEnCoding},
    {"ORVN_aLawEnCoding", ORVN_aLawEnCoding},
    {"ORVN_Linear8EnCoding", ORVN_Linear8EnCoding},
    {"ORVN_Linear8UnsignedEnCoding", ORVN_Linear8UnsignedEnCoding}};

// (sample, codes in kForms order): corners, segment edges, mu-law's zero trap (-31612).
TEST(G711, WorkedCodes) {
  const std::pair<int16_t, Bytes> worked[] = {
      {0, {0xFF, 0xD5, 0x00, 0x80}},      {-1, {0x7F, 0x55, 0xFF, 0x7F}},     {32767, {0x80, 0xAA, 0x7F, 0xFF}},
      {-32768, {0x02, 0x2A, 0x80, 0x00}}, {255, {0xE7, 0xDA, 0x00, 0x80}},    {256, {0xE7, 0xC5, 0x01, 0x81}},
      {-31611, {0x01, 0x2B, 0x84, 0x04}}, {-31612, {0x02, 0x2B, 0x84, 0x04}}, {1000, {0xCE, 0xFA, 0x03, 0x83}}};
  for (size_t k = 0; k < std::size(kForms); ++k) {
    for (const auto& [x, codes] : worked) {
      uint8_t out = 0;
      EXPECT_EQ(kForms[k].second(1, &x, &out), 1);
      EXPECT_EQ(out, codes[k]) << kForms[k].first << " of " << x;
    }
  }
}

// Eight samples a word: every short length, an unaligned start and in place give what one aligned call gives; counts
// <= 0 write nothing.
TEST(G711, ArrayLengthsAlignmentAndInPlace) {
  const Samples source = SpeechLike(64, 5);
  for (const auto& [name, encode] : kForms) {
    Bytes whole(64);
    ASSERT_EQ(encode(64, source.data(), whole.data()), 64);
    for (size_t offset : {0, 1})
      for (int32_t n = 1; n <= 25; ++n) {
        const int16_t* in = source.data() + offset;
        Bytes want(n + 2, 0xEE), out = want;
        std::copy(whole.begin() + offset, whole.begin() + offset + n, want.begin() + offset);
        ASSERT_EQ(encode(n, in, out.data() + offset), n);
        ASSERT_EQ(out, want) << name << " of " << n << " samples at offset " << offset;
        Samples buffer(in, in + n);
        const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
        encode(n, buffer.data(), reinterpret_cast<uint8_t*>(buffer.data()));
        ASSERT_EQ(Bytes(bytes, bytes + n), Bytes(want.begin() + offset, want.begin() + offset + n))
            << name << " in place";
      }
    uint8_t out = 0xEE;
    for (const int32_t count : {0, -1, -65536}) EXPECT_EQ(encode(count, source.data(), &out), count) << name;
    EXPECT_EQ(out, 0xEE) << name;
  }
}

constexpr int kSteps[49] = {16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
                            80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
                            408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
constexpr int kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// The coder's rule: quantize the difference from the tracked decoder, kept within -2048..2048 (2048 is one above the
// largest 12-bit value; the square wave below reaches it).
Bytes ReferenceEncode(const Samples& samples) {
  int last = 0, index = 0;
  const auto code = [&](int x) {
    const int step = kSteps[index];
    int diff = std::abs(x - last), c = x < last ? 8 : 0;
    if (diff >= step) c |= 4, diff -= step;
    if (diff >= step / 2) c |= 2, diff -= step / 2;
    if (diff >= step / 4) c |= 1;
    const int delta = step / 8 + (c & 1 ? step / 4 : 0) + (c & 2 ? step / 2 : 0) + (c & 4 ? step : 0);
    last = std::clamp(last + (c & 8 ? -delta : delta), -2048, 2048);
    index = std::clamp(index + kIndexAdjust[c & 7], 0, 48);
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
  const Samples square = Make(4000, [](int i) { return (i / 20) % 2 ? -32768 : 32767; });  // hits both limits
  std::mt19937 rng(7);
  const Samples noise = Make(6001, [&](int) { return static_cast<int16_t>(rng()); });
  const Samples signals[] = {
      SpeechLike(24000, 1), SpeechLike(8001, 2), Tone(3500, 23197, 4000), Tone(440, 104, 4000), square, noise, {1234},
      {-32768, 32767}};
  for (const Samples& x : signals) {
    Samples shifted = x;
    EXPECT_EQ(Encode(shifted), ReferenceEncode(x)) << "ORVN_VOXADPCMEnCoding of " << x.size() << " samples";
    for (size_t i = 0; i < x.size(); ++i) ASSERT_EQ(shifted[i], x[i] >> 4) << i << " of " << x.size() << " samples";
  }
  Samples two = {1000, 2000};
  uint8_t out = 0xEE;
  for (const int32_t count : {0, -1}) EXPECT_EQ(ORVN_VOXADPCMEnCoding(count, two.data(), &out), 0) << count;
  EXPECT_EQ(out, 0xEE) << "counts <= 0 write and shift nothing";
  EXPECT_EQ(two, (Samples{1000, 2000}));
}

// dB from the sample-to-sample differences down to the decoding error, which passes a DC blocker first (sox rounds
// each difference once and drifts slowly from the coder).
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
  const ScratchDir dir;
  WriteFile(dir / "in.vox", bytes);
  std::string command = "sox -t vox -r 8000 -c 1 ";
  command.append(dir / "in.vox").append(" -t raw -e signed -b 16 ").append(dir / "out.raw");
  if (std::system(command.c_str()) != 0) return {};
  const Bytes raw = ReadFile(dir / "out.raw");
  std::vector<int> out;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) out.push_back(static_cast<int16_t>(raw[i] | raw[i + 1] << 8) >> 4);
  return out;
}

// Three bits on an adaptive step gain 18 to 27 dB here; a fault in nibble order, sign, step table or adaptation
// falls well below the 12 dB floor (the same stream with its nibbles swapped measures below it).
TEST(VoxDecoding, SoxDecodesTheStreamCloseToTheInput) {
  REQUIRE_TOOL("sox");
  const std::pair<const char*, Samples> signals[] = {
      {"speech-like 1", SpeechLike(24000, 11)},    {"speech-like 2", SpeechLike(24000, 12)},
      {"300 Hz, -10 dB", Tone(300, 10362, 16000)}, {"1 kHz, -6 dB", Tone(1000, 16422, 16000)},
      {"1 kHz, -20 dB", Tone(1000, 3277, 16000)},  {"1 kHz, -40 dB", Tone(1000, 328, 16000)},
      {"2.5 kHz, -20 dB", Tone(2500, 3277, 16000)}};
  for (const auto& [name, x] : signals) {
    Samples shifted = x;
    const Bytes bytes = Encode(shifted);
    const std::vector<int> decoded = SoxDecode(bytes);
    ASSERT_EQ(decoded.size(), 2 * bytes.size()) << "ORVN_VOXADPCMEnCoding of " << name;
    EXPECT_GE(QuantizerGain(shifted, decoded), 12.0) << "ORVN_VOXADPCMEnCoding of " << name;
  }
}

}  // namespace
}  // namespace orven_test
