// Real speech through the library's exports: espeak-ng (Korean, Mandarin, Japanese) and flite (English) with the
// shipped voices.
#pragma once

#include "orven_api.h"
#include "test_support.h"

namespace orven_test {

constexpr int32_t kKorean = ORVN_KOREAN, kEnglish = ORVN_ENGLISH, kChinese = ORVN_CHINESE, kJapanese = ORVN_JAPANESE;

// One ordinary sentence pair per language (UTF-8), and its length in characters without blanks and punctuation.
struct Sample {
  const char* text;
  int characters;
};
inline const Sample kSamples[] = {
    {"안녕하세요. 오늘은 날씨가 정말 좋습니다.", 16},
    {"The quick brown fox jumps over the lazy dog.", 35},
    {"今天天气很好。我们一起去公园散步吧。", 16},
    {"東京都庁に行きます。今日は良い天気ですね。", 19},
};

inline double Rms(const int16_t* s, std::size_t n) {
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += static_cast<double>(s[i]) * s[i];
  return n == 0 ? 0 : std::sqrt(sum / static_cast<double>(n));
}

struct Audio : Pcm {
  int32_t rate = 0;
  int32_t result = -999;
  double Seconds() const { return static_cast<double>(samples.size()) / rate; }
  double Level() const { return Rms(samples.data(), samples.size()); }
};

// Speaks `text` (UTF-8) on a fresh channel.
inline Audio Speak(int32_t language, int32_t speaker, const std::string& text) {
  Audio audio;
  ORVN_DbInfo db{};
  ORVN_GetDBInfo(language, speaker, &db);
  audio.rate = db.samplingRate;
  ORVN_CHANNEL channel = ORVN_CreateThread(static_cast<Pcm*>(&audio), Pcm::Collect, language, speaker);
  EXPECT_NE(channel, nullptr) << kLanguageNames[language] << " speaker " << speaker;
  ORVN_SetCharSet(channel, 1);
  audio.result = ORVN_TextToSpeech(channel, text.c_str(), 1);
  ORVN_DeleteThread(channel);
  return audio;
}

// Loads the shipped voices of every language once; the tests only read the engine table.
class Speech : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ORVN_Initialize();
    for (int32_t language = 0; language < 4; ++language) {
      ASSERT_EQ(ORVN_LoadEngine(language, ORVEN_SHIPPED_VOICES_DIR, 0), 0) << kLanguageNames[language];
    }
  }
};

}  // namespace orven_test
