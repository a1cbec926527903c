// Utf8ToKorean, Utf8ToChinese and Utf8ToJapanese: the worked bytes, buffer
// sizes, and every Hangul syllable and BMP code point against the tables.
#include "text/code_pages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reference.h"
#include "test_support.h"
#include "text/tables/code_tables.h"

namespace orven::text {
namespace {

using testing::BlockSize;
using testing::Bytes;
using testing::Hex;
using testing::Text;
using testing::Utf8;

const std::string kBom = Bytes({0xEF, 0xBB, 0xBF});
const std::string kNothing = "<nothing>";

struct Case {
  const char* name;
  std::string in;
  std::string out;  // kNothing when the routine gives nothing
};

using Routine = std::function<Converted(const char*)>;

void RunCases(const Routine& convert, const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    const Converted r = convert(c.in.c_str());
    EXPECT_EQ(Hex(Text(r)), Hex(c.out)) << c.name;
    if (r) {
      EXPECT_EQ(r.length, std::strlen(r.bytes.get())) << c.name;
    }
  }
}

TEST(Utf8ToKorean, WorkedBytes) {
  RunCases(Utf8ToKorean, {
      {"empty", "", ""},
      {"ascii unchanged", "Hello, 123 <x>!", "Hello, 123 <x>!"},
      {"U+AC00", Utf8(0xAC00), Bytes({0xB0, 0xA1})},
      {"U+AC01", Utf8(0xAC01), Bytes({0xB0, 0xA2})},
      {"U+AC02 from the extension", Utf8(0xAC02), Bytes({0x81, 0x41})},
      {"U+C548", Utf8(0xC548), Bytes({0xBE, 0xC8})},
      {"U+D7A3", Utf8(0xD7A3), Bytes({0xC6, 0x52})},
      {"U+00E9 two spaces", Utf8(0xE9), "  "},
      {"U+4E2D one space", Utf8(0x4E2D), " "},
      {"U+ABFF below the syllables", Utf8(0xABFF), " "},
      {"U+D7A4 above the syllables", Utf8(0xD7A4), " "},
      {"four-byte four spaces", Utf8(0x1F600), "    "},
      {"five-byte five spaces", Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}), "     "},
      {"six-byte six spaces", Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}), "      "},
      {"leading mark one space", kBom + Utf8(0xAC00), std::string(" ") + Bytes({0xB0, 0xA1})},
      {"mixed", std::string("a") + Utf8(0xAC00) + std::string(" ") + Utf8(0xE9) + Utf8(0xAC02) + ".",
       std::string("a") + Bytes({0xB0, 0xA1}) + std::string("   ") + Bytes({0x81, 0x41}) + "."},
      {"C3 at the end", std::string("abc") + Bytes({0xC3}), kNothing},
      {"lone 80", Bytes({0x80}), kNothing},
      {"FE", std::string("x") + Bytes({0xFE}), kNothing},
      {"cut Hangul", Bytes({0xEA, 0xB0}), kNothing},
  });
}

TEST(Utf8ToChinese, WorkedBytes) {
  RunCases(Utf8ToChinese, {
      {"empty", "", ""},
      {"ascii unchanged", "Hello, 123!", "Hello, 123!"},
      {"U+4E2D", Utf8(0x4E2D), Bytes({0xD6, 0xD0})},
      {"U+4E00", Utf8(0x4E00), Bytes({0xD2, 0xBB})},
      {"U+3000", Utf8(0x3000), Bytes({0xA1, 0xA1})},
      {"U+FF01", Utf8(0xFF01), Bytes({0xA3, 0xA1})},
      {"U+00E9 its low byte", Utf8(0xE9), Bytes({0xE9})},
      {"U+00FF its low byte", Utf8(0xFF), Bytes({0xFF})},
      {"U+AC00 unmapped FF FF", Utf8(0xAC00), Bytes({0xFF, 0xFF})},
      {"U+20AC single 80, rest unchanged", Utf8(0x20AC) + std::string("5") + Utf8(0x4E2D) + "x",
       Bytes({0x80}) + std::string("5") + Bytes({0xD6, 0xD0}) + "x"},
      {"leading mark dropped", kBom + Utf8(0x4E2D), Bytes({0xD6, 0xD0})},
      {"unmapped last", std::string("a") + Utf8(0xAC00), std::string("a") + Bytes({0xFF, 0xFF})},
      {"C3 at the end", std::string("abc") + Bytes({0xC3}), kNothing},
      {"lone 80", Bytes({0x80}), kNothing},
      {"FE", Bytes({0xFE}), kNothing},
  });
}

