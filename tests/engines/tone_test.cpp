// The tone backend as heard through speak: determinism, chunking, byte
// order, silence, pitch, one tone per decoded character, the user
// dictionary's place before decoding, and the Korean reading variants.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine_test_support.h"

namespace syntest {
namespace {

class Tone : public PerLanguage {};

constexpr std::size_t kBytesPerChar = 960 * 2;  // 60 ms at 16000 Hz

// Zero crossings of the samples (rising and falling).
int crossings(const std::vector<int16_t>& s) {
  int n = 0;
  for (std::size_t i = 1; i < s.size(); ++i) n += (s[i - 1] < 0) != (s[i] < 0);
  return n;
}

TEST_P(Tone, SameTextSameBytesAndDifferentTextsDiffer) {
  const Pcm a = speak(L(), "Hello, world");
  EXPECT_EQ(a.bytes.size(), 12 * kBytesPerChar);
  EXPECT_EQ(speak(L(), "Hello, world").bytes, a.bytes);
  EXPECT_NE(speak(L(), "Hello, World").bytes, a.bytes);
}

TEST_P(Tone, EmptyTextDeliversNothing) {
  const Pcm pcm = speak(L(), "");
  EXPECT_TRUE(pcm.chunks.empty());
}

TEST_P(Tone, ChunksHaveTheBufferSizeExceptTheLast) {
  const struct {
    int32_t bufSize;
    int32_t chunk;
  } cases[] = {{1024, 1024}, {1025, 1024}, {0, 3200}, {1, 3200}, {-4, 3200}, {2, 2}, {1 << 30, 7 * 1920}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bufSize);
    const Pcm pcm = speakWith(L(), "seven!!", [&](ENGINE_HANDLE h) { EXPECT_EQ(L().setOutBufSize(h, c.bufSize), 1); });
    ASSERT_FALSE(pcm.chunks.empty());
    EXPECT_EQ(pcm.bytes.size(), 7 * kBytesPerChar);
    EXPECT_TRUE(std::all_of(pcm.chunks.begin(), pcm.chunks.end() - 1, [&](int32_t n) { return n == c.chunk; }));
    EXPECT_GT(pcm.chunks.back(), 0);
    EXPECT_LE(pcm.chunks.back(), c.chunk);
  }
}

TEST_P(Tone, ByteSwapExchangesTheBytesOfEverySample) {
  const Pcm plain = speak(L(), "swap me");
  for (int8_t option : {int8_t{2}, int8_t{-1}}) {  // only 1 swaps
    EXPECT_EQ(speakWith(L(), "swap me", [&](ENGINE_HANDLE h) { L().setByteSwap(h, option); }).bytes, plain.bytes);
  }
  const Pcm swapped = speakWith(L(), "swap me", [&](ENGINE_HANDLE h) { L().setByteSwap(h, 1); });
  ASSERT_EQ(swapped.bytes.size(), plain.bytes.size());
  for (std::size_t i = 0; i + 1 < plain.bytes.size(); i += 2) {
    ASSERT_EQ(swapped.bytes[i], plain.bytes[i + 1]);
    ASSERT_EQ(swapped.bytes[i + 1], plain.bytes[i]);
  }
}

TEST_P(Tone, BlanksAndControlBytesAreSilence) {
  const std::vector<int16_t> s = speak(L(), "a \t\x7F" "a").samples();
  ASSERT_EQ(s.size(), 5u * 960);
  EXPECT_TRUE(std::all_of(s.begin() + 960, s.begin() + 4 * 960, [](int16_t v) { return v == 0; }));
  EXPECT_TRUE(std::equal(s.begin(), s.begin() + 960, s.begin() + 4 * 960));  // every tone starts afresh
  // 5 ms fades: each tone starts and ends at zero and is quiet near its edges.
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[959], 0);
  EXPECT_LT(std::abs(s[8]), 1000);
  EXPECT_LT(std::abs(s[951]), 1000);
}

TEST_P(Tone, FrequencyFollowsTheCharacterAndThePitch) {
  const struct {
    const char* text;
    const char* tag;
    int32_t speaker;
    int hertz;
  } cases[] = {{"A", "<pitch=\"100\">", 0, 850},   // 200 + 10 * 65
               {"A", "<pitch=\"50\">", 0, 425},
               {"~", "<pitch=\"120\">", 1, 1752}};  // at the 8000 Hz voice
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto s = speakWith(L(), c.text, [&](ENGINE_HANDLE h) { L().changeAttr(h, c.tag); }, c.speaker).samples();
    EXPECT_NEAR(crossings(s), 2 * c.hertz * 0.06, 4);
  }
}

// Each language reads its own code: one tone per character, at the pitch
// of the character's code point, whatever the number of bytes.
class Decoded : public EngineTest {};

