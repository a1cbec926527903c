// Decoding of each engine's code back to characters: undecodable bytes, the
// documented ambiguities, and round trips over every code the library sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "text/tables/code_tables.h"
#include "text_decoding.h"

namespace {

constexpr int kKorean = 0, kEnglish = 1, kChinese = 2, kJapanese = 3;

std::u32string decoded(int language, const std::string& bytes) {
  std::u32string out;
  syn::decodeText(language, bytes, out);
  return out;
}

TEST(TextDecoding, UndecodableBytesAndAmbiguities) {
  const std::u32string bad = U"\uFFFD";
  const std::tuple<int, std::string, std::u32string> cases[] = {
      {kKorean, "a \xB0\xA1!\x80" "A\xFF\xA1 \xB0", U"a \uAC00!" + bad + U"A" + bad + bad + U" " + bad},  // lone bytes
      {kKorean, "\xA1\xA1\xC6\x53\xC7\x41", bad + bad + bad + U"A"},  // no Hangul; past the last; C7 41 no code
      {kChinese, "\x80\xFF\xFF" "b\xFF" "A", U"\u20AC\uFFFDb\u00FFA"},  // FF FF: unencodable; FF alone: Latin-1
      {kChinese, "na\xEFve", U"na\u98D7e"},                       // a Latin-1 byte pairs with what follows
      {kChinese, "\xE9\xD6\xD0\xFF\xFF\xFF", U"\u6A79\u00D0\uFFFD\u00FF"},
      {kChinese, "\xA7\x44\xA1\xE8", U"\u00A7D\u00A1\u00E8"},     // no code; A1 E8 is only listed for U+00A4
      {kJapanese, "\xED\x40\xF2\x40" "a\x80\xA0\xFD\xFE\xFF", bad + bad + U"a" + std::u32string(5, U'\uFFFD')},
      {kJapanese, "\x82 \xE0\x7F" "a\x82", bad + U" " + bad + U"\x7F" "a" + bad},
      {kEnglish, "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", U"\u00E9\u4E2D\U0001F600"},
      {kEnglish, "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF", U"\u0080\uFFFF\U0010FFFF"},
      {kEnglish, "\xEF\xBB\xBFhi\xEF\xBB\xBF", U"hi\uFEFF"},      // only a leading byte-order mark is skipped
      {kEnglish, "\xEF\xBB\xBF", U""},
      {kEnglish, "\xC3(\x80\xBF" "a\xE4\xB8", bad + U"(" + bad + bad + U"a" + bad + bad},  // one per stray byte
      {kEnglish, "\xC0\xAF\xE0\x80\xAF\xF0\x8F\xBF\xBF", std::u32string(9, U'\uFFFD')},    // overlong
      {kEnglish, "\xED\xA0\x80\xF4\x90\x80\x80\xC1\xF5\xFF", std::u32string(10, U'\uFFFD')},  // surrogate, > U+10FFFF
      {kEnglish, "\xE4\xC3\xA9", bad + U"\u00E9"},                // a bad byte does not swallow a good sequence
      {kKorean, "", U""},
  };
  std::u32string out = U"left over";  // reused: each call replaces the contents
  for (const auto& [language, bytes, expected] : cases) {
    syn::decodeText(language, bytes, out);
    EXPECT_EQ(out, expected) << testing::PrintToString(bytes);
  }
  // Units below U+0100 travel as one byte; each comes back, U+0080 as the euro sign.
  for (uint32_t u = 1; u < 0x100; ++u) {
    const char32_t e = u == 0x80 ? U'\u20AC' : u;
    EXPECT_EQ(decoded(kChinese, {char(u), ' ', char(u)}), (std::u32string{e, U' ', e}));
  }
}

// Encodes the units [first, end) that have a code as the library does, back to back (each followed
// by `sep` unless 0), and returns the units that do not come back, mapped to what came instead.
template <class Code>
std::map<char32_t, char32_t> mismatches(int language, uint32_t first, uint32_t end, Code code, char sep = 0) {
  std::string bytes;
  std::u32string units;
  for (uint32_t u = first; u < end; ++u) {
    if (const uint16_t c = code(u); c != 0xFFFF) {
      bytes.append(c > 0xFF, static_cast<char>(c >> 8)).append(1, static_cast<char>(c)).append(sep != 0, sep);
      units.append(1, u).append(sep != 0, static_cast<char32_t>(sep));
    }
  }
  const std::u32string back = decoded(language, bytes);
  std::map<char32_t, char32_t> out;
  if (back.size() != units.size() || units.size() < 7000) out[0] = static_cast<char32_t>(back.size());
  for (std::size_t i = 0; i < std::min(back.size(), units.size()); ++i) {
    if (back[i] != units[i]) out[units[i]] = back[i];
  }
  return out;
}

// All 11,172 Hangul syllables (also each before 'A', a trail byte), every
// Chinese unit from U+0100 (the lower ones travel as their byte), every
// Japanese unit, of which only U+00B7 (sent as 0x2E) comes back otherwise.
TEST(TextDecoding, RoundTripsEveryCodeTheLibrarySends) {
  const std::map<char32_t, char32_t> none;
  const auto hangul = [](uint32_t u) { return orven::text::kHangulCp949[u - 0xAC00]; };
  EXPECT_EQ(mismatches(kKorean, 0xAC00, 0xD7A4, hangul), none);
  EXPECT_EQ(mismatches(kKorean, 0xAC00, 0xD7A4, hangul, 'A'), none);
  const uint16_t* chinese = orven::text::ChineseTable();
  EXPECT_EQ(mismatches(kChinese, 0x100, 0x10000, [&](uint32_t u) { return chinese[u]; }), none);
  const uint16_t* japanese = orven::text::JapaneseTable();
  EXPECT_EQ(mismatches(kJapanese, 0, 0x10000, [&](uint32_t u) { return japanese[u]; }),
            (std::map<char32_t, char32_t>{{U'\u00B7', U'.'}}));
}

}  // namespace