TEST(Utf8ToJapanese, WorkedBytes) {
  RunCases(Utf8ToJapanese, {
      {"empty", "", ""},
      {"ascii through the table", "Hello\\~123", "Hello\\~123"},
      {"U+3042", Utf8(0x3042), Bytes({0x82, 0xA0})},
      {"U+3000", Utf8(0x3000), Bytes({0x81, 0x40})},
      {"U+FF5E", Utf8(0xFF5E), Bytes({0x81, 0x60})},
      {"U+FF71 single B1", Utf8(0xFF71), Bytes({0xB1})},
      {"U+FF61 single A1", Utf8(0xFF61), Bytes({0xA1})},
      {"U+FF9F single DF", Utf8(0xFF9F), Bytes({0xDF})},
      {"U+00E9 question mark", Utf8(0xE9), "?"},
      {"U+301C question mark", Utf8(0x301C), "?"},
      {"unmapped last leaves ? then the end", Utf8(0x3042) + Utf8(0x301C), Bytes({0x82, 0xA0}) + "?"},
      {"leading mark dropped", kBom + Utf8(0x3042), Bytes({0x82, 0xA0})},
      {"C3 at the end", std::string("abc") + Bytes({0xC3}), kNothing},
      {"lone 80", Bytes({0x80}), kNothing},
      {"FE", Bytes({0xFE}), kNothing},
  });
}

// Texts of 4- to 6-byte characters pass the check; Utf8ToUtf16 gives one
// U+FFFD for each, which the tables decide on like any other unit.
TEST(Utf8ToChineseAndJapanese, LongSequencesBecomeOneReplacementUnitEach) {
  const std::string in = std::string("a") + Utf8(0x1F600) + Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}) + "b";
  const std::string zh = reference::ChineseCode(0xFFFD);
  const std::string ja = reference::JapaneseCode(0xFFFD);
  EXPECT_EQ(Hex(Text(Utf8ToChinese(in.c_str()))), Hex(std::string("a") + zh + zh + "b"));
  EXPECT_EQ(Hex(Text(Utf8ToJapanese(in.c_str()))), Hex(std::string("a") + ja + ja + "b"));
}

// An overlong NUL (C0 80) is valid and becomes the unit 0, which both
// routines emit as the byte 0: the text ends there.
TEST(Utf8ToChineseAndJapanese, OverlongNulEndsTheText) {
  const std::string in = std::string("ab") + Bytes({0xC0, 0x80}) + "cd";
  for (const Routine& convert : {Routine(Utf8ToChinese), Routine(Utf8ToJapanese)}) {
    const Converted r = convert(in.c_str());
    ASSERT_TRUE(r);
    EXPECT_EQ(r.length, 2u);
    EXPECT_EQ(std::memcmp(r.bytes.get(), "ab\0cd", 6), 0);
  }
}

// The buffer handed back holds the routine's full capacity and ends the text
// with its terminator, for the worst and the usual cases. (The bytes after
// the terminator are unspecified.)
TEST(Converters, HandBackTheirFullCapacity) {
  struct Routine3 {
    const char* name;
    Converted (*convert)(const char*);
    size_t (*capacity)(size_t);
  };
  const Routine3 routines[] = {{"korean", Utf8ToKorean, [](size_t n) { return KoreanCapacity(n); }},
                               {"chinese", Utf8ToChinese, [](size_t n) { return ChineseCapacity(n); }},
                               {"japanese", Utf8ToJapanese, [](size_t n) { return JapaneseCapacity(n); }}};
  const std::vector<std::string> inputs = {"", "a", std::string(37, 'x'), Utf8(0xAC00) + Utf8(0x4E2D),
                                           Utf8(0xE9) + Utf8(0xE9) + std::string("abc") + Utf8(0x3042)};
  for (const auto& routine : routines) {
    for (const auto& in : inputs) {
      const Converted r = routine.convert(in.c_str());
      ASSERT_TRUE(r) << routine.name;
      const size_t capacity = routine.capacity(in.size());
      ASSERT_GE(BlockSize(r), capacity) << routine.name;
      ASSERT_LT(r.length, capacity) << routine.name;
      ASSERT_EQ(r.bytes[r.length], 0) << routine.name;
    }
  }
  EXPECT_EQ(KoreanCapacity(10), 22u);
  EXPECT_EQ(ChineseCapacity(10), 40u);
  EXPECT_EQ(JapaneseCapacity(10), 22u);
}

TEST(Converters, NullTextGivesNothing) {
  EXPECT_FALSE(Utf8ToKorean(nullptr));
  EXPECT_FALSE(Utf8ToChinese(nullptr));
  EXPECT_FALSE(Utf8ToJapanese(nullptr));
}

