// Volume, speed and pitch tags, attribute texts, speaker changes and the
// engines' default values.
#include <functional>

#include "api_test_support.h"

namespace orven_test {
namespace {

class VoiceAttributesTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
    for (int32_t language : kLanguages) {
      channels_[language] = ORVN_CreateThread(nullptr, NoopCallback, language, 0);
      ASSERT_NE(channels_[language], nullptr);
    }
    ClearEngineLogs();
  }
  void TearDown() override {
    for (ORVN_CHANNEL channel : channels_) ORVN_DeleteThread(channel);
    ApiTest::TearDown();
  }
  std::string AttrCall(int32_t language, const std::string& tag) {
    return EngineName("changeAttr", language) + "(" + Ptr(channels_[language]) + ", \"" + tag + "\")";
  }
  ORVN_CHANNEL channels_[4] = {};
};

struct AttributeCase {
  const char* name;
  int32_t (*set)(ORVN_CHANNEL, int32_t);
  int32_t lowest, highest;
  const char* format;  // the tag with %d for the value
};

const AttributeCase kAttributes[] = {
    {"volume", ORVN_SetVolume, 0, 200, "<volume=\"%d\"> "},
    {"speed", ORVN_SetSpeed, 50, 200, "<speed=\"%d\">"},
    {"pitch", ORVN_SetPitch, 80, 120, "<pitch=\"%d\">"},
};

std::string Tag(const char* format, int32_t value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

TEST_F(VoiceAttributesTest, ValuesAtTheEndsOfTheirRangeBecomeExactTags) {
  for (const AttributeCase& c : kAttributes) {
    for (int32_t language : kLanguages) {
      SCOPED_TRACE(std::string(c.name) + " " + std::to_string(language));
      SynTest_ClearLog(language);
      EXPECT_EQ(c.set(channels_[language], c.lowest), 1);
      EXPECT_EQ(c.set(channels_[language], c.highest), 1);
      EXPECT_EQ(EngineLog(language), (std::vector<std::string>{AttrCall(language, Tag(c.format, c.lowest)),
                                                               AttrCall(language, Tag(c.format, c.highest))}));
    }
  }
}

TEST_F(VoiceAttributesTest, ValuesOutsideTheRangeFailWithoutReachingTheEngine) {
  for (const AttributeCase& c : kAttributes) {
    SCOPED_TRACE(c.name);
    for (int32_t value : {c.lowest - 1, c.highest + 1, INT32_MIN, INT32_MAX}) {
      EXPECT_EQ(c.set(channels_[ORVN_CHINESE], value), ORVN_ERR_RANGE);
      EXPECT_EQ(ORVN_GetError(), ORVN_ERR_RANGE);
    }
    // The channel check comes first.
    FakeChannel fake{4, 0};
    EXPECT_EQ(c.set(&fake, c.highest + 1), ORVN_ERR_LANGUAGE);
    EXPECT_EQ(c.set(nullptr, c.lowest), ORVN_ERR_NULL_HANDLE);
  }
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(VoiceAttributesTest, ChangeAttrPassesAnyTextAndTheEnginesResult) {
  SynTest_ForceResult(EngineName("changeAttr", ORVN_JAPANESE).c_str(), 42);
  ORVN_GetTextLimitLength(7, 0);
  EXPECT_EQ(ORVN_ChangeAttr(channels_[ORVN_JAPANESE], "not a tag at all"), 42);
  EXPECT_EQ(ORVN_SetSpeed(channels_[ORVN_JAPANESE], 100), 42);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE) << "the engine's result does not touch the last error";
  EXPECT_EQ(EngineLog(ORVN_JAPANESE)[0], AttrCall(ORVN_JAPANESE, "not a tag at all"));

  for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_EQ(ORVN_ChangeAttr(channels_[ORVN_KOREAN], empty), ORVN_ERR_INVALID_ARG);
  }
  EXPECT_EQ(SynTest_LogCount(ORVN_KOREAN), 0);
}

TEST_F(VoiceAttributesTest, ChangeSpeakerChecksTheRequestedSpeakerNotTheChannels) {
  ORVN_CHANNEL channel = channels_[ORVN_ENGLISH];
  const std::pair<int32_t, int32_t> refused[] = {{11, ORVN_ERR_SPEAKER}, {-1, ORVN_ERR_SPEAKER},
                                                 {10, ORVN_ERR_NOT_LOADED}, {5, ORVN_ERR_NOT_LOADED}};
  for (auto [speaker, expected] : refused) EXPECT_EQ(ORVN_ChangeSpeaker(channel, speaker), expected) << speaker;
  EXPECT_TRUE(EnginesUntouched());

  // A handle whose own speaker field is out of range still changes to a
  // loaded speaker of its language.
  FakeChannel stray{ORVN_ENGLISH, 11};
  SynTest_ForceResult(EngineName("changeSpeaker", ORVN_ENGLISH).c_str(), 7);
  EXPECT_EQ(ORVN_ChangeSpeaker(&stray, 1), 7);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH),
            std::vector<std::string>{EngineName("changeSpeaker", ORVN_ENGLISH) + "(" + Ptr(&stray) + ", 1)"});
  FakeChannel badLanguage{-3, 0};
  EXPECT_EQ(ORVN_ChangeSpeaker(&badLanguage, 0), ORVN_ERR_LANGUAGE);
  EXPECT_EQ(ORVN_ChangeSpeaker(nullptr, 0), ORVN_ERR_NULL_HANDLE);
}

