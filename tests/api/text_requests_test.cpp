// Text, name and SMS requests and PCM buffer mode: what reaches the engine, the text limit.
#include "api_test_support.h"

namespace orven_test {
namespace {

class TextRequestTest : public ChannelPerLanguageTest {
 protected:
  // What a speak operation (the language's text one by default) received.
  std::string Spoken(int32_t language, const std::string& bytes, int32_t mode = 1, std::string op = {}) {
    return Logged(op.empty() ? EngineName("speak", language) : op,
                  {Ptr(channels_[language]), Quoted(bytes), std::to_string(mode)});
  }
  Log Speaks(int32_t language) { return CallsTo(language, EngineName("speak", language)); }
};

// Character set 1 means UTF-8, converted to each engine's code; text that is not UTF-8 fails and is not spoken.
TEST_F(TextRequestTest, Utf8ReachesEachEngineInItsOwnCode) {
  const struct {
    int32_t language;
    const char *utf8, *expected;
  } cases[] = {
      {ORVN_KOREAN, "\xEA\xB0\x80 a", "\xB0\xA1 a"},           // code page 949
      {ORVN_ENGLISH, "\xEF\xBB\xBFh\xC3\xA9", "h\xC3\xA9"},    // UTF-8 without its byte-order mark,
      {ORVN_ENGLISH, "bad \xC3 byte", "bad \xC3 byte"},        // and not validated
      {ORVN_CHINESE, "\xEF\xBB\xBF\xE4\xB8\xAD", "\xD6\xD0"},  // code page 936
      {ORVN_JAPANESE, "\xE3\x81\x82", "\x82\xA0"},             // Shift_JIS
  };
  for (const auto& c : cases) {
    ORVN_SetCharSet(channels_[c.language], 1);
    SynTest_ForceResult(EngineName("speak", c.language).c_str(), 1);
    SynTest_ClearLog(c.language);
    EXPECT_EQ(ORVN_TextToSpeech(channels_[c.language], c.utf8, 1), 1);
    EXPECT_EQ(Speaks(c.language), Log{Spoken(c.language, c.expected)}) << c.utf8;
  }
  ORVN_CHANNEL japanese = channels_[ORVN_JAPANESE];
  EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_TextToSpeech(japanese, "ab\xC3", 1), ORVN_ERR_CONVERSION); }),
            ORVN_ERR_CONVERSION);
  EXPECT_EQ(Speaks(ORVN_JAPANESE).size(), 1u);
}

// Character set and text format are asked for anew; the engine's result comes back and leaves the last error
// alone, which only PCM buffer mode's size reset clears; stop returns 1.
TEST_F(TextRequestTest, WithoutCharacterSetOneTheBytesGoAsTheyAreAndTheEnginesResultComesBack) {
  const char* bytes = "\xEF\xBB\xBF\xEA\xB0\x80 \xFF raw";
  for (int32_t language : kLanguages) {
    ORVN_CHANNEL channel = channels_[language];
    const std::string size = language % 2 ? "1024" : "64000";
    SynTest_ForceResult(EngineName("speak", language).c_str(), 7);
    SynTest_ForceResult(EngineName("stop", language).c_str(), -9);
    EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_TextToSpeech(channel, bytes, 3), 7); }), ORVN_ERR_LANGUAGE);
    EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_TextToPcmBuf(channel, bytes, 3, std::stoi(size)), 7); }), 0);
    EXPECT_EQ(ORVN_StopTextToSpeech(channel), 1);
    const std::string ch = Ptr(channel), charSet = Logged("getCharSet", language, {ch}),
                      format = Logged("getTextFormat", language, {ch}), spoken = Spoken(language, bytes, 3);
    EXPECT_EQ(EngineLog(language),
              (Log{charSet, format, spoken, Logged("setOutBufSize", language, {ch, size}), charSet, format, spoken,
                   Logged("setOutBufSize", language, {ch, "0"}), Logged("stop", language, {ch})}));
  }
}

