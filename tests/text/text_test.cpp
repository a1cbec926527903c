// src/text routines: worked values, then a differential run against a byte-by-byte reference.

#include "test_support.h"
#include "text_reference.h"

namespace orven::text {
namespace {

using ::testing::PrintToString;  // escapes bytes outside printable ASCII

// The shortest UTF-8 form of a code point up to 0x7FFFFFFF (six bytes at most).
std::string Utf8(uint32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  const int n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : cp < 0x200000 ? 4 : cp < 0x4000000 ? 5 : 6;
  std::string s(n, '\0');
  for (int k = n - 1; k > 0; --k, cp >>= 6) s[k] = static_cast<char>(0x80 | (cp & 0x3F));
  s[0] = static_cast<char>((0xFF00u >> n) | cp);  // n leading one bits
  return s;
}

// CheckUtf8 passes overlong, surrogate, above-U+10FFFF and 5-6 byte forms. Utf8ToUtf16 writes the mark (a leading
// one dropped), then a unit per sequence, bits unchecked; U+FFFD for a long or cut sequence and for a stray byte.
TEST(Utf8, CheckAndUtf16Units) {
  // clang-format off
  const struct { std::string in, units; bool valid; } cases[] = {
      {"Ab", {'A', 0, 'b', 0}, true}, {"\xE4\xB8\xAD", "\x2D\x4E", true}, {"\xC0\x80", {0, 0}, true},
      {"\xED\xA0\x80", {0, '\xD8'}, true}, {"\xF4\x90\x80\x80", "\xFD\xFF", true}, {"\xC3\x41", {'\xC1', 0}, false},
      {"\xF8\x88\x80\x80\x80", "\xFD\xFF", true}, {"\xFD\xBF\xBF\xBF\xBF\xBF", "\xFD\xFF", true},
      {"\xEF\xBB\xBFZ", {'Z', 0}, true}, {"\xEF\xBB\xBF\xEF\xBB\xBF", "\xFF\xFE", true},
      {"\xF0\x9F\x98\x80Z", {'\xFD', '\xFF', 'Z', 0}, true}, {"A\xE4\xB8", {'A', 0, '\xFD', '\xFF'}, false},
      {"\x80\xFE\xFF", "\xFD\xFF\xFD\xFF\xFD\xFF", false}, {"\xFC\x84\x80\x80\x80", "\xFD\xFF", false},
      {"\xC3\xA9\xA9", {'\xE9', 0, '\xFD', '\xFF'}, false}, {"\xE4\xC3\xA9", "\xE9\x40", false}};
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(CheckUtf8(c.in.data(), c.in.size()), c.valid) << PrintToString(c.in);
    std::string out(Utf16Capacity(c.in.size()), '\0');
    const size_t written = Utf8ToUtf16(c.in.data(), c.in.size(), reinterpret_cast<unsigned char*>(out.data()));
    EXPECT_EQ(out.substr(0, written), "\xFF\xFE" + c.units) << PrintToString(c.in);
  }
}

using Routine = Converted (*)(const char*);

std::string Text(const Converted& c) { return c ? std::string(c.bytes.get(), c.length) : "<nothing>"; }

MarkupStatus g_lastMarkup = MarkupStatus::kStripped;
Converted Strip(const char* text) {
  Converted out;
  g_lastMarkup = StripMarkup(text, out);
  return out;
}

// Converted bytes, "<nothing>" when a routine gives nothing (a null text); bad markup is told from no memory.
TEST(Converters, WorkedBytes) {
  const Routine ko = Utf8ToKorean, zh = Utf8ToChinese, ja = Utf8ToJapanese, markup = Strip;
  // clang-format off
  const struct { Routine routine; const char* in; std::string out; } cases[] = {
      // Korean: KS X 1001 and extension Hangul; else a space per byte, one for a three-byte character (the mark too).
      {ko, "a\xEA\xB0\x80 \xC3\xA9\xEA\xB0\x82.", "a\xB0\xA1   \x81\x41."}, {ko, "abc\xC3", "<nothing>"},
      {ko, "\xE4\xB8\xAD\xF0\x9F\x98\x80", "     "}, {ko, "\xEF\xBB\xBF\xED\x9E\xA3", " \xC6\x52"},
      // Chinese: below U+0100 the low byte; the euro sign 80; unmapped and U+FFFD FF FF; an overlong NUL ends it.
      {zh, "\xEF\xBB\xBF\xE4\xB8\xAD\xC3\xA9\xE2\x82\xAC", "\xD6\xD0\xE9\x80"}, {zh, "\x80", "<nothing>"},
      {zh, "a\xEA\xB0\x80\xF0\x9F\x98\x80z", "a\xFF\xFF\xFF\xFFz"}, {zh, "ab\xC0\x80z", "ab"},
      // Japanese: one-byte katakana; ASCII as it is; unmapped and U+FFFD "?". Markup: tags go; brackets must alternate.
      {ja, "\xEF\xBB\xBF\xE3\x81\x82\xEF\xBD\xB1\\~", "\x82\xA0\xB1\\~"}, {ja, "x\xFE", "<nothing>"},
      {ja, "\xC3\xA9\xE3\x80\x9C\xF0\x9F\x98\x80", "???"}, {markup, "<speed=80>", ""}, {markup, "<>x>", "<nothing>"},
      {markup, " <p> x\xEA\xB0\x80 </p><br>", "  x\xEA\xB0\x80 "}, {markup, "a<x y='1' z=\"2\" / & ;>b", "ab"},
      {markup, "a>b<c>", "<nothing>"}, {markup, "<a<b>>", "<nothing>"}, {markup, "a<b", "<nothing>"},
      {ko, nullptr, "<nothing>"}, {zh, nullptr, "<nothing>"}, {ja, nullptr, "<nothing>"}, {ko, "", ""},
      {markup, nullptr, "<nothing>"}, {zh, "", ""}, {ja, "", ""}, {markup, "", ""}};
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(Text(c.routine(c.in)), c.out) << PrintToString(c.in);
    if (c.routine == markup) {
      const MarkupStatus want = c.out != "<nothing>" ? MarkupStatus::kStripped
                                : c.in != nullptr    ? MarkupStatus::kMalformed
                                                     : MarkupStatus::kNoMemory;
      EXPECT_EQ(g_lastMarkup, want) << PrintToString(c.in);
    }
  }
}

