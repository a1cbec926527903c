// The tone backend as heard through speak: determinism, chunking, byte
// order, silence, pitch and the Korean reading variants.
#include <algorithm>
#include <cstdlib>
#include <cstring>

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

TEST_P(Tone, FrequencyFollowsTheByteAndThePitch) {
  const struct {
    const char* text;
    const char* tag;
    int32_t speaker;
    int hertz;
  } cases[] = {{"A", "<pitch=\"100\">", 0, 850},   // 200 + 10 * 65
               {"A", "<pitch=\"50\">", 0, 425},
               {"~", "<pitch=\"120\">", 1, 1752},  // the highest tone, at the 8000 Hz voice
               {"\xC1", "<pitch=\"100\">", 0, 850}};  // the top bit is ignored
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto s = speakWith(L(), c.text, [&](ENGINE_HANDLE h) { L().changeAttr(h, c.tag); }, c.speaker).samples();
    const double seconds = 0.06;
    EXPECT_NEAR(crossings(s), 2 * c.hertz * seconds, 4);
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
