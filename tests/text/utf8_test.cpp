// CheckUtf8 and Utf8ToUtf16.
#include "text/utf8.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "reference.h"
#include "test_support.h"

namespace orven::text {
namespace {

using testing::Bytes;
using testing::Hex;
using testing::Utf8;

bool Check(const std::string& s) { return CheckUtf8(s.data(), s.size()); }

struct CheckCase {
  const char* name;
  std::string bytes;
  bool valid;
};

TEST(CheckUtf8, AcceptsAndRejectsByTheLeadByteTable) {
  const std::vector<CheckCase> cases = {
      {"empty", "", true},
      {"ascii", "plain text 123", true},
      {"two-byte e-acute", Bytes({0xC3, 0xA9}), true},
      {"three-byte hangul", Bytes({0xEA, 0xB0, 0x80}), true},
      {"four-byte", Bytes({0xF0, 0x9F, 0x98, 0x80}), true},
      {"overlong NUL C0 80", Bytes({0xC0, 0x80}), true},
      {"overlong E0 80 80", Bytes({0xE0, 0x80, 0x80}), true},
      {"surrogate ED A0 80", Bytes({0xED, 0xA0, 0x80}), true},
      {"above U+10FFFF F4 90 80 80", Bytes({0xF4, 0x90, 0x80, 0x80}), true},
      {"F7 BF BF BF", Bytes({0xF7, 0xBF, 0xBF, 0xBF}), true},
      {"five-byte F8 88 80 80 80", Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}), true},
      {"five-byte FB", Bytes({0xFB, 0xBF, 0xBF, 0xBF, 0xBF}), true},
      {"six-byte FC", Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}), true},
      {"six-byte FD", Bytes({0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF}), true},
      {"C3 at the very end", std::string("abc") + Bytes({0xC3}), false},
      {"lone 80", Bytes({0x80}), false},
      {"lone BF after ascii", std::string("a") + Bytes({0xBF}), false},
      {"FE", Bytes({0xFE}), false},
      {"FF", Bytes({0xFF}), false},
      {"FE in a continuation slot", Bytes({0xC3, 0xFE}), false},
      {"three-byte cut after one", Bytes({0xE4, 0xB8}), false},
      {"four-byte cut", Bytes({0xF0, 0x9F, 0x98}), false},
      {"five-byte cut", Bytes({0xF8, 0x88, 0x80, 0x80}), false},
      {"six-byte cut", Bytes({0xFC, 0x84, 0x80, 0x80, 0x80}), false},
      {"lead where a continuation is owed", Bytes({0xE4, 0xC3, 0xA9}), false},
      {"ascii where a continuation is owed", Bytes({0xE4, 0xB8, 0x41}), false},
      {"extra continuation", Bytes({0xC3, 0xA9, 0xA9}), false},
      {"six-byte with five continuations then one more", Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80, 0x80}), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Check(c.bytes), c.valid) << c.name << ": " << Hex(c.bytes);
  }
}

// The same faults at every offset around the eight- and 32-byte blocks.
TEST(CheckUtf8, FindsAFaultAtAnyOffset) {
  const std::vector<std::string> faults = {Bytes({0x80}), Bytes({0xFE}), Bytes({0xFF}), Bytes({0xC3, 0x41}),
                                           Bytes({0xE4, 0xB8, 0x41}), Bytes({0xF8, 0x88, 0x80, 0x80, 0x41})};
  const std::vector<std::string> fine = {Bytes({0xC3, 0xA9}), Bytes({0xEA, 0xB0, 0x80}),
                                         Bytes({0xF0, 0x9F, 0x98, 0x80}), Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80})};
  for (size_t before = 0; before < 72; ++before) {
    for (size_t after : {size_t{0}, size_t{1}, size_t{7}, size_t{40}, size_t{130}}) {
      const std::string pad1(before, 'x'), pad2(after, 'y');
      for (const auto& f : faults) EXPECT_FALSE(Check(pad1 + f + pad2)) << before << " " << Hex(f);
      for (const auto& f : fine) EXPECT_TRUE(Check(pad1 + f + pad2)) << before << " " << Hex(f);
      // A sequence cut off by the end, whatever block the end falls in.
      for (const auto& f : fine) EXPECT_FALSE(Check(pad1 + f.substr(0, f.size() - 1))) << before << " " << Hex(f);
    }
  }
}

