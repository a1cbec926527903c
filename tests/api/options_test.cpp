// The option exports: channel values through the engine, library-wide
// defaults with a null channel, the byte options' low-8-bit rule.
#include <functional>

#include "api_test_support.h"

namespace orven_test {
namespace {

struct OptionCase {
  const char* name;
  int32_t (*set)(ORVN_CHANNEL, int32_t);
  int32_t (*get)(ORVN_CHANNEL);
  const char* setOp;
  const char* getOp;
  bool isByte;
  int32_t initialDefault;
};

const OptionCase kOptions[] = {
    {"TextFormat", ORVN_SetTextFormat, ORVN_GetTextFormat, "setTextFormat", "getTextFormat", true, 0},
    {"CharSet", ORVN_SetCharSet, ORVN_GetCharSet, "setCharSet", "getCharSet", true, 0},
    {"LipSync", ORVN_SetLipSync, ORVN_GetLipSync, "setLipSync", "getLipSync", true, 0},
    {"HighLight", ORVN_SetHighLight, ORVN_GetHighLight, "setHighLight", "getHighLight", true, 0},
    {"ByteSwap", ORVN_SetByteSwap, ORVN_GetByteSwap, "setByteSwap", "getByteSwap", true, 0},
    {"ReadGwalho", ORVN_SetReadGwalho, ORVN_GetReadGwalho, "setReadGwalho", "getReadGwalho", false, 0},
    {"SentDelimLF", ORVN_SetSentDelimLF, ORVN_GetSentDelimLF, "setSentDelimLF", "getSentDelimLF", false, 1},
};

// What a value reads back as: byte options keep the low 8 bits, sign-extended.
int32_t Stored(const OptionCase& option, int32_t value) {
  return option.isByte ? static_cast<int8_t>(value) : value;
}

class OptionTest : public ApiTest, public ::testing::WithParamInterface<OptionCase> {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
    for (int32_t language : kLanguages) channels_[language] = ORVN_CreateThread(nullptr, NoopCallback, language, 1);
    ClearEngineLogs();
  }
  void TearDown() override {
    for (ORVN_CHANNEL channel : channels_) ORVN_DeleteThread(channel);
    ApiTest::TearDown();
  }
  ORVN_CHANNEL channels_[4] = {};
};

TEST_P(OptionTest, NullChannelKeepsTheLibraryDefaultWithoutAnEngine) {
  const OptionCase& option = GetParam();
  EXPECT_EQ(option.get(nullptr), option.initialDefault);
  for (int32_t value : {5, 255, 0x1FF, 0x101, -2, 1 << 20}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(option.set(nullptr, value), 1);
    EXPECT_EQ(option.get(nullptr), Stored(option, value));
  }
  EXPECT_TRUE(EnginesUntouched());
  // Setting a default changes no channel, and initialisation restores it.
  EXPECT_EQ(option.get(channels_[ORVN_ENGLISH]), Stored(option, option.initialDefault));
  ORVN_Initialize();
  EXPECT_EQ(option.get(nullptr), option.initialDefault);
}

TEST_P(OptionTest, ChannelValuesGoToTheEngineAndReadBack) {
  const OptionCase& option = GetParam();
  for (int32_t language : kLanguages) {
    SCOPED_TRACE(language);
    ORVN_CHANNEL channel = channels_[language];
    const std::string setName = EngineName(option.setOp, language);
    SynTest_ForceResult(setName.c_str(), -5);  // the engine's set result is not looked at
    EXPECT_EQ(option.set(channel, 0x1FF), 1);
    SynTest_ClearForced(setName.c_str());
    EXPECT_EQ(option.set(channel, 0x17F), 1);
    EXPECT_EQ(option.get(channel), Stored(option, 0x17F));
    const std::string value = std::to_string(Stored(option, 0x1FF));
    EXPECT_EQ(EngineLog(language),
              (std::vector<std::string>{setName + "(" + Ptr(channel) + ", " + value + ")",
                                        setName + "(" + Ptr(channel) + ", " + std::to_string(Stored(option, 0x17F)) + ")",
                                        EngineName(option.getOp, language) + "(" + Ptr(channel) + ")"}));
    EXPECT_EQ(option.get(nullptr), option.initialDefault);
  }
}

TEST_P(OptionTest, TheEnginesGetResultIsCutToABytePerByteOption) {
  const OptionCase& option = GetParam();
  SynTest_ForceResult(EngineName(option.getOp, ORVN_CHINESE).c_str(), 0x101);
  EXPECT_EQ(option.get(channels_[ORVN_CHINESE]), option.isByte ? 1 : 0x101);
  SynTest_ForceResult(EngineName(option.getOp, ORVN_CHINESE).c_str(), 0xF0);
  EXPECT_EQ(option.get(channels_[ORVN_CHINESE]), option.isByte ? -16 : 0xF0);
}

TEST_P(OptionTest, ChecksComeInOrderAndStopBeforeTheEngine) {
  const OptionCase& option = GetParam();
  const struct {
    FakeChannel fake;
    int32_t expected;
  } cases[] = {{{4, 0}, ORVN_ERR_LANGUAGE}, {{1, 11}, ORVN_ERR_SPEAKER}, {{1, 10}, ORVN_ERR_NOT_LOADED},
               {{3, 4}, ORVN_ERR_NOT_LOADED}};
  for (auto c : cases) {
    EXPECT_EQ(option.set(&c.fake, 1), c.expected);
    EXPECT_EQ(option.get(&c.fake), c.expected);
    EXPECT_EQ(ORVN_GetError(), c.expected);
  }
  ORVN_UnInitialize();
  EXPECT_EQ(option.set(nullptr, 1), ORVN_ERR_NOT_INITIALIZED);
  EXPECT_EQ(option.get(nullptr), ORVN_ERR_NOT_INITIALIZED);
  EXPECT_EQ(option.set(channels_[0], 1), ORVN_ERR_NOT_INITIALIZED);
  ORVN_Initialize();
  EXPECT_TRUE(EnginesUntouched());
}

INSTANTIATE_TEST_SUITE_P(EveryOption, OptionTest, ::testing::ValuesIn(kOptions),
                         [](const auto& info) { return std::string(info.param.name); });

using PauseLengthTest = ApiTest;

TEST_F(PauseLengthTest, DefaultsChannelsAndTheMissingPointerCode) {
  LoadVoices(ORVN_KOREAN);
  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, ORVN_KOREAN, 0);
  int32_t a = -1, b = -1;
  EXPECT_EQ(ORVN_GetPauseLength(nullptr, &a, &b), 1);
  EXPECT_EQ(std::make_pair(a, b), std::make_pair(0, 0));
  EXPECT_EQ(ORVN_SetPauseLength(nullptr, 300, -7), 1);
  EXPECT_EQ(ORVN_GetPauseLength(nullptr, &a, &b), 1);
  EXPECT_EQ(std::make_pair(a, b), std::make_pair(300, -7));