// Markup is stripped only in mode 1 with tagged text, after conversion; malformed markup is refused.
TEST_F(TextRequestTest, MarkupIsStrippedOnlyInModeOneWithTaggedText) {
  ORVN_CHANNEL channel = channels_[ORVN_JAPANESE];
  ORVN_SetTextFormat(channel, 1);
  SynTest_ForceResult("JapTextToSpeech", 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "a<pitch=\"90\">b<x>", 1), 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "<only a tag>", 1), 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "a<b>c", 2), 1);
  for (const char* malformed : {"a>b<c", "x<y"})
    EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_TextToSpeech(channel, malformed, 1), 0); }), ORVN_ERR_MARKUP);
  ORVN_SetCharSet(channel, 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "<t>\xE3\x81\x82", 1), 1);
  EXPECT_EQ(Speaks(ORVN_JAPANESE), (Log{Spoken(ORVN_JAPANESE, "ab"), Spoken(ORVN_JAPANESE, ""),
                                        Spoken(ORVN_JAPANESE, "a<b>c", 2), Spoken(ORVN_JAPANESE, "\x82\xA0")}));
}

// The limit counts converted, stripped bytes: two syllables are six UTF-8 bytes, four in code page 949.
TEST_F(TextRequestTest, TheTextLimitCountsTheBytesTheEngineWouldReceive) {
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 9);
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 9, 4, 4);
  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_KOREAN, 9, VoicesDir().c_str(), 0), 0);
  ORVN_CHANNEL channel = Open(ORVN_KOREAN, 9);
  ORVN_SetCharSet(channel, 1);
  ORVN_SetTextFormat(channel, 1);
  SynTest_ForceResult("TextToSpeech", 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "\xEA\xB0\x80\xEA\xB0\x82", 1), 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "<long tag>abcd", 1), 1);
  EXPECT_EQ(ORVN_TextToSpeech(channel, "\xEA\xB0\x80\xEA\xB0\x82z", 1), ORVN_ERR_TEXT_LIMIT);
  EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_SMSToSpeech(channel, "abcde", 0), ORVN_ERR_TEXT_LIMIT); }),
            ORVN_ERR_TEXT_LIMIT);
  EXPECT_TRUE(CallsTo(ORVN_KOREAN, "SMSToSpeech").empty());
  ORVN_DeleteThread(channel);
}

// Names and SMS texts go to their own readings unless their tags were stripped, then as plain text.
TEST_F(TextRequestTest, NamesAndSmsTextsUseTheirReadingsUnlessTheirTagsWereStripped) {
  ORVN_CHANNEL channel = channels_[ORVN_KOREAN];
  for (const char* op : {"NameToSpeech", "SMSToSpeech", "TextToSpeech"}) SynTest_ForceResult(op, 1);
  for (auto request : {ORVN_NameToSpeech, ORVN_SMSToSpeech}) {
    const std::string op = request == ORVN_NameToSpeech ? "NameToSpeech" : "SMSToSpeech";
    ORVN_SetTextFormat(channel, 0);
    SynTest_ClearLog(ORVN_KOREAN);
    EXPECT_EQ(request(channel, "<t>kim", 1), 1);
    ORVN_SetTextFormat(channel, 1);
    EXPECT_EQ(request(channel, "<t>kim", 2), 1);
    EXPECT_EQ(request(channel, "<t>kim", 1), 1);
    EXPECT_EQ(CallsTo(ORVN_KOREAN, op),
              (Log{Spoken(ORVN_KOREAN, "<t>kim", 1, op), Spoken(ORVN_KOREAN, "<t>kim", 2, op)}));
    EXPECT_EQ(CallsTo(ORVN_KOREAN, "TextToSpeech"), Log{Spoken(ORVN_KOREAN, "kim")});
  }
  // A failing PCM buffer request (conversion, markup, engine) still resets the size and clears the last error.
  ORVN_SetCharSet(channel, 1);
  SynTest_ForceResult("SMSToSpeech", -77);
  SynTest_ClearLog(ORVN_KOREAN);
  EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_TextToPcmBuf(channel, "\xC3", 1, 4000), ORVN_ERR_CONVERSION); }), 0);
  EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_NameToPcmBuf(channel, "<oops", 1, 4000), 0); }), 0);
  EXPECT_EQ(ORVN_SMSToPcmBuf(channel, "sms", 0, 4000), -77);
  const std::string set = Logged("SetOutBufSize", {Ptr(channel), "4000"});
  const std::string reset = Logged("SetOutBufSize", {Ptr(channel), "0"});
  EXPECT_EQ(CallsTo(ORVN_KOREAN, "SetOutBufSize"), (Log{set, reset, set, reset, set, reset}));
}

}  // namespace
}  // namespace orven_test