TEST_F(VoiceAttributesTest, AChangedSpeakerTakesTheChannelWithItOnDeletion) {
  ORVN_CHANNEL channel = channels_[ORVN_KOREAN];
  ASSERT_EQ(ORVN_ChangeSpeaker(channel, 9), 1);
  EXPECT_EQ(reinterpret_cast<ORVN_ChannelHead*>(channel)->speaker, 9);
  // The counters are not moved by the change itself.
  EXPECT_EQ(ChannelInfoEx(ORVN_KOREAN, 0), (std::array<int32_t, 2>{1, 64}));
  EXPECT_EQ(ChannelInfoEx(ORVN_KOREAN, 9), (std::array<int32_t, 2>{0, 64}));
  ORVN_DeleteThread(channel);
  channels_[ORVN_KOREAN] = nullptr;
  EXPECT_EQ(ChannelInfoEx(ORVN_KOREAN, 0), (std::array<int32_t, 2>{1, 64}));
  EXPECT_EQ(ChannelInfoEx(ORVN_KOREAN, 9), (std::array<int32_t, 2>{0, 64})) << "never below zero";
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN)[0], 0);
}

TEST_F(VoiceAttributesTest, DefaultQueriesReachTheEngineWithTheirOwnArguments) {
  int32_t a = 0, b = 0;
  for (int32_t language : kLanguages) {
    SCOPED_TRACE(language);
    SynTest_ClearLog(language);
    EXPECT_EQ(ORVN_GetPitchDefault(language, 1, &a, &b), 1);
    EXPECT_EQ(ORVN_GetSpeedDefault(language, &a, &b), 1);
    EXPECT_EQ(ORVN_GetVolumeDefault(language, &a, &b), 1);
    const std::string outs = Ptr(&a) + ", " + Ptr(&b) + ")";
    // Only the Korean pitch default is told the speaker.
    const std::string pitch = EngineName("pitchDefault", language) + "(" +
                              (language == ORVN_KOREAN ? "1, " : "") + outs;
    EXPECT_EQ(EngineLog(language), (std::vector<std::string>{pitch, EngineName("speedDefault", language) + "(" + outs,
                                                             EngineName("volumeDefault", language) + "(" + outs}));
  }
  SynTest_ForceResult("GetEngVolumeDefault", -77);
  SynTest_ForceOutputs("GetEngVolumeDefault", 5, 6);
  EXPECT_EQ(ORVN_GetVolumeDefault(ORVN_ENGLISH, &a, &b), -77);
  EXPECT_EQ(std::make_pair(a, b), std::make_pair(5, 6));
}

TEST_F(VoiceAttributesTest, DefaultQueriesCheckTheirArgumentsInOrder) {
  int32_t a = 0;
  ORVN_UnLoadEngine(ORVN_CHINESE);
  const std::pair<std::function<int32_t()>, int32_t> cases[] = {
      {[&] { return ORVN_GetPitchDefault(ORVN_KOREAN, 5, &a, &a); }, ORVN_ERR_NOT_LOADED},
      {[&] { return ORVN_GetPitchDefault(ORVN_KOREAN, 11, nullptr, &a); }, ORVN_ERR_SPEAKER},
      {[&] { return ORVN_GetPitchDefault(ORVN_KOREAN, 0, nullptr, &a); }, ORVN_ERR_INVALID_ARG},
      {[&] { return ORVN_GetPitchDefault(ORVN_KOREAN, 0, &a, nullptr); }, ORVN_ERR_INVALID_ARG},
      {[&] { return ORVN_GetSpeedDefault(ORVN_CHINESE, &a, &a); }, ORVN_ERR_NOT_LOADED},
      {[&] { return ORVN_GetSpeedDefault(9, nullptr, nullptr); }, ORVN_ERR_LANGUAGE},
      {[&] { return ORVN_GetSpeedDefault(ORVN_KOREAN, &a, nullptr); }, ORVN_ERR_INVALID_ARG},
      {[&] { return ORVN_GetVolumeDefault(ORVN_CHINESE, &a, &a); }, ORVN_ERR_NOT_LOADED},
      {[&] { return ORVN_GetVolumeDefault(ORVN_KOREAN, nullptr, &a); }, ORVN_ERR_INVALID_ARG},
  };
  ClearEngineLogs();
  int row = 0;
  for (const auto& [call, expected] : cases) {
    EXPECT_EQ(call(), expected) << "row " << row;
    EXPECT_EQ(ORVN_GetError(), expected) << "row " << row++;
  }
  EXPECT_TRUE(EnginesUntouched());
}

}  // namespace
}  // namespace orven_test