  SynTest_ClearLog(ORVN_KOREAN);
  EXPECT_EQ(ORVN_SetPauseLength(channel, 11, 22), 1);
  EXPECT_EQ(ORVN_GetPauseLength(channel, &a, &b), 1);
  EXPECT_EQ(std::make_pair(a, b), std::make_pair(11, 22));
  EXPECT_EQ(EngineLog(ORVN_KOREAN), (std::vector<std::string>{
                                        "SetPauseLength(" + Ptr(channel) + ", 11, 22)",
                                        "GetPauseLength(" + Ptr(channel) + ", " + Ptr(&a) + ", " + Ptr(&b) + ")"}));

  // A missing output pointer is reported as -100, before the channel is looked at.
  SynTest_ClearLog(ORVN_KOREAN);
  EXPECT_EQ(ORVN_GetPauseLength(channel, nullptr, &b), ORVN_ERR_NOT_INITIALIZED);
  EXPECT_EQ(ORVN_GetPauseLength(nullptr, &a, nullptr), ORVN_ERR_NOT_INITIALIZED);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED);
  FakeChannel fake{1, 11};
  EXPECT_EQ(ORVN_SetPauseLength(&fake, 1, 2), ORVN_ERR_SPEAKER);
  EXPECT_EQ(ORVN_GetPauseLength(&fake, &a, &b), ORVN_ERR_SPEAKER);
  EXPECT_TRUE(EnginesUntouched());
  ORVN_Initialize();
  EXPECT_EQ(ORVN_GetPauseLength(nullptr, &a, &b), 1);
  EXPECT_EQ(std::make_pair(a, b), std::make_pair(0, 0));
  ORVN_DeleteThread(channel);
}

}  // namespace
}  // namespace orven_test
