// The three shared checks and their order, seen through the exports that
// use them.
#include <functional>

#include "api_test_support.h"

namespace orven_test {
namespace {

using SharedChecksTest = ApiTest;

struct HandleCase {
  const char* what;
  int32_t language;
  int32_t speaker;
  int32_t expected;
};

// Language 1 speakers 0, 1 and 9 are loaded in these tests.
const HandleCase kHandleCases[] = {
    {"language 4 fails before the speaker is looked at", 4, 99, ORVN_ERR_LANGUAGE},
    {"negative language", -1, 0, ORVN_ERR_LANGUAGE},
    {"speaker 11", 1, 11, ORVN_ERR_SPEAKER},
    {"negative speaker", 1, -1, ORVN_ERR_SPEAKER},
    {"speaker 10 is never loaded", 1, 10, ORVN_ERR_NOT_LOADED},
    {"speaker 2 has no voice", 1, 2, ORVN_ERR_NOT_LOADED},
    {"another language's loaded speaker", 2, 0, ORVN_ERR_NOT_LOADED},
};

TEST_F(SharedChecksTest, ChannelHandleFieldsAreCheckedInOrder) {
  LoadVoices(ORVN_ENGLISH);
  for (const HandleCase& c : kHandleCases) {
    SCOPED_TRACE(c.what);
    FakeChannel fake{c.language, c.speaker};
    ORVN_Initialize();
    ORVN_DeleteThread(&fake);
    EXPECT_EQ(ORVN_GetError(), c.expected);
  }
  ORVN_DeleteThread(nullptr);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NULL_HANDLE);
  EXPECT_TRUE(EnginesUntouched());
}

// Every export that checks a (language, speaker) pair answers alike.
TEST_F(SharedChecksTest, VoiceCheckIsTheSameForEveryVoiceExport) {
  LoadVoices(ORVN_ENGLISH);
  const std::vector<std::pair<const char*, std::function<int32_t(int32_t, int32_t)>>> exports = {
      {"CreateThread",
       [](int32_t l, int32_t s) { return ORVN_CreateThread(nullptr, NoopCallback, l, s) ? 0 : ORVN_GetError(); }},
      {"GetChannelInfoEx",
       [](int32_t l, int32_t s) {
         int32_t a, b;
         ORVN_GetChannelInfoEx(l, s, &a, &b);
         return ORVN_GetError();
       }},
      {"GetTextLimitLength", [](int32_t l, int32_t s) { return ORVN_GetTextLimitLength(l, s); }},
      {"GetDBInfo",
       [](int32_t l, int32_t s) {
         ORVN_DbInfo info{};
         ORVN_GetDBInfo(l, s, &info);
         return ORVN_GetError();
       }},
  };
  for (const auto& [name, call] : exports) {
    for (const HandleCase& c : kHandleCases) {
      SCOPED_TRACE(std::string(name) + ": " + c.what);
      ORVN_Initialize();
      EXPECT_EQ(call(c.language, c.speaker), c.expected);
      EXPECT_EQ(ORVN_GetError(), c.expected);
    }
  }
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(SharedChecksTest, LanguageCheckNeedsOneLoadedSpeakerOfTheLanguage) {
  LoadVoices(ORVN_ENGLISH);
  int32_t inUse = -5, capacity = -5;
  const std::pair<int32_t, int32_t> cases[] = {
      {4, ORVN_ERR_LANGUAGE}, {-1, ORVN_ERR_LANGUAGE}, {ORVN_KOREAN, ORVN_ERR_NOT_LOADED}};
  for (auto [language, expected] : cases) {
    ORVN_Initialize();
    ORVN_GetChannelInfo(language, &inUse, &capacity);
    EXPECT_EQ(ORVN_GetError(), expected) << language;
  }
  EXPECT_EQ(inUse, -5);
  EXPECT_EQ(capacity, -5);
}

TEST_F(SharedChecksTest, SpeakerTenOfOneLanguageIsNotLoadedWhateverElseIs) {
  LoadAllVoices();
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 10), ORVN_ERR_NOT_LOADED);
}

}  // namespace
}  // namespace orven_test