// Every routine against the reference on `in`, which holds no zero byte (the zero-terminated routines see it all).
void CompareAll(const std::string& in) {
  ASSERT_EQ(reference::Differences(in), "") << "differs on " << PrintToString(in.substr(0, 48));
}

#define COMPARE(...) \
  if (CompareAll(__VA_ARGS__), HasFatalFailure()) return

// All 1-2 byte texts, 3-4 byte texts of class bytes, BMP code points (also shifted), and three-byte forms.
TEST(Differential, ExhaustiveShortTextsAndForms) {
  for (char a = 1; a != 0; ++a)
    for (int b = 0; b < 256; ++b) COMPARE(b ? std::string{a, static_cast<char>(b)} : std::string{a});
  const std::string classes = "\x01\x41\x7F\x80\xBF\xC0\xDF\xE0\xEF\xF0\xF7\xF8\xFB\xFC\xFD\xFE\xFF";
  for (char a : classes)
    for (char b : classes)
      for (char c : classes)
        for (char d : classes + '\0') COMPARE(d ? std::string{a, b, c, d} : std::string{a, b, c});
  std::string text;
  for (uint32_t cp = 1; cp <= 0xFFFF; ++cp) text += Utf8(cp);
  COMPARE(text);
  COMPARE(text.insert(0, "x"));
  text.clear();
  for (unsigned k = 0; k < 16 * 64 * 64; ++k) {
    text += {char(0xE0 | k >> 12), char(0x80 | (k >> 6 & 0x3F)), char(0x80 | (k & 0x3F))};  // overlong too
    if (k % 5 == 0) text += 'x';
  }
  COMPARE(text);
}

// Mixed scripts, tags and stray bytes at every starting offset and every length, across the fast paths' 8-, 16- and
// 64-byte blocks.
TEST(Differential, MixedTextsAtEveryOffsetAndLength) {
  std::string mixed;
  for (int i = 0; mixed.size() < 300; ++i)
    mixed += std::string(i % 5, 'a') + "\xED\x95\x9C<t>\xE4\xB8\xAD\xEF\xBD\xB1\xC3\xA9" + (i % 3 ? "" : "\x80") +
             (i % 4 ? "" : ">");
  for (size_t at = 0; at < 64; ++at)
    for (size_t length = 0; at + length <= mixed.size(); ++length) COMPARE(mixed.substr(at, length));
}

// Huge texts copied in 16 KiB chunks: a fault near a chunk boundary, late in the text or cut at the end.
TEST(Differential, LongTextsAcrossCopyChunks) {
  constexpr size_t kChunk = 16384;
  std::string mixed;
  while (mixed.size() < 3 * kChunk) mixed += "\xED\x95\x9C ab<t>\xE4\xB8\xAD\xEF\xBD\xB1\xC3\xA9.";
  for (size_t at : {kChunk - 3, kChunk - 1, kChunk, kChunk + 2, 2 * kChunk - 140, 2 * kChunk + 1, mixed.size() - 1}) {
    for (char bad : {'\x80', '\xC3', '\xFF', '<'}) {
      std::string spoiled = mixed;
      spoiled[at] = bad;
      COMPARE(spoiled);
    }
  }
  for (size_t cut = 1; cut < 7; ++cut) COMPARE(mixed + std::string("\xE4\xB8\xAD\xF0\x9F\x98\x80").substr(0, cut));
}

// One odd sequence at every offset of an ASCII or (cut) Hangul background, the text ending there or later.
TEST(Differential, OddSequencesAtEveryOffset) {
  // clang-format off
  const char* const odd[] = {"\xC3", "\xC3\xA9", "\xE4\xB8", "\xE4\xB8\xAD", "\xEA\xB0\x80", "\xEF\xBB\xBF",
                             "\xF0\x9F\x98\x80", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80", "\x80", "\xFE",
                             "\xFF", "\xFE\x84\x80\x80\x80\x80", "\xC0\x80", "<", ">", "<>", "\xE2\x82\xAC",
                             "\xEF\xBD\xB1", "\xE3\x80\x9C"};
  // clang-format on
  for (const std::string background : {"z", "\xED\x95\x9C"}) {
    std::string fill;  // whole characters after the odd sequence, cut ones at it
    while (fill.size() < 160) fill += background;
    for (const std::string o : odd)
      for (size_t at = 0; at <= 140; ++at)
        for (size_t total : {at + o.size(), at + o.size() + 1, at + o.size() + 9, size_t{64}, size_t{150}}) {
          const size_t rest = total - std::min(total, at + o.size()), b = background.size();
          COMPARE(fill.substr(0, at) + o + fill.substr(0, (rest + b - 1) / b * b));
        }
  }
}

}  // namespace
}  // namespace orven::text
