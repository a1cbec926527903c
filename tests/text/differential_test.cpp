// The routines against the byte-by-byte reference implementations, over
// random and adversarial texts of every length from 0 to 64 (around the
// eight-, 16- and 64-byte blocks of the fast paths), longer ones, runs of
// three-byte characters (the 48-byte blocks of the Chinese and Japanese
// conversions), and texts copied in several chunks.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "api/library.h"
#include "orven_api.h"
#include "reference.h"
#include "test_support.h"
#include "text/code_pages.h"
#include "text/markup.h"
#include "text/utf8.h"

namespace orven::text {
namespace {

using testing::Hex;
using testing::Text;
using testing::Utf8;

// Text generators. Each gives bytes without a zero byte, so that the text
// can also go to the zero-terminated routines.
class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  // Arbitrary bytes 01..FF.
  std::string AnyBytes(size_t n) {
    std::string s;
    while (s.size() < n) s += static_cast<char>(Pick(1, 255));
    return s;
  }

  // Bytes drawn from one representative of each class, with brackets.
  std::string ClassBytes(size_t n) {
    static const unsigned kClasses[] = {0x41, 0x20, '<', '>', 0x7F, 0x80, 0xA9, 0xBF, 0xC0, 0xC3, 0xDF, 0xE0,
                                        0xEA, 0xEF, 0xBB, 0xF0, 0xF7, 0xF8, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
    std::string s;
    while (s.size() < n) s += static_cast<char>(kClasses[Pick(0, std::size(kClasses) - 1)]);
    return s;
  }

  // Valid UTF-8 of mixed sequence lengths, cut to n bytes (so possibly cut
  // inside a sequence), sometimes with a byte spoiled.
  std::string Characters(size_t n) {
    std::string s;
    if (Pick(0, 7) == 0) s += "\xEF\xBB\xBF";
    while (s.size() < n) {
      switch (Pick(0, 12)) {
        case 0: case 1: case 2: s += static_cast<char>(Pick(1, 0x7F)); break;
        case 3: s += Pick(0, 1) ? '<' : '>'; break;
        case 4: s += Utf8(Pick(0x80, 0x7FF)); break;
        case 5: case 6: s += Utf8(Pick(0xAC00, 0xD7A3)); break;
        case 7: s += Utf8(Pick(0x3000, 0x9FFF)); break;
        case 8: s += Utf8(Pick(0x800, 0xFFFF)); break;
        case 9: s += Utf8(Pick(0x10000, 0x10FFFF)); break;
        case 10: s += Utf8(Pick(0x200000, 0x7FFFFFFF)); break;
        case 11: s += Utf8(Pick(0xFF61, 0xFF9F)); break;
        default: s += Utf8(0xFEFF); break;  // a byte-order mark not at the start
      }
    }
    s.resize(n);
    if (n > 0 && Pick(0, 3) == 0) s[Pick(0, n - 1)] = static_cast<char>(Pick(1, 255));
    return s;
  }

  // Valid UTF-8 of at least n bytes, ending at a character's end: long runs
  // of three-byte characters, as in Chinese and Japanese text, broken now
  // and then by ASCII, by characters the tables give as one byte (half-width
  // katakana, the euro sign), by the overlong NUL E0 80 80, and by two- and
  // four-byte characters.
  std::string ThreeByteRuns(size_t n) {
    std::string s;
    while (s.size() < n) {
      const unsigned what = Pick(0, 199);
      if (what < 150) s += Utf8(Pick(0, 1) ? Pick(0x3041, 0x30FF) : Pick(0x4E00, 0x9FFF));
      else if (what < 165) s += Utf8(Pick(0xAC00, 0xD7A3));
      else if (what < 175) s += std::string(Pick(1, 12), static_cast<char>(Pick('0', 'z')));
      else if (what < 181) s += Utf8(Pick(0xFF61, 0xFF9F));
      else if (what < 184) s += Utf8(0x20AC);
      else if (what < 186) s += Utf8(Pick(0x800, 0xFFFF));
      else if (what < 188) s += "\xE0\x80\x80";
      else if (what < 192) s += Utf8(Pick(0x80, 0x7FF));
      else if (what < 195) s += Utf8(Pick(0x10000, 0x10FFFF));
      else s += Utf8(Pick(0x3000, 0x303F));
    }
    return s;
  }

  // Mostly text, some tags, occasional stray brackets.
  std::string Tagged(size_t n) {
    std::string s;
    while (s.size() < n) {
      const unsigned what = Pick(0, 9);
      if (what < 6) s += static_cast<char>(Pick('a', 'z'));
      else if (what < 9) s += "<t" + std::string(Pick(0, 9), 'x') + ">";
      else s += Pick(0, 1) ? '<' : '>';
    }
    return s;
  }

  unsigned Pick(unsigned lo, unsigned hi) { return std::uniform_int_distribution<unsigned>(lo, hi)(rng_); }

 private:
  std::mt19937 rng_;
};

void CompareAll(const std::string& in) {
  // CheckUtf8 and Utf8ToUtf16 take a length; give them a heap copy of
  // exactly that many bytes, and an output of exactly 2n + 2 bytes.
  std::unique_ptr<char[]> exact(new char[in.size() + 1]);
  std::copy(in.begin(), in.end(), exact.get());
  ASSERT_EQ(CheckUtf8(exact.get(), in.size()), reference::CheckUtf8(in)) << Hex(in);

  size_t expectedWritten = 0;
  const std::string expected16 = reference::Utf8ToUtf16(in, &expectedWritten);
  std::unique_ptr<unsigned char[]> out16(new unsigned char[Utf16Capacity(in.size())]);
  std::fill(out16.get(), out16.get() + Utf16Capacity(in.size()), 0x5A);
  ASSERT_EQ(Utf8ToUtf16(exact.get(), in.size(), out16.get()), expectedWritten) << Hex(in);
  ASSERT_EQ(Hex(std::string(reinterpret_cast<char*>(out16.get()), Utf16Capacity(in.size()))), Hex(expected16))
      << Hex(in);

  // The reference gives every byte emitted; an overlong NUL (C0 80) can put
  // a zero among them, where the text then ends. The buffer still holds the
  // bytes after it, and a zero after the last.
  const auto expectText = [&in](const std::optional<std::string>& want, const Converted& got, const char* what) {
    ASSERT_EQ(static_cast<bool>(got), want.has_value()) << what << ": " << Hex(in);
    if (!want) return;
    ASSERT_EQ(Hex(std::string(got.bytes.get(), want->size() + 1)), Hex(*want + '\0')) << what << ": " << Hex(in);
    ASSERT_EQ(got.length, std::string(want->c_str()).size()) << what << ": " << Hex(in);
  };
  expectText(reference::Utf8ToKorean(in), Utf8ToKorean(in.c_str()), "korean");
  expectText(reference::Utf8ToChinese(in), Utf8ToChinese(in.c_str()), "chinese");
  expectText(reference::Utf8ToJapanese(in), Utf8ToJapanese(in.c_str()), "japanese");

  SetLastError(ORVN_OK);
  const auto stripped = reference::StripMarkup(in);
  expectText(stripped, StripMarkup(in.c_str()), "markup");
  ASSERT_EQ(ORVN_GetError(), stripped ? ORVN_OK : ORVN_ERR_MARKUP) << Hex(in);
}

TEST(Differential, RandomTextsOfEveryShortLength) {
  Generator gen(20240611);
  for (size_t n = 0; n <= 64; ++n) {
    for (int round = 0; round < 150; ++round) {
      CompareAll(gen.AnyBytes(n));
      CompareAll(gen.ClassBytes(n));
      CompareAll(gen.Characters(n));
      CompareAll(gen.Tagged(n));
      if (HasFatalFailure()) return;
    }
  }
}

TEST(Differential, RandomLongerTexts) {
  Generator gen(7);
  for (int round = 0; round < 300; ++round) {
    const size_t n = gen.Pick(65, 700);
    CompareAll(gen.Characters(n));
    CompareAll(gen.Tagged(n));
    CompareAll(gen.ClassBytes(n));
    if (HasFatalFailure()) return;
  }
}

// Long runs of three-byte characters, valid or with one byte spoiled or the
// end cut off.
TEST(Differential, RunsOfThreeByteCharacters) {
  Generator gen(936);
  for (int round = 0; round < 600; ++round) {
    std::string text = gen.ThreeByteRuns(gen.Pick(40, 900));
    if (round % 3 == 1) text[gen.Pick(0, text.size() - 1)] = static_cast<char>(gen.Pick(1, 255));
    if (round % 6 == 2) text.resize(text.size() - gen.Pick(1, 2));
    CompareAll(text);
    if (HasFatalFailure()) return;
  }
}

// Texts long enough to be copied in several chunks (16 KiB each, the walk
// staying 128 bytes behind the copy), valid or with one fault: a fault past
// the first chunks, where much has been converted already, or a sequence cut
// off at the very end, still gives nothing.
TEST(Differential, LongTextsAcrossCopyChunks) {
  Generator gen(4096);
  constexpr size_t kChunk = 16384;
  for (int round = 0; round < 30; ++round) {
    const size_t n = gen.Pick(2 * kChunk - 200, 3 * kChunk + 200);
    std::string text = round % 3 == 2 ? gen.Tagged(n) : gen.ThreeByteRuns(n);
    if (round % 3 == 0) {
      // A fault around a chunk boundary or anywhere after the first chunk.
      const size_t at = round % 2 == 0 ? kChunk * gen.Pick(1, 2) - 140 + gen.Pick(0, 280) : gen.Pick(kChunk, n - 1);
      text[at] = static_cast<char>(gen.Pick(0x80, 0xFF));
    } else if (round % 3 == 1 && round % 2 == 1) {
      text += std::string("\xE4\xB8\xAD\xF0\x9F\x98\x80").substr(0, gen.Pick(1, 6));
    }
    CompareAll(text);
    if (HasFatalFailure()) return;
  }
}

// Adversarial shapes: one odd sequence placed at every offset of an ASCII
// or Hangul background, cut at every length.
TEST(Differential, OddSequencesAtEveryOffset) {
  const std::vector<std::string> odd = {
      "\xC3", "\xC3\xA9", "\xE4\xB8", "\xE4\xB8\xAD", "\xEA\xB0\x80", "\xEF\xBB\xBF", "\xF0\x9F\x98\x80",
      "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80", "\x80", "\xFE", "\xFF", "\xC0\x80", "<", ">", "<>",
      "\xE2\x82\xAC", "\xEF\xBD\xB1", "\xE3\x80\x9C"};
  const std::string hangul = Utf8(0xD55C);
  for (const auto& o : odd) {
    for (size_t before = 0; before <= 140; ++before) {
      for (size_t total : {before + o.size(), before + o.size() + 1, before + o.size() + 9, size_t{64}, size_t{150}}) {
        std::string ascii = std::string(before, 'q') + o;
        while (ascii.size() < total) ascii += 'z';
        CompareAll(ascii);
        std::string h;
        while (h.size() < before) h += hangul;
        h.resize(before);  // may cut a syllable
        h += o;
        while (h.size() < total) h += hangul;
        CompareAll(h);
        if (HasFatalFailure()) return;
      }
    }
  }
}

}  // namespace
}  // namespace orven::text