// Every text of up to two bytes, and every three-byte text whose bytes come
// from a set that covers each class of byte, against the plain walk.
TEST(CheckUtf8, AgreesWithThePlainWalkOnAllShortTexts) {
  for (unsigned a = 0; a < 256; ++a) {
    std::string one(1, static_cast<char>(a));
    ASSERT_EQ(Check(one), reference::CheckUtf8(one)) << Hex(one);
    for (unsigned b = 0; b < 256; ++b) {
      std::string two = one + static_cast<char>(b);
      ASSERT_EQ(Check(two), reference::CheckUtf8(two)) << Hex(two);
    }
  }
  const unsigned classes[] = {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xDF, 0xE0, 0xEF,
                              0xF0, 0xF7, 0xF8, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
  for (unsigned a : classes)
    for (unsigned b : classes)
      for (unsigned c : classes)
        for (unsigned d : classes) {
          const std::string s = Bytes({a, b, c, d});
          for (size_t n = 3; n <= 4; ++n) ASSERT_EQ(Check(s.substr(0, n)), reference::CheckUtf8(s.substr(0, n))) << Hex(s);
        }
}

// Utf8ToUtf16 into a heap buffer of exactly 2n + 2 bytes, so that a write
// past the end is caught by AddressSanitizer. The buffer starts filled with
// 0x5A to show what the routine zeroes.
struct Utf16Result {
  std::string buffer;
  size_t written;
};

Utf16Result ToUtf16(const std::string& in) {
  const size_t size = Utf16Capacity(in.size());
  std::unique_ptr<unsigned char[]> out(new unsigned char[size]);
  std::fill(out.get(), out.get() + size, 0x5A);
  const size_t written = Utf8ToUtf16(in.data(), in.size(), out.get());
  return {std::string(reinterpret_cast<char*>(out.get()), size), written};
}

struct Utf16Case {
  const char* name;
  std::string in;
  std::string units;  // the bytes after the mark
};

TEST(Utf8ToUtf16, WritesTheMarkAndUnitsLowByteFirst) {
  const std::vector<Utf16Case> cases = {
      {"empty", "", ""},
      {"ascii", "Ab", Bytes({0x41, 0, 0x62, 0})},
      {"two-byte", Utf8(0xE9), Bytes({0xE9, 0x00})},
      {"three-byte", Utf8(0x4E2D), Bytes({0x2D, 0x4E})},
      {"highest three-byte", Utf8(0xFFFF), Bytes({0xFF, 0xFF})},
      {"leading mark dropped", Bytes({0xEF, 0xBB, 0xBF}) + "A", Bytes({0x41, 0})},
      {"mark alone", Bytes({0xEF, 0xBB, 0xBF}), ""},
      {"second mark kept", Bytes({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF}), Bytes({0xFF, 0xFE})},
      {"overlong NUL", Bytes({0xC0, 0x80}), Bytes({0x00, 0x00})},
      // Two- and three-byte forms take the low six bits as they are.
      {"unchecked continuation", Bytes({0xC3, 0x41}), Bytes({0xC1, 0x00})},
      // Longer sequences: consumed whole, one U+FFFD each.
      {"four-byte", Utf8(0x1F600) + "A", Bytes({0xFD, 0xFF, 0x41, 0})},
      {"five-byte", Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}) + "A", Bytes({0xFD, 0xFF, 0x41, 0})},
      {"six-byte", Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}) + "A", Bytes({0xFD, 0xFF, 0x41, 0})},
      {"two four-byte in a row", Utf8(0x10000) + Utf8(0x10FFFF), Bytes({0xFD, 0xFF, 0xFD, 0xFF})},
      // Cut off by the end of the input: what is left gives one U+FFFD.
      {"cut two-byte", std::string("A") + Bytes({0xC3}), Bytes({0x41, 0, 0xFD, 0xFF})},
      {"cut three-byte", Bytes({0xE4, 0xB8}), Bytes({0xFD, 0xFF})},
      {"cut six-byte", Bytes({0xFC, 0x84, 0x80}), Bytes({0xFD, 0xFF})},
      // Bytes that start nothing: one U+FFFD each.
      {"stray continuation", Bytes({0x80, 0x41}), Bytes({0xFD, 0xFF, 0x41, 0})},
      {"FE FF", Bytes({0xFE, 0xFF}), Bytes({0xFD, 0xFF, 0xFD, 0xFF})},
  };
  for (const auto& c : cases) {
    const auto r = ToUtf16(c.in);
    const std::string expected = Bytes({0xFF, 0xFE}) + c.units;
    ASSERT_EQ(r.written, expected.size()) << c.name;
    EXPECT_EQ(Hex(r.buffer.substr(0, r.written)), Hex(expected)) << c.name;
    // Zero from the last unit up to 2n; the final two bytes untouched.
    for (size_t k = r.written; k < 2 * c.in.size(); ++k) EXPECT_EQ(r.buffer[k], 0) << c.name << " at " << k;
    for (size_t k = std::max(r.written, 2 * c.in.size()); k < r.buffer.size(); ++k)
      EXPECT_EQ(static_cast<unsigned char>(r.buffer[k]), 0x5A) << c.name << " at " << k;
  }
}

