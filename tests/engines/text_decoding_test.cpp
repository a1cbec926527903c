// Decoding of each engine's code back to characters: the edges of each
// code, and round trips over the library's own tables (every code the
// library can send decodes to the unit it came from, with the exceptions
// listed here).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "text/tables/code_tables.h"
#include "text_decoding.h"

namespace {

constexpr int kKorean = 0, kEnglish = 1, kChinese = 2, kJapanese = 3;

// "U+AC00 U+0041": readable in failure messages.
std::string show(const std::u32string& s) {
  std::string out;
  char hex[16];
  for (char32_t c : s) {
    std::snprintf(hex, sizeof hex, "%sU+%04X", out.empty() ? "" : " ", static_cast<unsigned>(c));
    out += hex;
  }
  return out;
}

std::u32string decoded(int language, std::string_view bytes) {
  std::u32string out;
  syn::decodeText(language, bytes, out);
  return out;
}

// The bytes of a table entry as the library sends them: one byte, or two with
// the high byte first.
void appendCode(std::string& s, uint16_t code) {
  if (code > 0xFF) s += static_cast<char>(code >> 8);
  s += static_cast<char>(code & 0xFF);
}

struct Case {
  const char* label;
  int language;
  std::string bytes;
  std::u32string expected;
};

TEST(TextDecoding, DecodesEachLanguagesCode) {
  const Case cases[] = {
      // Code page 949: ASCII and Hangul, nothing else.
      {"first KS X 1001 syllable", kKorean, "\xB0\xA1", U"\uAC00"},
      {"extension syllable", kKorean, "\x81\x41", U"\uAC02"},
      {"last syllable", kKorean, "\xC6\x52", U"\uD7A3"},
      {"ASCII around a syllable", kKorean, "a \xB0\xA1!", U"a \uAC00!"},
      {"ideographic space is not Hangul", kKorean, "\xA1\xA1x", U"\uFFFDx"},
      {"jamo are not Hangul syllables", kKorean, "\xA4\xA1", U"\uFFFD"},
      {"unassigned code after the last syllable", kKorean, "\xC6\x53z", U"\uFFFDz"},
      {"lone lead at the end", kKorean, "ab\xB0", U"ab\uFFFD"},
      {"lead before a space", kKorean, "\xB0 a", U"\uFFFD a"},
      {"extension trail after a lead above C6", kKorean, "\xC7\x41", U"\uFFFDA"},
      {"80 and FF are no leads", kKorean, "\x80\xFF\xB0\xA1", U"\uFFFD\uFFFD\uAC00"},
      // Code page 936.
      {"ideograph", kChinese, "\xD6\xD0", U"\u4E2D"},
      {"euro sign", kChinese, "\x80", U"\u20AC"},
      {"Latin-1 byte at the end", kChinese, "caf\xE9", U"caf\u00E9"},
      {"Latin-1 byte before a space", kChinese, "\xE9 \xFC", U"\u00E9 \u00FC"},
      {"unmapped unit", kChinese, "a\xFF\xFF" "b", U"a\uFFFDb"},
      {"FF alone", kChinese, "\xFF" "A", U"\u00FFA"},
      {"FF before an unmapped unit", kChinese, "\xE9\xFF\xFF", U"\u00E9\uFFFD"},
      {"a Latin-1 byte and a letter that form a code read as the code", kChinese, "na\xEFve", U"na\u98D7e"},
      {"a Latin-1 byte before an ideograph pairs with its lead", kChinese, "\xE9\xD6\xD0", U"\u6A79\u00D0"},
      {"U+00FF then an unmapped unit: FF FF pairs first", kChinese, "\xFF\xFF\xFF", U"\uFFFD\u00FF"},
      {"unmapped pair: the lead is Latin-1", kChinese, "\xA7\x44", U"\u00A7D"},
      {"code the table lists only for a Latin-1 unit", kChinese, "\xA1\xE8", U"\u00A1\u00E8"},
      // Shift_JIS.
      {"hiragana", kJapanese, "\x82\xA0", U"\u3042"},
      {"half-width katakana", kJapanese, "\xB1\xA1\xDF", U"\uFF71\uFF61\uFF9F"},
      {"unmapped characters arrive as '?'", kJapanese, "?", U"?"},
      {"0x2E is the full stop", kJapanese, "a.b", U"a.b"},
      {"ASCII backslash and tilde", kJapanese, "\\~", U"\\~"},
      {"Latin-1 unit with a two-byte code", kJapanese, "\x81\x98", U"\u00A7"},
      {"trail in the ASCII range", kJapanese, "\x81\x5F" "a", U"\uFF3Ca"},
      {"NEC-selected IBM code is never sent", kJapanese, "\xED\x40", U"\uFFFD"},
      {"unmapped user-defined code", kJapanese, "\xF2\x40" "a", U"\uFFFDa"},
      {"lone lead at the end", kJapanese, "a\x82", U"a\uFFFD"},
      {"lead before a non-trail", kJapanese, "\x82 \xE0\x7F", U"\uFFFD \uFFFD\x7F"},
      {"bytes that are no code", kJapanese, "\x80\xA0\xFD\xFE\xFF", U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      // UTF-8.
      {"two, three and four bytes", kEnglish, "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", U"\u00E9\u4E2D\U0001F600"},
      {"range ends", kEnglish, "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF", U"\u0080\uFFFF\U0010FFFF"},
      {"leading byte-order mark skipped", kEnglish, "\xEF\xBB\xBFhi", U"hi"},
      {"byte-order mark alone", kEnglish, "\xEF\xBB\xBF", U""},
      {"later byte-order mark kept", kEnglish, "a\xEF\xBB\xBF", U"a\uFEFF"},
      {"truncated at the end: one per byte", kEnglish, "a\xE4\xB8", U"a\uFFFD\uFFFD"},
      {"truncated before ASCII", kEnglish, "\xC3(", U"\uFFFD("},
      {"stray continuation bytes", kEnglish, "\x80\xBF" "a", U"\uFFFD\uFFFDa"},
      {"overlong forms", kEnglish, "\xC0\xAF\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"overlong four bytes", kEnglish, "\xF0\x8F\xBF\xBF", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"surrogate", kEnglish, "\xED\xA0\x80" "a", U"\uFFFD\uFFFD\uFFFDa"},
      {"above U+10FFFF", kEnglish, "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"bytes never in UTF-8", kEnglish, "\xC1\xF5\xFF", U"\uFFFD\uFFFD\uFFFD"},
      {"a bad byte does not swallow a good sequence", kEnglish, "\xE4\xC3\xA9", U"\uFFFD\u00E9"},
      {"nothing in, nothing out", kKorean, "", U""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(show(decoded(c.language, c.bytes)), show(c.expected));
  }
}

TEST(TextDecoding, ReplacesTheBuffersContents) {
  std::u32string out = U"left over from before";
  syn::decodeText(kKorean, "\xB0\xA1", out);
  EXPECT_EQ(show(out), show(U"\uAC00"));
  syn::decodeText(kEnglish, "", out);
  EXPECT_TRUE(out.empty());
}

// Where two long texts first differ, "" if they do not.
std::string firstDifference(const std::u32string& got, const std::u32string& want) {
  std::size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  if (i == got.size() && i == want.size()) return "";
  return "at " + std::to_string(i) + ": got " + show(got.substr(i, 2)) + ", want " + show(want.substr(i, 2));
}

// Every Hangul syllable's code gives the syllable back, back to back (so a
// decoder that loses its place shows) and each before an 'A', which is also
// a trail byte.
TEST(TextDecodingRoundTrip, EveryHangulSyllable) {
  std::string packed, separated;
  std::u32string syllables, withSeparators;
  for (uint32_t k = 0; k < 11172; ++k) {
    appendCode(packed, orven::text::kHangulCp949[k]);
    appendCode(separated, orven::text::kHangulCp949[k]);
    separated += 'A';
    syllables += static_cast<char32_t>(0xAC00 + k);
    withSeparators += static_cast<char32_t>(0xAC00 + k);
    withSeparators += U'A';
  }
  EXPECT_EQ(firstDifference(decoded(kKorean, packed), syllables), "");
  EXPECT_EQ(firstDifference(decoded(kKorean, separated), withSeparators), "");
}

// Encodes every mapped unit from `first` on as the library does, back to
// back, decodes the lot, and reports every unit that does not come back as
// `unit -> what came back`.
std::map<char32_t, char32_t> roundTripMismatches(int language, const uint16_t* table, uint32_t first,
                                                 std::size_t& count) {
  std::string bytes;
  std::vector<char32_t> units;
  for (uint32_t u = first; u < 0x10000; ++u) {
    if (table[u] == 0xFFFF) continue;
    appendCode(bytes, table[u]);
    units.push_back(static_cast<char32_t>(u));
  }
  count = units.size();
  const std::u32string back = decoded(language, bytes);
  std::map<char32_t, char32_t> mismatches;
  if (back.size() != units.size()) {
    ADD_FAILURE() << "decoded " << back.size() << " characters from " << units.size() << " codes";
    return mismatches;
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (back[i] != units[i]) mismatches[units[i]] = back[i];
  }
  return mismatches;
}

// The library sends units below U+0100 as their own byte, so the table's
// entries from U+0100 on are what it sends through the table. No two of
// them share a code.
TEST(TextDecodingRoundTrip, EveryChineseUnitFromU0100) {
  std::size_t count = 0;
  const auto mismatches = roundTripMismatches(kChinese, orven::text::ChineseTable(), 0x100, count);
  EXPECT_GT(count, 23000u);
  EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " units do not come back, the first U+" << std::hex
                                  << static_cast<uint32_t>(mismatches.empty() ? 0 : mismatches.begin()->first);
}

// The units below U+0100 travel as one byte each. Alone, or before a byte
// that cannot complete a code, each comes back, except U+0080, whose byte
// is the euro sign's code.
TEST(TextDecodingRoundTrip, ChineseLatin1Bytes) {
  for (uint32_t u = 1; u < 0x100; ++u) {
    SCOPED_TRACE(u);
    const char32_t expected = u == 0x80 ? U'\u20AC' : static_cast<char32_t>(u);
    const std::string alone(1, static_cast<char>(u));
    EXPECT_EQ(show(decoded(kChinese, alone)), show(std::u32string(1, expected)));
    EXPECT_EQ(show(decoded(kChinese, alone + " ")), show(std::u32string{expected, U' '}));
  }
}

// Every unit of the Japanese table, ASCII and Latin-1 included (the library
// sends every unit through the table). One exception: U+00B7 is sent as
// 0x2E, the full stop's byte, and comes back as the full stop.
TEST(TextDecodingRoundTrip, EveryJapaneseUnit) {
  std::size_t count = 0;
  const auto mismatches = roundTripMismatches(kJapanese, orven::text::JapaneseTable(), 0, count);
  EXPECT_GT(count, 7000u);
  EXPECT_EQ(mismatches, (std::map<char32_t, char32_t>{{U'\u00B7', U'.'}}));
}

// The reverse tables are built on first use; several threads using them
// first at once must each get the whole table (the thread sanitizer build
// checks the build is guarded).
TEST(TextDecoding, ConcurrentFirstUseAgrees) {
  const std::string texts[4] = {"\xB0\xA1\x81\x41", "\xC3\xA9", "\xD6\xD0\x80", "\x82\xA0\xB1"};
  const std::u32string expected[4] = {U"\uAC00\uAC02", U"\u00E9", U"\u4E2D\u20AC", U"\u3042\uFF71"};
  std::vector<std::thread> threads;
  std::u32string results[8];
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] { syn::decodeText(t % 4, texts[t % 4], results[t]); });
  }
  for (auto& t : threads) t.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(show(results[t]), show(expected[t % 4]));
}

}  // namespace
