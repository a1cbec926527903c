// The UTF-8 check and decoding, the code page conversions and StripMarkup:
// worked values that pin the contract, then every routine against a
// byte-by-byte reference over exhaustive, random and adversarial texts.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "api/library.h"
#include "orven_api.h"
#include "text/code_pages.h"
#include "text/markup.h"
#include "text/tables/code_tables.h"
#include "text/utf8.h"

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

// Overlong forms, surrogates, values above U+10FFFF and five- and six-byte
// sequences pass; bytes that start nothing and cut or broken sequences fail.
TEST(CheckUtf8, WalksByTheLeadByte) {
  const struct { std::string bytes; bool valid; } cases[] = {
      {"", true}, {"\xC0\x80", true}, {"\xED\xA0\x80", true}, {"\xF4\x90\x80\x80", true},
      {"\xF8\x88\x80\x80\x80", true}, {"\xFD\xBF\xBF\xBF\xBF\xBF", true}, {"abc\xC3", false}, {"\x80", false},
      {"\xFE", false}, {"\xFF", false}, {"\xE4\xC3\xA9", false}, {"\xC3\xA9\xA9", false},
      {"\xFC\x84\x80\x80\x80", false}};
  for (const auto& c : cases) EXPECT_EQ(CheckUtf8(c.bytes.data(), c.bytes.size()), c.valid) << PrintToString(c.bytes);
}

// The mark, then one unit per sequence, low byte first; one U+FFFD for a
// whole long sequence, for what is left of a cut one, and for a stray byte.
TEST(Utf8ToUtf16, WritesTheMarkAndOneUnitPerSequence) {
  const struct { std::string in, units; } cases[] = {
      {"Ab", {'A', 0, 'b', 0}}, {"\xE4\xB8\xAD", "\x2D\x4E"}, {"\xC3\x41", {'\xC1', 0}},  // bits unchecked
      {"\xEF\xBB\xBF" "A", {'A', 0}},                                                   // leading mark dropped
      {"\xEF\xBB\xBF\xEF\xBB\xBF", "\xFF\xFE"},                                        // a second one kept
      {"\xF0\x9F\x98\x80" "A", {'\xFD', '\xFF', 'A', 0}}, {"\xFC\x84\x80\x80\x80\x80", "\xFD\xFF"},
      {"A\xE4\xB8", {'A', 0, '\xFD', '\xFF'}}, {"\x80\xFE\xFF", "\xFD\xFF\xFD\xFF\xFD\xFF"}};
  for (const auto& c : cases) {
    std::string out(Utf16Capacity(c.in.size()), '\0');
    const size_t written = Utf8ToUtf16(c.in.data(), c.in.size(), reinterpret_cast<unsigned char*>(out.data()));
    EXPECT_EQ(out.substr(0, written), "\xFF\xFE" + c.units) << PrintToString(c.in);
  }
}

using Routine = Converted (*)(const char*);

std::string Text(const Converted& c) { return c ? std::string(c.bytes.get(), c.length) : "<nothing>"; }

