// The routine that applies the library-wide option defaults to a channel the library opened itself, and the
// registered playback dictionary; linked from the library's objects to reach these internals.
#include "api/internal.h"

#include "../api/api_test_support.h"
#include "core/registered_dictionary.h"

namespace orven_test {
namespace {

using ApplyDefaultsTest = ChannelPerLanguageTest;

// Applied in a fixed order, lip sync only to files; the pause always, any other default only when it is 1.
TEST_F(ApplyDefaultsTest, DefaultsOfOneAreAppliedInOrder) {
  ORVN_CHANNEL channel = channels_[ORVN_CHINESE];
  auto apply = [&](orven::api::DefaultsFor target) {
    SynTest_ClearLog(ORVN_CHINESE);
    orven::api::ApplyOptionDefaults(channel, target);
    return EngineLog(ORVN_CHINESE);
  };
  auto call = [&](const char* name, const char* args) { return Logged(name, {Ptr(channel), args}); };
  for (auto set : {ORVN_SetByteSwap, ORVN_SetCharSet, ORVN_SetTextFormat, ORVN_SetLipSync, ORVN_SetHighLight,
                   ORVN_SetReadGwalho, ORVN_SetSentDelimLF})
    set(nullptr, 1);
  ORVN_SetPauseLength(nullptr, 250, 700);
  Log toFile = {call("SetChiByteSwap", "1"),           call("SetChiCharSet", "1"),
                call("SetChiTextFormat", "1"),         call("SetChiLipSync", "1"),
                call("SetChiPauseLength", "250, 700"), call("SetChiReadGwalho", "1"),
                call("SetChiSentDelimLF", "1")};
  EXPECT_EQ(apply(orven::api::DefaultsFor::TextToFile), toFile);
  toFile.erase(toFile.begin() + 3);
  EXPECT_EQ(apply(orven::api::DefaultsFor::Playback), toFile);
  ORVN_Initialize();
  ORVN_SetCharSet(nullptr, 5);
  ORVN_SetTextFormat(nullptr, 0x101);  // stored as 1 through its low 8 bits
  ORVN_SetReadGwalho(nullptr, 0x101);  // a 32-bit option keeps its whole value
  ORVN_SetSentDelimLF(nullptr, 2);
  EXPECT_EQ(apply(orven::api::DefaultsFor::TextToFile),
            (Log{call("SetChiTextFormat", "1"), call("SetChiPauseLength", "0, 0")}));
}

// Registration does not depend on the library state, keeps at most 255 bytes, and null keeps the old path.
TEST(RegisteredDictionaryTest, RegistrationKeepsAtMost255BytesAndNullKeepsTheOldPath) {
  const orven::RegisteredDictionary& dictionary = orven::g_registeredDictionary;
  ORVN_UnInitialize();
  ORVN_RegisterUserDict("/dicts/first.txt");
  ORVN_RegisterUserDict(nullptr);
  EXPECT_STREQ(dictionary.path, "/dicts/first.txt");
  EXPECT_EQ(dictionary.registered.load(), 1);
  const std::string longPath(300, 'p');
  ORVN_RegisterUserDict(longPath.c_str());
  ORVN_DeleteUserDict();
  EXPECT_EQ(dictionary.registered.load(), 0);
  EXPECT_EQ(std::string(dictionary.path), longPath.substr(0, 255)) << "the path stays";
  ORVN_Initialize();
}

}  // namespace
}  // namespace orven_test