TEST(Converters, LeaveTheirInputAlone) {
  const std::string in = kBom + std::string("a") + Utf8(0xAC00) + Utf8(0x4E2D) + Utf8(0x3042);
  std::string copy = in;
  Utf8ToKorean(copy.c_str());
  Utf8ToChinese(copy.c_str());
  Utf8ToJapanese(copy.c_str());
  EXPECT_EQ(copy, in);
}

// Every Hangul syllable, each between ASCII neighbours so that it lands at
// every offset of the eight-byte blocks, gives the table's two bytes.
TEST(Utf8ToKorean, EverySyllableGivesItsTableEntry) {
  std::string in, expected;
  for (uint32_t k = 0; k < 11172; ++k) {
    const uint16_t code = kHangulCp949[k];
    ASSERT_NE(code >> 8, 0) << k;
    ASSERT_NE(code & 0xFF, 0) << k;
    in += Utf8(0xAC00 + k);
    expected += static_cast<char>(code >> 8);
    expected += static_cast<char>(code & 0xFF);
    if (k % 7 == 3) {
      in += "x";
      expected += "x";
    }
  }
  const Converted r = Utf8ToKorean(in.c_str());
  ASSERT_TRUE(r);
  ASSERT_EQ(r.length, expected.size());
  EXPECT_EQ(std::string(r.bytes.get(), r.length), expected);
}

// Every BMP code point from U+0001 in one text, and again shifted by one
// byte, gives what the table's rule gives for that unit.
TEST(Utf8ToChineseAndJapanese, EveryBmpCodePointFollowsTheTableRule) {
  for (const char* shift : {"", "x"}) {
    std::string in = shift, zh = shift, ja = shift;
    for (uint32_t cp = 1; cp <= 0xFFFF; ++cp) {
      in += Utf8(cp);
      zh += reference::ChineseCode(cp);
      ja += reference::JapaneseCode(cp);
    }
    const Converted c = Utf8ToChinese(in.c_str());
    const Converted j = Utf8ToJapanese(in.c_str());
    ASSERT_TRUE(c);
    ASSERT_TRUE(j);
    ASSERT_EQ(c.length, zh.size());
    ASSERT_EQ(j.length, ja.size());
    EXPECT_TRUE(std::string(c.bytes.get(), c.length) == zh);
    EXPECT_TRUE(std::string(j.bytes.get(), j.length) == ja);
  }
}

// Every three-byte form E0..EF 80..BF 80..BF, overlong ones included, in one
// text (an ASCII byte after every fifth, so that the forms land at every
// offset), gives what the byte-by-byte rules give. The routines find a
// form's table entry from its bytes rather than its code point, so each form
// must reach its own entry.
TEST(Converters, EveryThreeByteFormGivesWhatTheRulesGive) {
  std::string in;
  for (uint32_t lead = 0xE0; lead <= 0xEF; ++lead) {
    for (uint32_t second = 0x80; second <= 0xBF; ++second) {
      for (uint32_t third = 0x80; third <= 0xBF; ++third) {
        in += Bytes({lead, second, third});
        if (third % 5 == 0) in += "x";
      }
    }
  }
  const auto check = [&](const std::optional<std::string>& want, const Converted& got, const char* name) {
    ASSERT_TRUE(want.has_value()) << name;
    ASSERT_TRUE(got) << name;
    // E0 80 80 gives U+0000 in the Chinese and Japanese conversions, where
    // the text then ends; the bytes after it are still in the buffer.
    EXPECT_EQ(got.length, std::strlen(want->c_str())) << name;
    EXPECT_TRUE(std::memcmp(got.bytes.get(), want->data(), want->size() + 1) == 0) << name;
  };
  check(reference::Utf8ToKorean(in), Utf8ToKorean(in.c_str()), "korean");
  check(reference::Utf8ToChinese(in), Utf8ToChinese(in.c_str()), "chinese");
  check(reference::Utf8ToJapanese(in), Utf8ToJapanese(in.c_str()), "japanese");
}

// The converters rely on table entries never holding a zero byte, apart
// from the Japanese entry for U+0000.
TEST(CodeTables, EntriesHoldNoZeroByte) {
  const uint16_t* zh = ChineseTable();
  const uint16_t* ja = JapaneseTable();
  for (uint32_t u = 1; u <= 0xFFFF; ++u) {
    for (uint16_t e : {ja[u], u >= 0x100 ? zh[u] : uint16_t{0xFFFF}}) {
      ASSERT_NE(e & 0xFF, 0) << std::hex << u;
      ASSERT_NE(e, 0) << std::hex << u;
    }
  }
}

}  // namespace
}  // namespace orven::text
