// Engine information, database information and text limits.
#include <cstring>

#include "api_test_support.h"

namespace orven_test {
namespace {

using EngineInfoTest = ApiTest;

TEST_F(EngineInfoTest, EngineInfoNeedsNoVoiceAndEndsWithTheLibraryVersion) {
  const char* languageNames[] = {"Korean", "English", "Chinese", "Japanese"};
  for (int32_t language : kLanguages) {
    SCOPED_TRACE(language);
    ORVN_EngineInfo info;
    std::memset(&info, 0x5A, sizeof info);
    ORVN_GetTextLimitLength(7, 0);
    ORVN_GetEngineInfo(language, &info);
    EXPECT_EQ(ORVN_GetError(), 0);
    EXPECT_STREQ(info.engineText1, languageNames[language]);
    EXPECT_GT(std::strlen(info.engineText2), 0u);
    EXPECT_GT(std::strlen(info.engineText3), 0u);
    EXPECT_EQ(info.engineByte, static_cast<char>(language));
    const char* raw = reinterpret_cast<const char*>(&info);
    EXPECT_STREQ(raw + 101, "Ver 3.4.1.5.0.1");
    // Everything past each text's terminator was cleared.
    for (size_t i = 101 + sizeof "Ver 3.4.1.5.0.1"; i < sizeof info; ++i) EXPECT_EQ(raw[i], 0) << i;
    for (size_t i = std::strlen(info.engineText1); i < 40; ++i) EXPECT_EQ(info.engineText1[i], 0) << i;
    const std::vector<std::string> log = EngineLog(language);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind(EngineName("engineInfo", language) + "(0x", 0), 0u) << log[0];
  }
}

TEST_F(EngineInfoTest, EngineInfoChecksInitialisationLanguageAndRecord) {
  ORVN_EngineInfo info{};
  ORVN_GetEngineInfo(4, &info);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
  ORVN_GetEngineInfo(0, nullptr);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG);
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(EngineInfoTest, DbInfoReportsTheVoicesNameBackendAndRate) {
  LoadAllVoices();
  const std::pair<int32_t, int32_t> rates[] = {{0, 16000}, {1, 8000}, {9, 16000}};
  for (int32_t language : kLanguages) {
    for (auto [speaker, rate] : rates) {
      SCOPED_TRACE(std::to_string(language) + "/" + std::to_string(speaker));
      ORVN_DbInfo info;
      std::memset(&info, 0x5A, sizeof info);
      ORVN_GetTextLimitLength(7, 0);
      ORVN_GetDBInfo(language, speaker, &info);
      EXPECT_EQ(ORVN_GetError(), 0);
      EXPECT_EQ(info.dbStatus, 0);
      EXPECT_EQ(info.samplingRate, rate);
      EXPECT_GT(std::strlen(info.dbText1), 0u);
      EXPECT_STREQ(info.dbText2, "tone");
      for (size_t i = std::strlen(info.dbText2); i < 20; ++i) EXPECT_EQ(info.dbText2[i], 0);
    }
  }
}

TEST_F(EngineInfoTest, DbInfoMarksTheRecordOnCheckFailuresOnly) {
  LoadVoices(ORVN_ENGLISH);
  struct Case {
    int32_t language, speaker, expected;
  };
  for (Case c : {Case{4, 0, ORVN_ERR_LANGUAGE}, Case{1, 11, ORVN_ERR_SPEAKER}, Case{1, 5, ORVN_ERR_NOT_LOADED}}) {
    ORVN_DbInfo info;
    std::memset(&info, 0x5A, sizeof info);
    ORVN_GetDBInfo(c.language, c.speaker, &info);
    EXPECT_EQ(ORVN_GetError(), c.expected);
    EXPECT_EQ(info.dbStatus, -1);
    EXPECT_EQ(info.samplingRate, 0x5A5A5A5A) << "the rest of the record is not touched";
  }
  ORVN_UnInitialize();
  ORVN_DbInfo info{};
  ORVN_GetDBInfo(1, 0, &info);
  EXPECT_EQ(info.dbStatus, -1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED);
  ORVN_GetDBInfo(1, 0, nullptr);
  ORVN_Initialize();
  ORVN_GetDBInfo(1, 0, nullptr);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG);
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(EngineInfoTest, WhenTheEngineHasNoInformationOnlyTheStatusIsCopied) {
  LoadVoices(ORVN_CHINESE);
  SynTest_ForceDbStatus(ORVN_CHINESE, 1, -1);
  ORVN_DbInfo info;
  std::memset(&info, 0x5A, sizeof info);
  ORVN_GetDBInfo(ORVN_CHINESE, 1, &info);
  EXPECT_EQ(info.dbStatus, -1);
  EXPECT_EQ(info.samplingRate, 0);
  EXPECT_EQ(info.dbText1[0], 0);
  EXPECT_EQ(ORVN_GetError(), 0);
}

TEST_F(EngineInfoTest, TextLimitComesFromTheCapacityAtLoadTime) {
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 1, 3, 4000);
  LoadVoices(ORVN_KOREAN);
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 1, 3, 10);  // only the next load reads it
  ORVN_GetTextLimitLength(7, 0);
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 1), 4000);
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 0), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE) << "success leaves the last error";
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 1);
  ORVN_LoadEngineEx(ORVN_KOREAN, 1, VoicesDir().c_str(), 0);
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 1), 10);
}

TEST_F(EngineInfoTest, SetVoiceCapacityChecksItsArgumentsAndWorksUninitialised) {
  ORVN_UnInitialize();
  ORVN_UnInitialize();  // last error -100
  EXPECT_EQ(ORVN_SetVoiceCapacity(ORVN_JAPANESE, 9, 7, 12), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED) << "a success leaves the last error alone";
  const struct {
    int32_t language, speaker, limit, expected;
  } cases[] = {{4, 0, 1, ORVN_ERR_LANGUAGE}, {-1, 0, 1, ORVN_ERR_LANGUAGE}, {0, 10, 1, ORVN_ERR_SPEAKER},
               {0, -1, 1, ORVN_ERR_SPEAKER}, {0, 0, -1, ORVN_ERR_INVALID_ARG}};
  for (const auto& c : cases) {
    EXPECT_EQ(ORVN_SetVoiceCapacity(c.language, c.speaker, c.limit, 0), c.expected);
    EXPECT_EQ(ORVN_GetError(), c.expected);
  }
  ORVN_Initialize();
  LoadVoices(ORVN_JAPANESE);
  EXPECT_EQ(ChannelInfoEx(ORVN_JAPANESE, 9), (std::array<int32_t, 2>{0, 7}));
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_JAPANESE, 9), 12);
}

}  // namespace
}  // namespace orven_test
