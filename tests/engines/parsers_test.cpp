// The pure parsers of the engines: voice descriptors, attribute tags and each engine's text decoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>

#include "code_tables/code_tables.h"
#include "text_decoding.h"
#include "text_rules.h"  // attribute tags
#include "voice_descriptor.h"

namespace {

using syn::DescriptorError;

// Accepted forms and every kind of refusal, with its line; a refusal leaves the output alone.
TEST(VoiceDescriptor, ParsesAndRefuses) {
  const std::string ok = "name = A\nbackend = tone\nrate = 16000\n", rate = "name = A\nbackend = tone\nrate = ";
  const std::string tail = "\nbackend = tone\nrate = 16000\n", n19(19, 'n');
  const std::tuple<std::string, DescriptorError, int32_t, std::string, int32_t> cases[] = {
      {"# v\r\n\r\n  # x\r\nname=Two Words \r\n\t\r\nbackend =\ttone\r\nrate = 8000", {}, 0, "Two Words", 8000},
      {"rate = 048000\nbackend = tone\nname = " + n19, {}, 0, n19, 48000},
      {ok + "#" + std::string(4095 - ok.size(), 'x'), {}, 0, "A", 16000},  // exactly 4096 bytes
      {ok + "#" + std::string(4096 - ok.size(), 'x'), DescriptorError::tooLarge, 0, "", 0},
      {std::string("name = A\0", 9) + tail, DescriptorError::nulByte, 0, "", 0},
      {"name = A\nbackend = tone\n", DescriptorError::missingKey, 0, "", 0},
      {ok + "name = B\n", DescriptorError::duplicateKey, 4, "", 0},
      {ok + "gender = x\n", DescriptorError::unknownKey, 4, "", 0},
      {ok + "rate 16000\n", DescriptorError::badLine, 4, "", 0},
      {rate + "16k\n", DescriptorError::badValue, 3, "", 0},
      {rate + "7999\n", DescriptorError::rateOutOfRange, 3, "", 0},
      {rate + "48001\n", DescriptorError::rateOutOfRange, 3, "", 0},
      {rate + "99999999999999999999\n", DescriptorError::rateOutOfRange, 3, "", 0},
      {"name = " + n19 + "n" + tail, DescriptorError::badValue, 1, "", 0},
      {"name =" + tail, DescriptorError::badValue, 1, "", 0},
      {"name = A\x7F" + tail, DescriptorError::badValue, 1, "", 0},
      {"name = \xC3\xA9" + tail, DescriptorError::badValue, 1, "", 0},
      {"name = A\nbackend = neural\nrate = 16000\n", DescriptorError::unknownBackend, 2, "", 0},
  };
  for (const auto& [bytes, error, line, name, rate] : cases) {
    syn::VoiceDescriptor v;
    const auto r = syn::parseVoiceDescriptor(bytes, v);
    EXPECT_EQ(std::tuple(r.error, r.line, std::string(v.name), v.rate), std::tuple(error, line, name, rate))
        << testing::PrintToString(bytes);
    EXPECT_STREQ(v.backend, r.ok() ? "tone" : "");
  }
}

// Values are clamped, other engines' tags ignored; a refused text changes nothing, not even its earlier tags.
TEST(AttributeTags, ParsesWellFormedTextsOnly) {
  syn::Attributes a;
  EXPECT_TRUE(syn::parseAttributeTags(" <echo=\"on, loud\">\t<volume=\"999\"><speed=\"1\"><pitch=\"0\"> ", a));
  EXPECT_EQ(std::tuple(a.volume, a.speed, a.pitch), std::tuple(200, 50, 50));
  for (const char* text : {"", "<volume=\"5\"> text", "<volume=\"5\"><speed=\"x\">", "<volume=\"-5\">", "<volume=\"\">",
                           "<volume=\"1234567890\">", "<volume=5>", "<volume=\"5\"", "<=\"5\">", "<"}) {
    EXPECT_FALSE(syn::parseAttributeTags(text, a)) << text;
    EXPECT_EQ(a.volume, 200) << text;
  }
}

constexpr int kKorean = 0, kEnglish = 1, kChinese = 2, kJapanese = 3;

// Each undecodable byte becomes U+FFFD without swallowing what follows; the codes' ambiguities resolve one way.
TEST(TextDecoding, UndecodableBytesAndAmbiguities) {
  const std::u32string bad = U"\uFFFD";
  const std::tuple<int, std::string, std::u32string> cases[] = {
      {kKorean, "a \xB0\xA1!\200A\xFF\xA1 \xB0", U"a \uAC00!" + bad + U"A" + bad + bad + U" " + bad},  // lone bytes
      {kKorean, "\xA1\xA1\xC6\x53\xC7\x41", bad + bad + bad + U"A"},  // no Hangul; past the last; C7 41 no code
      {kChinese, "\x80\xFF\377b\377A", U"\u20AC\uFFFDb\u00FFA"},      // FF FF: unencodable; FF alone: Latin-1
      {kChinese, "na\xEFve", U"na\u98D7e"},                           // a Latin-1 byte pairs with what follows
      {kChinese, "\xA7\x44\xA1\xE8", U"\u00A7D\u00A1\u00E8"},         // no code; A1 E8 is only listed for U+00A4
      {kJapanese, "\xED\x40\xF2\100a\x80\xA0\xFD\xFE\xFF\x82 \xE0\177a\x82",
       bad + bad + U"a" + std::u32string(5, U'\uFFFD') + bad + U" " + bad + U"\177a" + bad},
      {kEnglish, "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", U"\u00E9\u4E2D\U0001F600"},
      {kEnglish, "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF", U"\u0080\uFFFF\U0010FFFF"},
      {kEnglish, "\xEF\xBB\xBFhi\xEF\xBB\xBF", U"hi\uFEFF"},  // only a leading byte-order mark is skipped
      {kEnglish, "\xEF\xBB\xBF", U""},
      {kEnglish, "\xC3(\x80\277a\xE4\xB8", bad + U"(" + bad + bad + U"a" + bad + bad},        // one per stray byte
      {kEnglish, "\xC0\xAF\xE0\x80\xAF\xF0\x8F\xBF\xBF", std::u32string(9, U'\uFFFD')},       // overlong
      {kEnglish, "\xED\xA0\x80\xF4\x90\x80\x80\xC1\xF5\xFF", std::u32string(10, U'\uFFFD')},  // surrogate, > U+10FFFF
      {kEnglish, "\xE4\xC3\xA9", bad + U"\u00E9"},  // a bad byte does not swallow a good sequence
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
    syn::decodeText(kChinese, std::string{char(u), ' ', char(u)}, out);
    EXPECT_EQ(out, (std::u32string{e, U' ', e}));
  }
}

// Sends each unit in [first, end) that has a code as the library does, back to back (each followed by `sep`
// unless 0), and checks each comes back; Japanese U+00B7, sent as 0x2E, comes back as '.'.
template <class Code>
void expectRoundTrip(int language, uint32_t first, uint32_t end, Code code, char sep = 0) {
  std::string bytes;
  std::u32string units;
  for (uint32_t u = first; u < end; ++u) {
    if (const uint16_t c = code(u); c != 0xFFFF) {
      bytes.append(c > 0xFF, static_cast<char>(c >> 8)).append(1, static_cast<char>(c)).append(sep != 0, sep);
      units.append(1, language == kJapanese && u == 0xB7 ? U'.' : u).append(sep != 0, static_cast<char32_t>(sep));
    }
  }
  std::u32string back;
  syn::decodeText(language, bytes, back);
  ASSERT_GT(units.size(), 7000u);
  ASSERT_EQ(back.size(), units.size());
  const auto [unit, came] = std::mismatch(units.begin(), units.end(), back.begin());
  EXPECT_TRUE(unit == units.end()) << std::hex << uint32_t(*unit) << " came back as " << uint32_t(*came);
}

// All 11,172 Hangul syllables (also each before 'A', a trail byte), every Chinese unit from U+0100 (the lower
// ones travel as their byte), every Japanese unit.
TEST(TextDecoding, RoundTripsEveryCodeTheLibrarySends) {
  const auto hangul = [](uint32_t u) { return orven::codepage::kHangulCp949[u - 0xAC00]; };
  expectRoundTrip(kKorean, 0xAC00, 0xD7A4, hangul);
  expectRoundTrip(kKorean, 0xAC00, 0xD7A4, hangul, 'A');
  expectRoundTrip(kChinese, 0x100, 0x10000, [](uint32_t u) { return orven::codepage::ChineseTable()[u]; });
  expectRoundTrip(kJapanese, 0, 0x10000, [](uint32_t u) { return orven::codepage::JapaneseTable()[u]; });
}

}  // namespace