// Converted bytes, and the markup's -22; "<nothing>" when a routine gives nothing.
TEST(Converters, WorkedBytes) {
  const Routine ko = Utf8ToKorean, zh = Utf8ToChinese, ja = Utf8ToJapanese, markup = StripMarkup;
  const struct { Routine routine; const char* in; std::string out; } cases[] = {
      // Hangul from KS X 1001 and the extension; a two-byte character gives
      // two spaces, a four-byte one four, any other three-byte one space.
      {ko, "a\xEA\xB0\x80 \xC3\xA9\xEA\xB0\x82.", "a\xB0\xA1   \x81\x41."},
      {ko, "\xE4\xB8\xAD\xF0\x9F\x98\x80", "     "},
      {ko, "\xEF\xBB\xBF\xED\x9E\xA3", " \xC6\x52"},  // the mark stays, as one space
      {ko, "abc\xC3", "<nothing>"},
      // Below U+0100 the low byte; the euro sign 80; unmapped and U+FFFD FF FF.
      {zh, "\xEF\xBB\xBF\xE4\xB8\xAD\xC3\xA9\xE2\x82\xAC", "\xD6\xD0\xE9\x80"},
      {zh, "a\xEA\xB0\x80\xF0\x9F\x98\x80" "b", "a\xFF\xFF\xFF\xFF" "b"},
      {zh, "ab\xC0\x80" "cd", "ab"},  // the overlong NUL ends the text
      {zh, "\x80", "<nothing>"},
      // One-byte katakana; ASCII as it is; unmapped and U+FFFD "?".
      {ja, "\xEF\xBB\xBF\xE3\x81\x82\xEF\xBD\xB1\\~", "\x82\xA0\xB1\\~"},
      {ja, "\xC3\xA9\xE3\x80\x9C\xF0\x9F\x98\x80", "???"},
      {ja, "x\xFE", "<nothing>"},
      // Tags removed whole; brackets that do not alternate <, >, <, > fail.
      {markup, "<speed=80>", ""}, {markup, " <p> x\xEA\xB0\x80 </p><br>", "  x\xEA\xB0\x80 "},
      {markup, "a<x y='1' z=\"2\" / & ;>b", "ab"}, {markup, "a>b<c>", "<nothing>"},
      {markup, "<a<b>>", "<nothing>"}, {markup, "a<b", "<nothing>"}, {markup, "<>x>", "<nothing>"}};
  for (const auto& c : cases) {
    SetLastError(ORVN_OK);
    EXPECT_EQ(Text(c.routine(c.in)), c.out) << PrintToString(c.in);
    EXPECT_EQ(ORVN_GetError(), c.routine == markup && c.out == "<nothing>" ? -22 : ORVN_OK) << PrintToString(c.in);
  }
}

// A null text gives nothing, the empty text the empty text; neither touches
// the last error.
TEST(Converters, NullAndEmptyTexts) {
  for (Routine routine : {Utf8ToKorean, Utf8ToChinese, Utf8ToJapanese, StripMarkup}) {
    SetLastError(-7);
    EXPECT_FALSE(routine(nullptr));
    EXPECT_EQ(Text(routine("")), "");
    EXPECT_EQ(ORVN_GetError(), -7);
  }
}

// Plain byte-by-byte implementations of the rules, written from their
// description: no blocks, no fast paths, no code shared with src/text.
namespace reference {

unsigned At(const std::string& s, size_t i) { return static_cast<unsigned char>(s[i]); }

// The bytes of the sequence a lead byte starts, or 0 for 80..BF, FE and FF.
size_t SequenceLength(unsigned b) {
  if (b >= 0x80 && b < 0xC0) return 0;
  return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : b < 0xFC ? 5 : b < 0xFE ? 6 : 0;
}

// The unit of the two- or three-byte sequence at i (continuation bits unchecked).
uint32_t Decode(const std::string& t, size_t i, size_t n) {
  return n == 2 ? (At(t, i) & 0x1F) << 6 | (At(t, i + 1) & 0x3F)
                : (At(t, i) & 0x0F) << 12 | (At(t, i + 1) & 0x3F) << 6 | (At(t, i + 2) & 0x3F);
}

// The UTF-16 units after a leading byte-order mark: one- to three-byte
// sequences give their unit; a longer one, what is left of a cut one, or a
// byte that starts nothing gives one U+FFFD.
std::vector<uint32_t> Units(const std::string& t) {
  std::vector<uint32_t> units;
  for (size_t i = t.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < t.size();) {
    const size_t n = SequenceLength(At(t, i)), left = t.size() - i;
    units.push_back(n == 1 ? At(t, i) : (n == 2 || n == 3) && n <= left ? Decode(t, i, n) : 0xFFFD);
    i += n == 0 ? 1 : std::min(n, left);
  }
  return units;
}

// A table entry's one or two bytes, high byte first.
std::string EntryBytes(uint16_t entry) {
  if (entry >> 8 == 0) return std::string(1, static_cast<char>(entry));
  return {static_cast<char>(entry >> 8), static_cast<char>(entry & 0xFF)};
}

bool CheckUtf8(const std::string& text) {
  for (size_t i = 0, n; i < text.size(); i += n) {
    n = SequenceLength(At(text, i));
    if (n == 0 || i + n > text.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if (At(text, i + k) < 0x80 || At(text, i + k) > 0xBF) return false;
  }
  return true;
}

std::string Utf8ToUtf16(const std::string& text, size_t* written) {
  std::string out = "\xFF\xFE";
  for (uint32_t unit : Units(text)) out += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  *written = out.size();
  out.resize(std::max(out.size(), 2 * text.size()), '\0');  // zero up to 2n
  return out.append(2 * text.size() + 2 - out.size(), '\x5A');
}

// ASCII as it is, a Hangul syllable as its two bytes, any other three-byte
// character as one space, every byte of any other character as one space.
std::optional<std::string> Utf8ToKorean(const std::string& text) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (At(text, i) < 0x80 || SequenceLength(At(text, i)) != 3) {
      out += At(text, i) < 0x80 ? text[i] : ' ';
      continue;
    }
    const uint32_t cp = Decode(text, i, 3);
    out += cp >= 0xAC00 && cp <= 0xD7A3 ? EntryBytes(kHangulCp949[cp - 0xAC00]) : " ";
    i += 2;
  }
  return out;
}

