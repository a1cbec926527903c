// Text, name and SMS requests: the check order, what reaches the engine
// after conversion and markup stripping, the text limit, stop.
#include <functional>

#include "api_test_support.h"

namespace orven_test {
namespace {

// The log entries of one engine function, in order.
std::vector<std::string> CallsTo(int32_t language, const std::string& name) {
  std::vector<std::string> calls;
  for (const std::string& entry : EngineLog(language))
    if (entry.rfind(name + "(", 0) == 0) calls.push_back(entry);
  return calls;
}

class TextRequestTest : public ApiTest {
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
  // What the engine's speak operation received, as its log entry.
  std::string Spoken(int32_t language, const std::string& bytes, int32_t mode = 1, const char* op = "speak") {
    return (std::string(op) == "speak" ? EngineName("speak", language) : std::string(op)) + "(" +
           Ptr(channels_[language]) + ", \"" + bytes + "\", " + std::to_string(mode) + ")";
  }
  std::vector<std::string> Speaks(int32_t language) { return CallsTo(language, EngineName("speak", language)); }
  ORVN_CHANNEL channels_[4] = {};
};

TEST_F(TextRequestTest, ChecksComeFirstAndReachNoEngine) {
  FakeChannel fakes[] = {{4, 0}, {1, 11}, {1, 10}};
  const int32_t codes[] = {ORVN_ERR_LANGUAGE, ORVN_ERR_SPEAKER, ORVN_ERR_NOT_LOADED};
  using Request = int32_t (*)(ORVN_CHANNEL, const char*, int32_t);
  for (Request request : {Request{ORVN_TextToSpeech}, Request{ORVN_NameToSpeech}, Request{ORVN_SMSToSpeech}}) {
    EXPECT_EQ(request(nullptr, "x", 1), ORVN_ERR_NULL_HANDLE);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(request(&fakes[i], nullptr, 1), codes[i]);
    EXPECT_EQ(request(channels_[ORVN_KOREAN], nullptr, 1), ORVN_ERR_INVALID_ARG);
    EXPECT_EQ(request(channels_[ORVN_KOREAN], "", 1), ORVN_ERR_INVALID_ARG);
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG);
  }
  // Names and SMS texts are Korean only; an empty text is refused first.
  for (int32_t language : {ORVN_ENGLISH, ORVN_CHINESE, ORVN_JAPANESE}) {
    EXPECT_EQ(ORVN_NameToSpeech(channels_[language], "x", 1), ORVN_ERR_KOREAN_ONLY);
    EXPECT_EQ(ORVN_SMSToSpeech(channels_[language], "", 1), ORVN_ERR_INVALID_ARG);
  }
  ORVN_UnInitialize();
  EXPECT_EQ(ORVN_TextToSpeech(channels_[0], "x", 1), ORVN_ERR_NOT_INITIALIZED);
  EXPECT_EQ(ORVN_StopTextToSpeech(channels_[0]), ORVN_ERR_NOT_INITIALIZED);
  ORVN_Initialize();
  EXPECT_TRUE(EnginesUntouched());
}

struct ConversionCase {
  int32_t language;
  const char* utf8;
  const char* expected;  // the bytes the engine must receive with character set 1
};

const ConversionCase kConversions[] = {
    // Hangul to code page 949; other 3-byte characters one space; 2-byte ones two.
    {ORVN_KOREAN, "\xEA\xB0\x80\xEA\xB0\x82 a", "\xB0\xA1\x81\x41 a"},
    {ORVN_KOREAN, "\xC3\xA9|\xE4\xB8\xAD|\xF0\x9F\x98\x80", "  | |    "},
    {ORVN_KOREAN, "\xEF\xBB\xBFok", " ok"},
    // English keeps its UTF-8, loses a byte-order mark, is not validated.
    {ORVN_ENGLISH, "\xEF\xBB\xBF" "caf\xC3\xA9", "caf\xC3\xA9"},
    {ORVN_ENGLISH, "bad \xC3 byte", "bad \xC3 byte"},
    // Chinese: code page 936; Latin-1 as single bytes; unmapped as FF FF.
    {ORVN_CHINESE, "\xE4\xB8\xAD\xC3\xA9", "\xD6\xD0\xE9"},
    {ORVN_CHINESE, "\xEA\xB0\x80|\xE2\x82\xAC" "1", "\xFF\xFF|\x80" "1"},
    {ORVN_CHINESE, "\xEF\xBB\xBFx", "x"},
    // Japanese: Shift_JIS; half-width katakana single bytes; unmapped "?".
    {ORVN_JAPANESE, "\xE3\x81\x82\xEF\xBD\xB1", "\x82\xA0\xB1"},
    {ORVN_JAPANESE, "\xC3\xA9\xE3\x80\x9C", "??"},
};

TEST_F(TextRequestTest, Utf8ReachesEachEngineInItsOwnCode) {
  for (const ConversionCase& c : kConversions) {
    SCOPED_TRACE(std::to_string(c.language) + " " + c.utf8);
    ORVN_SetCharSet(channels_[c.language], 1);
    SynTest_ForceResult(EngineName("speak", c.language).c_str(), 1);
    SynTest_ClearLog(c.language);
    EXPECT_EQ(ORVN_TextToSpeech(channels_[c.language], c.utf8, 1), 1);
    EXPECT_EQ(Speaks(c.language), std::vector<std::string>{Spoken(c.language, c.expected)});
  }
}

TEST_F(TextRequestTest, WithoutCharacterSetOneTheBytesGoAsTheyAre) {
  for (int32_t language : kLanguages) {
    SynTest_ForceResult(EngineName("speak", language).c_str(), 1);
    const char* bytes = "\xEF\xBB\xBF\xEA\xB0\x80 \xFF raw";
    EXPECT_EQ(ORVN_TextToSpeech(channels_[language], bytes, 3), 1);
    EXPECT_EQ(Speaks(language), std::vector<std::string>{Spoken(language, bytes, 3)});
    // The character set and text format are asked for anew, in that order.
    const std::vector<std::string> log = EngineLog(language);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], EngineName("getCharSet", language) + "(" + Ptr(channels_[language]) + ")");
    EXPECT_EQ(log[1], EngineName("getTextFormat", language) + "(" + Ptr(channels_[language]) + ")");
  }
}

