// G.711 mu-law and A-law and the two 8-bit linear forms: every 16-bit input
// against references written out plainly, the worked values, an error bound
// through the standard expansions, and spandsp's coders.
#include "audio/encoders/g711.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/encoders/linear8.h"
#include "orven_api.h"

#if defined(ORVEN_HAVE_SPANDSP)
// Under C++ spandsp's telephony.h redefines lrint and lrintf as truncating
// casts: it comes after every standard header, and the macros go.
#include <spandsp/telephony.h>
#include <spandsp/bit_operations.h>
#include <spandsp/g711.h>
#undef lrint
#undef lrintf
#endif

namespace orven::audio {
namespace {

// Every 16-bit sample, -32768 first.
std::vector<int16_t> AllSamples() {
  std::vector<int16_t> all;
  for (int32_t s = -32768; s <= 32767; ++s) all.push_back(static_cast<int16_t>(s));
  return all;
}

using Export = int32_t (*)(int32_t, const int16_t*, uint8_t*);

// The export's bytes for every sample, one call over all 65,536.
std::vector<uint8_t> EncodeAll(Export encode) {
  const std::vector<int16_t> all = AllSamples();
  std::vector<uint8_t> out(all.size() + 1, 0xEE);
  EXPECT_EQ(encode(static_cast<int32_t>(all.size()), all.data(), out.data()), 65536);
  EXPECT_EQ(out.back(), 0xEE) << "wrote past count bytes";
  out.pop_back();
  return out;
}

// ---------------------------------------------------------------------------
// References, step by step as the algorithms are described: slow and plain.

uint8_t ReferenceMuLaw(int16_t sample) {
  // 1. Sign.
  const int sign = sample < 0 ? 0x80 : 0;
  // 2. Magnitude, wide enough for -32768, clipped to 32635.
  long magnitude = sample < 0 ? -static_cast<long>(sample) : static_cast<long>(sample);
  if (magnitude > 32635) magnitude = 32635;
  // 3. Bias.
  magnitude += 132;
  // 4. Exponent: the highest set bit of bits 7..14, searched from the top.
  const long top = (magnitude >> 7) & 0xFF;
  int exponent = 0;
  for (int bit = 7; bit >= 1; --bit) {
    if ((top >> bit) & 1) {
      exponent = bit;
      break;
    }
  }
  // 5. Mantissa.
  const long mantissa = (magnitude >> (exponent + 3)) & 0x0F;
  // 6. Complement.
  uint8_t code = static_cast<uint8_t>(~(sign | exponent << 4 | mantissa));
  // 7. Zero trap.
  if (code == 0x00) code = 0x02;
  return code;
}

uint8_t ReferenceALaw(int16_t sample) {
  // 1. The top 11 bits of the magnitude, one's complement for negatives.
  int ix = sample < 0 ? (~sample) >> 4 : sample >> 4;
  // 2. Segment and mantissa.
  if (ix > 15) {
    int exponent = 1;
    while (ix > 31) {
      ix >>= 1;
      exponent += 1;
    }
    ix = ix - 16 + (exponent << 4);
  }
  // 3. Sign bit for samples >= 0.
  if (sample >= 0) ix |= 0x80;
  // 4. Invert the even bits.
  return static_cast<uint8_t>(ix ^ 0x55);
}

// The standard expansions (the decoders' view): the middle of each code's
// interval of samples.
int MuLawValue(uint8_t code) {
  const int c = static_cast<uint8_t>(~code);
  const int exponent = (c >> 4) & 7, mantissa = c & 15;
  const int magnitude = ((2 * mantissa + 33) << (exponent + 2)) - 132;
  return (c & 0x80) ? -magnitude : magnitude;
}

int ALawValue(uint8_t code) {
  const int c = code ^ 0x55;
  const int exponent = (c >> 4) & 7, mantissa = c & 15;
  const int magnitude = exponent == 0 ? (2 * mantissa + 1) << 3 : (2 * mantissa + 33) << (exponent + 2);
  return (c & 0x80) ? magnitude : -magnitude;
}

// ---------------------------------------------------------------------------
// mu-law and A-law

TEST(G711, MuLawMatchesTheReferenceForEverySample) {
  const std::vector<uint8_t> got = EncodeAll(ORVN_uLawEnCoding);
  size_t wrong = 0;
  for (int32_t s = -32768; s <= 32767; ++s) {
    const uint8_t want = ReferenceMuLaw(static_cast<int16_t>(s));
    if (got[static_cast<size_t>(s + 32768)] != want && ++wrong <= 5)
      ADD_FAILURE() << "sample " << s << ": got " << int{got[static_cast<size_t>(s + 32768)]} << ", want " << int{want};
    if (MuLawCode(static_cast<int16_t>(s)) != want && ++wrong <= 5) ADD_FAILURE() << "MuLawCode(" << s << ")";
  }
  EXPECT_EQ(wrong, 0u);
}

TEST(G711, ALawMatchesTheReferenceForEverySample) {
  const std::vector<uint8_t> got = EncodeAll(ORVN_aLawEnCoding);
  size_t wrong = 0;
  for (int32_t s = -32768; s <= 32767; ++s) {
    const uint8_t want = ReferenceALaw(static_cast<int16_t>(s));
    if (got[static_cast<size_t>(s + 32768)] != want && ++wrong <= 5)
      ADD_FAILURE() << "sample " << s << ": got " << int{got[static_cast<size_t>(s + 32768)]} << ", want " << int{want};
    if (ALawCode(static_cast<int16_t>(s)) != want && ++wrong <= 5) ADD_FAILURE() << "ALawCode(" << s << ")";
  }
  EXPECT_EQ(wrong, 0u);
}

// Beyond the four corner cases: segment edges, the first trapped mu-law
// input (-31612; -31611 codes 0x01) and an ordinary value, worked by hand.
struct Worked {
  int16_t sample;
  uint8_t muLaw, aLaw, linear8, linear8Unsigned;
};

TEST(G711, WorkedValues) {
  const Worked cases[] = {
      {0, 0xFF, 0xD5, 0x00, 0x80},       {-1, 0x7F, 0x55, 0xFF, 0x7F},
      {32767, 0x80, 0xAA, 0x7F, 0xFF},   {-32768, 0x02, 0x2A, 0x80, 0x00},
      {1, 0xFF, 0xD5, 0x00, 0x80},       {255, 0xE7, 0xDA, 0x00, 0x80},
      {256, 0xE7, 0xC5, 0x01, 0x81},     {-256, 0x67, 0x5A, 0xFF, 0x7F},
      {32635, 0x80, 0xAA, 0x7F, 0xFF},   {-32635, 0x02, 0x2A, 0x80, 0x00},
      {-31611, 0x01, 0x2B, 0x84, 0x04},  {-31612, 0x02, 0x2B, 0x84, 0x04},
      {1000, 0xCE, 0xFA, 0x03, 0x83},
  };
  for (const Worked& c : cases) {
    uint8_t out[4];
    ORVN_uLawEnCoding(1, &c.sample, &out[0]);
    ORVN_aLawEnCoding(1, &c.sample, &out[1]);
    ORVN_Linear8EnCoding(1, &c.sample, &out[2]);
    ORVN_Linear8UnsignedEnCoding(1, &c.sample, &out[3]);
    EXPECT_EQ(out[0], c.muLaw) << "mu-law of " << c.sample;
    EXPECT_EQ(out[1], c.aLaw) << "A-law of " << c.sample;
    EXPECT_EQ(out[2], c.linear8) << "8-bit of " << c.sample;
    EXPECT_EQ(out[3], c.linear8Unsigned) << "unsigned 8-bit of " << c.sample;
  }
}

TEST(G711, MuLawNeverEmitsZero) {
  for (uint8_t code : EncodeAll(ORVN_uLawEnCoding)) ASSERT_NE(code, 0x00);
}

// Decoded by the standard expansion, each code lies within half its
// interval of the sample (up to the clipping at 32635 for mu-law, 32767 for
// A-law), and larger samples never decode smaller.
TEST(G711, CodesDecodeWithinHalfAnIntervalAndInOrder) {
  const std::vector<uint8_t> mu = EncodeAll(ORVN_uLawEnCoding), a = EncodeAll(ORVN_aLawEnCoding);
  int previousMu = -40000, previousA = -40000;
  for (int32_t s = -32768; s <= 32767; ++s) {
    const size_t i = static_cast<size_t>(s + 32768);
    const int muValue = MuLawValue(mu[i]), aValue = ALawValue(a[i]);
    const int clipped = s < -32635 ? -32635 : s > 32635 ? 32635 : s;
    const int muHalf = 4 << ((static_cast<uint8_t>(~mu[i]) >> 4) & 7);
    const int aExponent = ((a[i] ^ 0x55) >> 4) & 7, aHalf = aExponent == 0 ? 8 : 4 << aExponent;
    if (mu[i] != 0x02) {  // the zero trap moves its inputs to the next code
      ASSERT_LE(std::abs(muValue - clipped), muHalf) << "mu-law of " << s;
      ASSERT_GE(muValue, previousMu) << "mu-law of " << s;
      previousMu = muValue;
    }
    ASSERT_LE(std::abs(aValue - s), aHalf) << "A-law of " << s;
    ASSERT_GE(aValue, previousA) << "A-law of " << s;
    previousA = aValue;
  }
}

// ---------------------------------------------------------------------------
// 8-bit linear

TEST(Linear8, EverySampleGivesItsHighByte) {
  const std::vector<uint8_t> signedForm = EncodeAll(ORVN_Linear8EnCoding);
  const std::vector<uint8_t> unsignedForm = EncodeAll(ORVN_Linear8UnsignedEnCoding);
  for (int32_t s = -32768; s <= 32767; ++s) {
    const size_t i = static_cast<size_t>(s + 32768);
    // Signed: the quotient by 256 rounded toward minus infinity.
    const int floorQuotient = (s - ((s % 256 + 256) % 256)) / 256;
    ASSERT_EQ(static_cast<int8_t>(signedForm[i]), floorQuotient) << s;
    // Unsigned: the high byte of the sample as offset binary (s + 32768).
    ASSERT_EQ(unsignedForm[i], (s + 32768) / 256) << s;
  }
}

// ---------------------------------------------------------------------------
// Array handling, shared by the four byte-per-sample forms

struct Form {
  const char* name;
  Export encode;
  uint8_t (*code)(int16_t);
};

const Form kForms[] = {
    {"mu-law", ORVN_uLawEnCoding, ReferenceMuLaw},
    {"A-law", ORVN_aLawEnCoding, ReferenceALaw},
    {"8-bit", ORVN_Linear8EnCoding, Linear8Code},
    {"unsigned 8-bit", ORVN_Linear8UnsignedEnCoding, Linear8UnsignedCode},
};

// Speech-ish samples that touch every byte value.
std::vector<int16_t> Mixed(size_t n) {
  std::vector<int16_t> s(n);
  uint32_t x = 12345;
  for (auto& v : s) {
    x = x * 1103515245u + 12345u;
    v = static_cast<int16_t>(x >> 16);
  }
  return s;
}

TEST(EncoderArrays, EveryLengthAndAlignment) {
  const std::vector<int16_t> source = Mixed(64);
  for (const Form& f : kForms) {
    for (size_t offset = 0; offset < 4; ++offset) {
      for (size_t n = 1; n <= 40; ++n) {
        std::vector<uint8_t> out(n + 8, 0xEE);
        const int16_t* in = source.data() + offset;
        ASSERT_EQ(f.encode(static_cast<int32_t>(n), in, out.data() + offset), static_cast<int32_t>(n));
        for (size_t i = 0; i < n; ++i) ASSERT_EQ(out[offset + i], f.code(in[i])) << f.name << " n=" << n;
        for (size_t i = 0; i < offset; ++i) ASSERT_EQ(out[i], 0xEE) << f.name;
        for (size_t i = offset + n; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << f.name << " n=" << n;
      }
    }
  }
}

TEST(EncoderArrays, InPlaceOverTheSamples) {
  for (const Form& f : kForms) {
    for (size_t n : {1u, 7u, 8u, 9u, 17u, 1000u}) {
      const std::vector<int16_t> source = Mixed(n);
      std::vector<int16_t> buffer = source;
      auto* bytes = reinterpret_cast<uint8_t*>(buffer.data());
      ASSERT_EQ(f.encode(static_cast<int32_t>(n), buffer.data(), bytes), static_cast<int32_t>(n));
      for (size_t i = 0; i < n; ++i) ASSERT_EQ(bytes[i], f.code(source[i])) << f.name << " n=" << n << " i=" << i;
    }
  }
}

TEST(EncoderArrays, CountsOfZeroOrLessWriteNothingAndComeBack) {
  const int16_t samples[2] = {1000, -1000};
  for (const Form& f : kForms) {
    for (const int32_t count : {0, -1, -65536}) {
      uint8_t out[2] = {0xEE, 0xEE};
      EXPECT_EQ(f.encode(count, samples, out), count) << f.name;
      EXPECT_EQ(out[0], 0xEE) << f.name;
    }
  }
}

// ---------------------------------------------------------------------------
// spandsp

#if defined(ORVEN_HAVE_SPANDSP)

// spandsp clips mu-law the same way, but does not apply the zero trap by
// default: the samples -32768..-31612, whose code is 0x00 before the trap,
// are the only ones where the two differ, 0x02 here and 0x00 there.
TEST(G711Spandsp, MuLawDiffersOnlyByTheZeroTrap) {
  const std::vector<uint8_t> ours = EncodeAll(ORVN_uLawEnCoding);
  size_t differing = 0;
  for (int32_t s = -32768; s <= 32767; ++s) {
    const uint8_t theirs = linear_to_ulaw(s), mine = ours[static_cast<size_t>(s + 32768)];
    if (mine == theirs) continue;
    ++differing;
    ASSERT_LE(s, -31612) << s;
    ASSERT_EQ(mine, 0x02) << s;
    ASSERT_EQ(theirs, 0x00) << s;
  }
  EXPECT_EQ(differing, 32768u - 31612u + 1u);
}

TEST(G711Spandsp, ALawAgreesEverywhere) {
  const std::vector<uint8_t> ours = EncodeAll(ORVN_aLawEnCoding);
  for (int32_t s = -32768; s <= 32767; ++s) ASSERT_EQ(ours[static_cast<size_t>(s + 32768)], linear_to_alaw(s)) << s;
}

#else

TEST(G711Spandsp, Unavailable) {
  const char* require = std::getenv("ORVEN_REQUIRE_ORACLES");
  if (require != nullptr && std::string(require) == "1") FAIL() << "built without spandsp, and ORVEN_REQUIRE_ORACLES=1 asks for it";
  GTEST_SKIP() << "built without spandsp (apt-get install libspandsp-dev, then reconfigure)";
}

#endif

}  // namespace
}  // namespace orven::audio