// Chinese: units below U+0100 as their low byte, others as their table
// entry. Japanese: every unit as its table entry, "?" when unmapped.
std::optional<std::string> Utf8ToChinese(const std::string& text) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  for (uint32_t u : Units(text)) out += EntryBytes(static_cast<uint16_t>(u < 0x100 ? u : ChineseTable()[u]));
  return out;
}
std::optional<std::string> Utf8ToJapanese(const std::string& text) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  for (uint32_t u : Units(text)) out += JapaneseTable()[u] == 0xFFFF ? "?" : EntryBytes(JapaneseTable()[u]);
  return out;
}

// With "<" at o(1) < ... < o(n) and ">" at g(1) < ... < g(m), the markup is
// well formed when n = m and o(k) < g(k) < o(k+1); every span o(k)..g(k) goes.
std::optional<std::string> StripMarkup(const std::string& text) {
  std::vector<size_t> opens, closes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<') opens.push_back(i);
    if (text[i] == '>') closes.push_back(i);
  }
  if (opens.size() != closes.size()) return std::nullopt;
  std::string out;
  size_t from = 0;
  for (size_t k = 0; k < opens.size(); from = closes[k++] + 1) {
    if (opens[k] > closes[k] || (k + 1 < opens.size() && opens[k + 1] < closes[k])) return std::nullopt;
    out += text.substr(from, opens[k] - from);
  }
  return out + text.substr(from);
}

}  // namespace reference

// Empty when equal, else where the two first differ.
std::string Mismatch(const std::string& got, const std::string& want) {
  if (got == want) return {};
  const auto at = std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
  return "differ at " + std::to_string(at);
}