TEST_F(Decoded, EachCharacterIsOneToneAtItsCodePointsPitch) {
  const struct {
    int32_t language;
    const char* text;
    int hertz;  // 200 + 10 * (code point & 0x7F)
  } cases[] = {
      {0, "\xB0\xA1", 200},      // U+AC00
      {0, "\x81\x41", 220},      // U+AC02
      {0, "\xC1", 1450},          // a lone lead byte: U+FFFD
      {2, "\xD6\xD0", 650},      // U+4E2D
      {2, "\x80", 640},           // U+20AC
      {2, "\xC1", 850},           // U+00C1
      {3, "\x82\xA0", 860},      // U+3042
      {3, "\xB1", 1330},          // U+FF71
      {3, "\xC1", 210},           // U+FF81
      {1, "\xC3\xA9", 1250},     // U+00E9
      {1, "\xE4\xB8\xAD", 650}, // U+4E2D
      {1, "\xF0\x9F\x98\x80", 200},  // U+1F600
      {1, "\xC1", 1450},          // not UTF-8: U+FFFD
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(api(c.language).code) + " " + c.text);
    const Pcm pcm = speak(api(c.language), c.text);
    EXPECT_EQ(pcm.bytes.size(), kBytesPerChar);
    EXPECT_NEAR(crossings(pcm.samples()), 2 * c.hertz * 0.06, 4);
  }
}

// Spaces and controls beyond ASCII are silence too, once decoded: the
// ideographic space in each code that has it, the no-break space (one byte
// in code page 936), a C1 control, an em space. In code page 949 the
// ideographic space is not a Hangul syllable and reads as U+FFFD (the
// library sends a space for it); 0xA0 is no character in Shift_JIS; the
// zero-width space is not among the silent characters.
TEST_F(Decoded, SpacesAndControlsOfEveryCodeAreSilence) {
  const struct {
    int32_t language;
    const char* text;
    bool silent;
  } cases[] = {{2, "\xA1\xA1", true},  {3, "\x81\x40", true}, {1, "\xE3\x80\x80", true},
               {1, "\xC2\xA0", true},  {1, "\xC2\x85", true}, {1, "\xE2\x80\x83", true},
               {2, "\xA0", true},       {0, "\xA1\xA1", false}, {3, "\xA0", false},
               {1, "\xE2\x80\x8B", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(api(c.language).code) + " " + c.text);
    const auto s = speak(api(c.language), c.text).samples();
    ASSERT_EQ(s.size(), 960u);
    EXPECT_EQ(std::all_of(s.begin(), s.end(), [](int16_t v) { return v == 0; }), c.silent);
  }
}

// The dictionary rewrites the raw bytes of the engine's code, and the
// result is decoded afterwards: a word that is one character's two bytes
// matches them, and a reading may supply the first byte of a character
// whose second byte follows in the text.
TEST_F(Decoded, UserDictionaryRewritesBytesBeforeDecoding) {
  const struct {
    int32_t language;
    std::string character;  // two bytes in the language's code
  } cases[] = {{0, "\xB0\xA1"}, {1, "\xC3\xA9"}, {2, "\xD6\xD0"}, {3, "\x82\xA0"}};
  for (const auto& c : cases) {
    const LangApi& a = api(c.language);
    SCOPED_TRACE(a.code);
    TempDir tmp;
    const std::string path =
        tmp.write("bytes.dic", c.character + "\tab\nQ\t" + c.character.substr(0, 1) + "\n");
    Pcm pcm;
    ENGINE_HANDLE h = open(a, &pcm);
    ASSERT_EQ(a.loadDict(h, path.c_str(), nullptr, nullptr), 1);
    const auto heard = [&](const std::string& text) {
      pcm = Pcm{};
      EXPECT_EQ(a.speak(h, text.c_str(), 0), 1);
      return pcm.bytes;
    };
    EXPECT_EQ(heard(c.character), speak(a, "ab").bytes);
    std::string joined = c.character;  // the reading and the text make the character
    joined.front() = 'Q';
    EXPECT_EQ(heard(joined), speak(a, c.character.c_str()).bytes);
    EXPECT_EQ(heard(joined).size(), kBytesPerChar);
    EXPECT_EQ(speak(a, joined.c_str()).bytes.size(), 2 * kBytesPerChar);  // without the dictionary
  }
}

TEST(KoreanTone, NameAndSmsReadingsSoundLikeText) {
  SynTest_Reset();
  ASSERT_EQ(LoadVELMEngineEx(voicesDir().c_str(), 0, 0), 0);
  for (auto fn : {&NameToSpeech, &SMSToSpeech, &TextToSpeech}) {
    Pcm pcm;
    ENGINE_HANDLE h = CreateTTSThread(&pcm, &Pcm::collect, 0, 0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(fn(h, "kim", 0), 1);
    EXPECT_EQ(pcm.bytes.size(), 3 * kBytesPerChar);
    EXPECT_EQ(fn(h, "", 0), 1);
    EXPECT_EQ(fn(h, nullptr, 0), 0);
    EXPECT_EQ(pcm.bytes.size(), 3 * kBytesPerChar);
    DeleteTTSThread(h);
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, Tone, kAllLanguages, languageCode);

}  // namespace
}  // namespace syntest