// Longer sequences at every offset around the eight-byte blocks, with ASCII
// after them, in exact-size buffers: consumed whole and in bounds.
TEST(Utf8ToUtf16, ConsumesLongSequencesWholeAtAnyOffset) {
  const std::vector<std::string> sequences = {
      Utf8(0x10000), Utf8(0x10FFFF), Bytes({0xF7, 0xBF, 0xBF, 0xBF}), Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}),
      Bytes({0xFB, 0xBF, 0xBF, 0xBF, 0xBF}), Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}),
      Bytes({0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF})};
  for (const auto& seq : sequences) {
    for (size_t before = 0; before < 20; ++before) {
      for (size_t after = 0; after < 12; ++after) {
        const std::string in = std::string(before, 'a') + seq + std::string(after, 'b');
        const auto r = ToUtf16(in);
        ASSERT_EQ(r.written, 2 + 2 * (before + 1 + after)) << Hex(in);
        EXPECT_EQ(static_cast<unsigned char>(r.buffer[2 + 2 * before]), 0xFD);
        EXPECT_EQ(static_cast<unsigned char>(r.buffer[3 + 2 * before]), 0xFF);
        if (after > 0) {
          EXPECT_EQ(r.buffer[4 + 2 * before], 'b') << Hex(in);
        }
      }
    }
  }
}

// Every code point of the Basic Multilingual Plane, alone and in one long
// text, comes out as its own unit.
TEST(Utf8ToUtf16, DecodesEveryBmpCodePoint) {
  std::string all;
  for (uint32_t cp = 1; cp <= 0xFFFF; ++cp) {
    const std::string one = Utf8(cp);
    all += one;
    const auto r = ToUtf16(one);
    if (cp == 0xFEFF) {  // alone, it is a leading byte-order mark
      ASSERT_EQ(r.written, 2u);
      continue;
    }
    ASSERT_EQ(r.written, 4u) << std::hex << cp;
    ASSERT_EQ(static_cast<unsigned char>(r.buffer[2]) | (static_cast<unsigned char>(r.buffer[3]) << 8), cp);
  }
  const auto r = ToUtf16(all);
  ASSERT_EQ(r.written, 2 + 2 * 0xFFFFu);
  for (uint32_t cp = 1; cp <= 0xFFFF; ++cp) {
    const size_t k = 2 * cp;
    ASSERT_EQ(static_cast<unsigned char>(r.buffer[k]) | (static_cast<unsigned char>(r.buffer[k + 1]) << 8), cp);
  }
}

TEST(Utf8ToUtf16, NeverWritesMoreThanTwoBytesPerInputBytePlusTheMark) {
  // The worst case: one unit per byte, all ASCII, or all bytes that start
  // nothing; exact-size buffers under AddressSanitizer.
  for (size_t n = 0; n < 40; ++n) {
    EXPECT_EQ(ToUtf16(std::string(n, 'a')).written, 2 + 2 * n);
    EXPECT_EQ(ToUtf16(std::string(n, '\x80')).written, 2 + 2 * n);
  }
}

}  // namespace
}  // namespace orven::text