// Every routine against the reference on `in`, which holds no zero byte (so
// that the zero-terminated routines see it all).
void CompareAll(const std::string& in) {
  const size_t n = in.size();
  const std::string shown = PrintToString(in.substr(0, 48));
  // CheckUtf8 and Utf8ToUtf16 get exactly n bytes and exactly 2n + 2 bytes
  // of output (AddressSanitizer catches a step past either).
  std::unique_ptr<char[]> exact(new char[n]);
  std::memcpy(exact.get(), in.data(), n);
  ASSERT_EQ(CheckUtf8(exact.get(), n), reference::CheckUtf8(in)) << shown;
  size_t written = 0;
  const std::string want16 = reference::Utf8ToUtf16(in, &written);
  std::unique_ptr<unsigned char[]> out16(new unsigned char[Utf16Capacity(n)]);
  std::memset(out16.get(), 0x5A, Utf16Capacity(n));
  ASSERT_EQ(Utf8ToUtf16(exact.get(), n, out16.get()), written) << shown;
  ASSERT_EQ(Mismatch(std::string(reinterpret_cast<char*>(out16.get()), Utf16Capacity(n)), want16), "") << shown;

  const auto check = [&shown](const char* name, const std::optional<std::string>& want, const Converted& got,
                              size_t capacity) {
    ASSERT_EQ(static_cast<bool>(got), want.has_value()) << name << ' ' << shown;
    if (!want) return;
    ASSERT_GE(malloc_usable_size(got.bytes.get()), capacity) << name << ' ' << shown;
    // An overlong NUL (C0 80, E0 80 80) gives a zero byte, where the text
    // ends; the bytes after it are still in the buffer.
    ASSERT_EQ(Mismatch(std::string(got.bytes.get(), want->size() + 1), *want + '\0'), "") << name << ' ' << shown;
    ASSERT_EQ(got.length, std::strlen(want->c_str())) << name << ' ' << shown;
  };
  // The converters leave the last error alone; StripMarkup sets -22 on
  // malformed markup and leaves it alone otherwise.
  SetLastError(ORVN_OK);
  check("korean", reference::Utf8ToKorean(in), Utf8ToKorean(in.c_str()), KoreanCapacity(n));
  check("chinese", reference::Utf8ToChinese(in), Utf8ToChinese(in.c_str()), ChineseCapacity(n));
  check("japanese", reference::Utf8ToJapanese(in), Utf8ToJapanese(in.c_str()), JapaneseCapacity(n));
  const auto stripped = reference::StripMarkup(in);
  check("markup", stripped, StripMarkup(in.c_str()), MarkupCapacity(n));
  ASSERT_EQ(ORVN_GetError(), stripped ? ORVN_OK : ORVN_ERR_MARKUP) << shown;
}

// Stops the test at the first text that fails.
#define COMPARE(...)               \
  do {                             \
    CompareAll(__VA_ARGS__);       \
    if (HasFatalFailure()) return; \
  } while (false)

// Random texts from pieces of eight kinds (see Random); each mix weighs them
// towards one shape: arbitrary bytes, every class of byte, characters of
// every length, tagged text, runs of three-byte characters.
constexpr double kMixes[][8] = {{1}, {0, 1}, {0, 0, 2, 0, 1, 2, 6, 1}, {0, 0, 6, 3, 1}, {0, 0, 1, 0, 0, 16, 1, 1}};

struct Generator {
  std::mt19937 rng;

  unsigned Pick(unsigned lo, unsigned hi) { return std::uniform_int_distribution<unsigned>(lo, hi)(rng); }

  // At least n bytes, ending at a piece's end. The pieces: any byte 01..FF; a
  // byte of each class; ASCII letters; a tag; a stray bracket; kana,
  // ideograph, Hangul or half-width katakana; a character of two to six
  // bytes; a byte-order mark, an overlong NUL or the euro sign.
  std::string Random(size_t n, const double (&mix)[8]) {
    static const char kClasses[] = "A <>\x7F\x80\xA9\xBF\xC0\xC3\xDF\xE0\xEA\xEF\xBB\xF0\xF7\xF8\xFB\xFC\xFD\xFE\xFF";
    static const uint32_t kScripts[][2] = {{0x3041, 0x30FF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xFF61, 0xFF9F}};
    static const char* const kSpecial[] = {"\xEF\xBB\xBF", "\xC0\x80", "\xE0\x80\x80", "\xE2\x82\xAC"};
    std::discrete_distribution<int> kind(std::begin(mix), std::end(mix));
    std::string s;
    while (s.size() < n) {
      const auto& script = kScripts[Pick(0, 3)];
      switch (kind(rng)) {
        case 0: s += static_cast<char>(Pick(1, 255)); break;
        case 1: s += kClasses[Pick(0, sizeof kClasses - 2)]; break;
        case 2: s.append(Pick(1, 12), static_cast<char>(Pick('a', 'z'))); break;
        case 3: s.append("<t").append(Pick(0, 9), 'x') += '>'; break;
        case 4: s += Pick(0, 1) ? '<' : '>'; break;
        case 5: s += Utf8(Pick(script[0], script[1])); break;
        case 6: s += Utf8(Pick(0x80, (2u << Pick(7, 30)) - 1)); break;  // as many of each length
        default: s += kSpecial[Pick(0, 3)];
      }
    }
    return s;
  }
};

