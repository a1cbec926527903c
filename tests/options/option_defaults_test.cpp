// The routine that applies the library-wide option defaults to a channel
// the library has opened itself, and the registered playback dictionary.
// These link the library's objects directly to reach the internals.
#include <string>

#include "../api/api_test_support.h"
#include "options/option_defaults.h"
#include "options/user_dictionaries.h"

namespace orven_test {
namespace {

class ApplyDefaultsTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadVoices(ORVN_CHINESE);
    channel_ = ORVN_CreateThread(nullptr, NoopCallback, ORVN_CHINESE, 0);
    ASSERT_NE(channel_, nullptr);
  }
  void TearDown() override {
    ORVN_DeleteThread(channel_);
    ApiTest::TearDown();
  }
  std::vector<std::string> Apply(orven::DefaultsFor target) {
    SynTest_ClearLog(ORVN_CHINESE);
    orven::ApplyOptionDefaults(channel_, target);
    return EngineLog(ORVN_CHINESE);
  }
  std::string Call(const char* name, const std::string& args) { return std::string(name) + "(" + Ptr(channel_) + ", " + args + ")"; }
  ORVN_CHANNEL channel_ = nullptr;
};

TEST_F(ApplyDefaultsTest, FreshDefaultsSetOnlyThePauseAndTheSentenceDelimiter) {
  EXPECT_EQ(Apply(orven::DefaultsFor::TextToFile),
            (std::vector<std::string>{Call("SetChiPauseLength", "0, 0"), Call("SetChiSentDelimLF", "1")}));
}

TEST_F(ApplyDefaultsTest, EveryDefaultOfOneIsAppliedInOrderAndLipSyncOnlyToFiles) {
  for (auto set : {ORVN_SetByteSwap, ORVN_SetCharSet, ORVN_SetTextFormat, ORVN_SetLipSync, ORVN_SetHighLight,
                   ORVN_SetReadGwalho, ORVN_SetSentDelimLF})
    set(nullptr, 1);
  ORVN_SetPauseLength(nullptr, 250, 700);
  const std::vector<std::string> toFile = {
      Call("SetChiByteSwap", "1"),        Call("SetChiCharSet", "1"),    Call("SetChiTextFormat", "1"),
      Call("SetChiLipSync", "1"),         Call("SetChiPauseLength", "250, 700"), Call("SetChiReadGwalho", "1"),
      Call("SetChiSentDelimLF", "1")};
  EXPECT_EQ(Apply(orven::DefaultsFor::TextToFile), toFile);
  std::vector<std::string> toPlayback = toFile;
  toPlayback.erase(toPlayback.begin() + 3);
  EXPECT_EQ(Apply(orven::DefaultsFor::Playback), toPlayback);
}

TEST_F(ApplyDefaultsTest, DefaultsOtherThanOneAreNotPassedOn) {
  ORVN_SetCharSet(nullptr, 5);
  ORVN_SetTextFormat(nullptr, 0x101);  // stored as 1 through its low 8 bits
  ORVN_SetReadGwalho(nullptr, 0x101);  // a 32-bit option keeps its whole value
  ORVN_SetSentDelimLF(nullptr, 2);
  EXPECT_EQ(ORVN_GetCharSet(nullptr), 5);
  EXPECT_EQ(Apply(orven::DefaultsFor::Playback),
            (std::vector<std::string>{Call("SetChiTextFormat", "1"), Call("SetChiPauseLength", "0, 0")}));
}

TEST(RegisteredDictionaryTest, RegistrationKeepsAtMost255BytesAndNullKeepsTheOldPath) {
  ORVN_UnInitialize();  // registration does not depend on the library state
  ORVN_RegisterUserDict("/dicts/first.txt");
  EXPECT_EQ(orven::g_registeredDictionary.registered.load(), 1);
  ORVN_RegisterUserDict(nullptr);
  EXPECT_STREQ(orven::g_registeredDictionary.path, "/dicts/first.txt");

  const std::string longPath(300, 'p');
  ORVN_RegisterUserDict(longPath.c_str());
  EXPECT_EQ(std::string(orven::g_registeredDictionary.path), longPath.substr(0, 255));

  ORVN_DeleteUserDict();
  EXPECT_EQ(orven::g_registeredDictionary.registered.load(), 0);
  EXPECT_EQ(std::string(orven::g_registeredDictionary.path), longPath.substr(0, 255)) << "the path stays";
  ORVN_Initialize();
}

}  // namespace
}  // namespace orven_test
