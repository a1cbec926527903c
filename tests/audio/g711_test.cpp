// mu-law, A-law and 8-bit linear over every 16-bit input against plainly written references; array handling.
#include "audio_test_support.h"

namespace orven_test {
namespace {

uint8_t ReferenceMuLaw(int16_t sample) {
  const int sign = sample < 0 ? 0x80 : 0;
  const int magnitude = std::min(std::abs(int{sample}), 32635) + 132;  // clipped, biased
  int exponent = 7;
  while (exponent > 0 && !(magnitude >> (exponent + 7) & 1)) --exponent;  // highest set bit of bits 7..14
  const int mantissa = (magnitude >> (exponent + 3)) & 0x0F;
  const auto code = static_cast<uint8_t>(~(sign | exponent << 4 | mantissa));
  return code == 0x00 ? 0x02 : code;  // zero trap
}

uint8_t ReferenceALaw(int16_t sample) {
  const int ix = sample < 0 ? ~sample >> 4 : sample >> 4;  // 11 bits of magnitude, one's complement for negatives
  int exponent = 7;
  while (exponent > 0 && !(ix >> (exponent + 3) & 1)) --exponent;  // segment: highest set bit of bits 4..10
  const int mantissa = (ix >> (exponent > 0 ? exponent - 1 : 0)) & 0x0F;
  return static_cast<uint8_t>(((sample >= 0 ? 0x80 : 0) | exponent << 4 | mantissa) ^ 0x55);  // even bits inverted
}

uint8_t ReferenceLinear8(int16_t s) { return static_cast<uint8_t>((s - ((s % 256 + 256) % 256)) / 256); }  // floor
uint8_t ReferenceLinear8Unsigned(int16_t s) { return static_cast<uint8_t>((s + 32768) / 256); }

struct Form {
  const char* name;
  int32_t (*encode)(int32_t, const int16_t*, uint8_t*);
  uint8_t (*reference)(int16_t);
};

const Form kForms[] = {{"mu-law", ORVN_uLawEnCoding, ReferenceMuLaw},
                       {"A-law", ORVN_aLawEnCoding, ReferenceALaw},
                       {"8-bit", ORVN_Linear8EnCoding, ReferenceLinear8},
                       {"unsigned 8-bit", ORVN_Linear8UnsignedEnCoding, ReferenceLinear8Unsigned}};

// All 65,536 inputs in one call against the references, and the worked values: the
// corners, segment edges and the first zero-trapped mu-law input (-31612).
TEST(G711, EveryInputMatchesTheReference) {
  struct Worked {
    int16_t sample;
    uint8_t codes[4];
  };  // codes: mu-law, A-law, 8-bit, unsigned 8-bit
  const Worked worked[] = {
      {0, {0xFF, 0xD5, 0x00, 0x80}},      {-1, {0x7F, 0x55, 0xFF, 0x7F}},     {32767, {0x80, 0xAA, 0x7F, 0xFF}},
      {-32768, {0x02, 0x2A, 0x80, 0x00}}, {255, {0xE7, 0xDA, 0x00, 0x80}},    {256, {0xE7, 0xC5, 0x01, 0x81}},
      {-31611, {0x01, 0x2B, 0x84, 0x04}}, {-31612, {0x02, 0x2B, 0x84, 0x04}}, {1000, {0xCE, 0xFA, 0x03, 0x83}}};
  Samples all;
  for (int32_t s = -32768; s <= 32767; ++s) all.push_back(static_cast<int16_t>(s));
  for (size_t k = 0; k < 4; ++k) {
    const Form& f = kForms[k];
    Bytes out(all.size() + 1, 0xEE);
    ASSERT_EQ(f.encode(65536, all.data(), out.data()), 65536);
    EXPECT_EQ(out.back(), 0xEE) << f.name << " wrote past the count";
    for (size_t i = 0; i < all.size(); ++i) {
      ASSERT_EQ(out[i], f.reference(all[i])) << f.name << " of " << all[i];
      ASSERT_FALSE(k == 0 && out[i] == 0x00) << "mu-law 0x00 for " << all[i];
    }
    for (const Worked& c : worked) EXPECT_EQ(out[c.sample + 32768], c.codes[k]) << f.name << " of " << c.sample;
  }
}

// The exports code eight samples per word: every short length, an unaligned
// start, in place over the samples, and nothing for counts <= 0.
TEST(G711, ArrayLengthsAlignmentAndInPlace) {
  const Samples source = SpeechLike(64, 5);
  for (const Form& f : kForms) {
    for (size_t offset : {0, 1}) {
      for (int32_t n = 1; n <= 25; ++n) {
        const int16_t* in = source.data() + offset;
        Bytes want(n + 2, 0xEE), out = want;
        std::transform(in, in + n, want.begin() + offset, f.reference);
        ASSERT_EQ(f.encode(n, in, out.data() + offset), n);
        ASSERT_EQ(out, want) << f.name << " n=" << n;
        Samples buffer(in, in + n);
        const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
        f.encode(n, buffer.data(), reinterpret_cast<uint8_t*>(buffer.data()));
        ASSERT_EQ(Bytes(bytes, bytes + n), Bytes(want.begin() + offset, want.begin() + offset + n))
            << f.name << " in place";
      }
    }
    uint8_t out = 0xEE;
    for (const int32_t count : {0, -1, -65536}) EXPECT_EQ(f.encode(count, source.data(), &out), count) << f.name;
    EXPECT_EQ(out, 0xEE) << f.name;
  }
}

}  // namespace
}  // namespace orven_test