TEST_F(TextRequestTest, InvalidUtf8FailsForEveryConvertingLanguage) {
  for (int32_t language : {ORVN_KOREAN, ORVN_CHINESE, ORVN_JAPANESE}) {
    ORVN_SetCharSet(channels_[language], 1);
    for (const char* bad : {"abc\xC3", "\x80", "x\xFEy"}) {
      EXPECT_EQ(ORVN_TextToSpeech(channels_[language], bad, 1), ORVN_ERR_CONVERSION);
      EXPECT_EQ(ORVN_GetError(), ORVN_ERR_CONVERSION);
    }
    EXPECT_TRUE(Speaks(language).empty());
  }
  EXPECT_EQ(ORVN_NameToSpeech(channels_[ORVN_KOREAN], "\xC3", 1), ORVN_ERR_CONVERSION);
}

TEST_F(TextRequestTest, MarkupIsStrippedOnlyInModeOneWithTaggedText) {
  ORVN_CHANNEL channel = channels_[ORVN_JAPANESE];
  ORVN_SetTextFormat(channel, 1);
  SynTest_ForceResult("JapTextToSpeech", 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "a<pitch=\"90\">b<x>", 1), 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "<only a tag>", 1), 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "a<b>c", 2), 1);
  EXPECT_EQ(Speaks(ORVN_JAPANESE), (std::vector<std::string>{Spoken(ORVN_JAPANESE, "ab"), Spoken(ORVN_JAPANESE, ""),
                                                            Spoken(ORVN_JAPANESE, "a<b>c", 2)}));

  SynTest_ClearLog(ORVN_JAPANESE);
  for (const char* malformed : {"a>b<c", "<a<b>>", "x<y", "<a>>"}) {
    SCOPED_TRACE(malformed);
    ORVN_Initialize();
    EXPECT_EQ(ORVN_TextToSpeech(channel, malformed, 1), 0);
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_MARKUP);
  }
  EXPECT_TRUE(Speaks(ORVN_JAPANESE).empty());
  // Converted first, then stripped.
  ORVN_SetCharSet(channel, 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "<t>\xE3\x81\x82", 1), 1);
  EXPECT_EQ(Speaks(ORVN_JAPANESE).back(), Spoken(ORVN_JAPANESE, "\x82\xA0"));
}