// Every text of one or two bytes; every three- and four-byte text of class
// representatives; every BMP code point in one text, then shifted by a
// byte; and every three-byte form E0..EF 80..BF 80..BF, overlong ones
// included (the converters find a table entry from the form's bytes, so each
// form must reach its own entry), with ASCII now and then.
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
  for (unsigned lead = 0xE0; lead <= 0xEF; ++lead)
    for (unsigned second = 0x80; second <= 0xBF; ++second)
      for (unsigned third = 0x80; third <= 0xBF; ++third) {
        text += {static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third)};
        if (third % 5 == 0) text += 'x';
      }
  COMPARE(text);
}

// Every length to 64 (around the 8-, 16- and 64-byte blocks of the fast
// paths), then longer texts (the 48-byte runs of three-byte characters);
// cut anywhere, and one byte spoiled.
TEST(Differential, RandomTexts) {
  Generator gen{std::mt19937(20240611)};
  for (int round = 0; round < 12000; ++round) {
    const size_t n = round < 9750 ? round % 65 : gen.Pick(65, 900);
    for (const auto& mix : kMixes) {
      std::string text = gen.Random(n, mix);
      if (gen.Pick(0, 1)) text.resize(n);
      if (n > 0 && gen.Pick(0, 3) == 0) text[gen.Pick(0, n - 1)] = static_cast<char>(gen.Pick(1, 255));
      COMPARE(text);
    }
  }
}

// Texts copied in several chunks (16 KiB each, the walk staying 128 bytes
// behind the copy), valid or with one fault: one past the first chunks,
// where much has been converted already, or a sequence cut off at the very
// end, still gives nothing.
TEST(Differential, LongTextsAcrossCopyChunks) {
  Generator gen{std::mt19937(4096)};
  constexpr size_t kChunk = 16384;
  for (int round = 0; round < 30; ++round) {
    std::string text = gen.Random(gen.Pick(2 * kChunk - 200, 3 * kChunk + 200), kMixes[round % 3 == 2 ? 3 : 4]);
    if (round % 3 == 0) {  // near a chunk boundary, or anywhere after the first chunk
      const size_t at =
          round % 2 ? gen.Pick(kChunk, text.size() - 1) : kChunk * gen.Pick(1, 2) - 140 + gen.Pick(0, 280);
      text[at] = static_cast<char>(gen.Pick(0x80, 0xFF));
    } else if (round % 6 == 1) {
      text += std::string("\xE4\xB8\xAD\xF0\x9F\x98\x80").substr(0, gen.Pick(1, 6));
    }
    COMPARE(text);
  }
}

// One odd sequence at every offset of an ASCII or Hangul background (the
// Hangul cut where the offset falls inside a syllable), the text ending
// right after it or further on.
TEST(Differential, OddSequencesAtEveryOffset) {
  const char* const odd[] = {"\xC3", "\xC3\xA9", "\xE4\xB8", "\xE4\xB8\xAD", "\xEA\xB0\x80", "\xEF\xBB\xBF",
                             "\xF0\x9F\x98\x80", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80", "\x80", "\xFE",
                             "\xFF", "\xFE\x84\x80\x80\x80\x80", "\xC0\x80", "<", ">", "<>", "\xE2\x82\xAC",
                             "\xEF\xBD\xB1", "\xE3\x80\x9C"};
  for (const std::string o : odd) {
    for (size_t before = 0; before <= 140; ++before) {
      for (size_t total : {before + o.size(), before + o.size() + 1, before + o.size() + 9, size_t{64}, size_t{150}}) {
        for (const std::string background : {"z", "\xED\x95\x9C"}) {
          std::string text;
          while (text.size() < before) text += background;
          text.resize(before);
          text += o;
          while (text.size() < total) text += background;
          COMPARE(text);
        }
      }
    }
  }
}

}  // namespace
}  // namespace orven::text