TEST_F(TextRequestTest, TheTextLimitCountsTheBytesTheEngineWouldReceive) {
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 9);
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 9, 4, 4);
  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_KOREAN, 9, VoicesDir().c_str(), 0), 0);
  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, ORVN_KOREAN, 9);
  ORVN_SetCharSet(channel, 1);
  ORVN_SetTextFormat(channel, 1);
  SynTest_ForceResult("TextToSpeech", 1);
  SynTest_ForceResult("NameToSpeech", 1);
  // Two syllables: six UTF-8 bytes, four in code page 949.
  EXPECT_EQ(ORVN_TextToSpeech(channel, "\xEA\xB0\x80\xEA\xB0\x82", 1), 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "<long tag>abcd", 1), 1);
  EXPECT_EQ(ORVN_NameToSpeech(channel, "abcd", 0), 1);
  ORVN_Initialize();
  EXPECT_EQ(ORVN_TextToSpeech(channel, "\xEA\xB0\x80\xEA\xB0\x82" "a", 1), ORVN_ERR_TEXT_LIMIT);
  EXPECT_EQ(ORVN_SMSToSpeech(channel, "abcde", 0), ORVN_ERR_TEXT_LIMIT);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_TEXT_LIMIT);
  EXPECT_EQ(CallsTo(ORVN_KOREAN, "SMSToSpeech").size(), 0u);
  ORVN_DeleteThread(channel);
}

TEST_F(TextRequestTest, NamesAndSmsTextsUseTheirReadingsUnlessTheirTagsWereStripped) {
  ORVN_CHANNEL channel = channels_[ORVN_KOREAN];
  for (const char* op : {"NameToSpeech", "SMSToSpeech", "TextToSpeech"}) SynTest_ForceResult(op, 1);
  auto request = [&](bool name, const char* text, int32_t mode) {
    return name ? ORVN_NameToSpeech(channel, text, mode) : ORVN_SMSToSpeech(channel, text, mode);
  };
  for (bool name : {true, false}) {
    const char* op = name ? "NameToSpeech" : "SMSToSpeech";
    SCOPED_TRACE(op);
    ORVN_SetTextFormat(channel, 0);
    SynTest_ClearLog(ORVN_KOREAN);
    EXPECT_EQ(request(name, "<t>kim", 1), 1);
    ORVN_SetTextFormat(channel, 1);
    EXPECT_EQ(request(name, "<t>kim", 2), 1);
    EXPECT_EQ(request(name, "<t>kim", 1), 1);
    EXPECT_EQ(CallsTo(ORVN_KOREAN, op),
              (std::vector<std::string>{Spoken(ORVN_KOREAN, "<t>kim", 1, op), Spoken(ORVN_KOREAN, "<t>kim", 2, op)}));
    EXPECT_EQ(CallsTo(ORVN_KOREAN, "TextToSpeech"), std::vector<std::string>{Spoken(ORVN_KOREAN, "kim")});
  }
}

TEST_F(TextRequestTest, TheEnginesResultIsReturnedAndLeavesTheLastError) {
  SynTest_ForceResult("ChiTextToSpeech", 7);
  ORVN_GetTextLimitLength(9, 0);
  EXPECT_EQ(ORVN_TextToSpeech(channels_[ORVN_CHINESE], "x", 1), 7);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
  // The stand-in engine speaks for real: tone audio arrives at the callback.
  std::vector<int32_t> chunks;
  ORVN_CHANNEL listener = ORVN_CreateThread(
      &chunks,
      [](void* user, ORVN_PcmChunk* chunk) {
        static_cast<std::vector<int32_t>*>(user)->push_back(chunk->byteCount);
        return 0;
      },
      ORVN_ENGLISH, 1);
  EXPECT_EQ(ORVN_TextToSpeech(listener, "hello", 1), 1);
  EXPECT_FALSE(chunks.empty());
  ORVN_DeleteThread(listener);
}

TEST_F(TextRequestTest, StopAlwaysReturnsOneOnceTheEngineWasAsked) {
  for (int32_t language : kLanguages) {
    SynTest_ForceResult(EngineName("stop", language).c_str(), -9);
    EXPECT_EQ(ORVN_StopTextToSpeech(channels_[language]), 1);
    EXPECT_EQ(EngineLog(language),
              std::vector<std::string>{EngineName("stop", language) + "(" + Ptr(channels_[language]) + ")"});
  }
  FakeChannel fake{3, 11};
  EXPECT_EQ(ORVN_StopTextToSpeech(&fake), ORVN_ERR_SPEAKER);
  EXPECT_EQ(ORVN_StopTextToSpeech(nullptr), ORVN_ERR_NULL_HANDLE);
}

}  // namespace
}  // namespace orven_test
