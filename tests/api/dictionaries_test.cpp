// User dictionaries per channel and user effect databases per language.
#include <filesystem>
#include <fstream>
#include <functional>

#include "api_test_support.h"

namespace orven_test {
namespace {

namespace fs = std::filesystem;

class DictionaryTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
    for (int32_t language : kLanguages) channels_[language] = ORVN_CreateThread(nullptr, NoopCallback, language, 0);
    ClearEngineLogs();
  }
  void TearDown() override {
    for (ORVN_CHANNEL channel : channels_) ORVN_DeleteThread(channel);
    ApiTest::TearDown();
  }
  ORVN_CHANNEL channels_[4] = {};
};

using DictionaryExport = int32_t (*)(ORVN_CHANNEL, const char*, int32_t*, int32_t*);
const std::pair<const char*, DictionaryExport> kDictionaryExports[] = {
    {"loadDict", ORVN_LoadUserDict}, {"changeDict", ORVN_ChangeUserDict}};

TEST_F(DictionaryTest, ARefusalIsReportedTenAboveTheEnginesReason) {
  for (auto [op, call] : kDictionaryExports) {
    for (int32_t language : kLanguages) {
      SCOPED_TRACE(std::string(op) + " " + std::to_string(language));
      const std::string name = EngineName(op, language);
      int32_t first = 0, second = 0;
      SynTest_ForceResult(name.c_str(), 0);
      SynTest_ForceOutputs(name.c_str(), 3, 4);
      EXPECT_EQ(call(channels_[language], "dict.txt", &first, &second), 0);
      EXPECT_EQ(std::make_pair(first, second), std::make_pair(13, 4));

      SynTest_ForceResult(name.c_str(), 1);
      EXPECT_EQ(call(channels_[language], "dict.txt", &first, &second), 1);
      EXPECT_EQ(std::make_pair(first, second), std::make_pair(3, 4));
      EXPECT_EQ(EngineLog(language).back(), name + "(" + Ptr(channels_[language]) + ", \"dict.txt\", " +
                                                 Ptr(&first) + ", " + Ptr(&second) + ")");
    }
  }
}

TEST_F(DictionaryTest, ArgumentsAreCheckedAfterTheChannel) {
  int32_t a = 0, b = 0;
  FakeChannel badSpeaker{0, 11};
  for (const auto& entry : kDictionaryExports) {
    SCOPED_TRACE(entry.first);
    const DictionaryExport call = entry.second;
    const std::pair<std::function<int32_t()>, int32_t> cases[] = {
        {[&] { return call(nullptr, nullptr, nullptr, nullptr); }, ORVN_ERR_NULL_HANDLE},
        {[&] { return call(&badSpeaker, nullptr, &a, &b); }, ORVN_ERR_SPEAKER},
        {[&] { return call(channels_[0], nullptr, &a, &b); }, ORVN_ERR_INVALID_ARG},
        {[&] { return call(channels_[0], "", &a, &b); }, ORVN_ERR_INVALID_ARG},
        {[&] { return call(channels_[0], "d", nullptr, &b); }, ORVN_ERR_INVALID_ARG},
        {[&] { return call(channels_[0], "d", &a, nullptr); }, ORVN_ERR_INVALID_ARG},
    };
    for (const auto& [c, expected] : cases) {
      EXPECT_EQ(c(), expected);
      EXPECT_EQ(ORVN_GetError(), expected);
    }
  }
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(DictionaryTest, TheStandInEngineLoadsARealFileAndRefusesAMissingOne) {
  const fs::path file = fs::temp_directory_path() / "orven-dictionary-test.txt";
  std::ofstream(file) << "# readings\nORVN\toven\nTTS\ttext to speech\n";
  int32_t first = -1, second = -1;
  EXPECT_EQ(ORVN_LoadUserDict(channels_[ORVN_ENGLISH], file.c_str(), &first, &second), 1);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(ORVN_ChangeUserDict(channels_[ORVN_ENGLISH], "/no/such/dictionary", &first, &second), 0);
  EXPECT_EQ(first, 11);
  fs::remove(file);

  ORVN_GetTextLimitLength(7, 0);
  ORVN_UnLoadUserDict(channels_[ORVN_ENGLISH]);
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH).back(), "UnLoadEngUSRDict(" + Ptr(channels_[ORVN_ENGLISH]) + ")");
  FakeChannel fake{2, 5};
  ORVN_UnLoadUserDict(&fake);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);
}

// Effect databases are language-wide; the tests use two files that exist.
class EffectDatabaseTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    a_ = (VoicesDir() + "/eng-0.voice");
    b_ = (VoicesDir() + "/eng-1.voice");
  }
  int32_t Load(int32_t language, int32_t mode = 0) {
    return ORVN_LoadUserEffDB(language, a_.c_str(), b_.c_str(), mode, 17);
  }
  std::string LoadCall(int32_t language, int32_t mode = 0) {
    return EngineName("loadEffectDb", language) + "(\"" + a_ + "\", \"" + b_ + "\", " + std::to_string(mode) +
           ", 17)";
  }
  std::string a_, b_;
};

TEST_F(EffectDatabaseTest, LoadChecksItsArgumentsAfterTheLanguage) {
  LoadVoices(ORVN_KOREAN);
  const std::pair<std::function<int32_t()>, int32_t> cases[] = {
      {[] { return ORVN_LoadUserEffDB(4, nullptr, nullptr, 9, 0); }, ORVN_ERR_LANGUAGE},
      {[] { return ORVN_LoadUserEffDB(ORVN_ENGLISH, nullptr, nullptr, 9, 0); }, ORVN_ERR_NOT_LOADED},
      {[] { return ORVN_LoadUserEffDB(ORVN_KOREAN, nullptr, "b", 9, 0); }, ORVN_ERR_INVALID_ARG},
      {[] { return ORVN_LoadUserEffDB(ORVN_KOREAN, "a", "", 9, 0); }, ORVN_ERR_INVALID_ARG},
      {[] { return ORVN_LoadUserEffDB(ORVN_KOREAN, "a", "b", 3, 0); }, ORVN_ERR_INVALID_ARG},
      {[] { return ORVN_LoadUserEffDB(ORVN_KOREAN, "a", "b", -1, 0); }, ORVN_ERR_INVALID_ARG},
  };
  for (const auto& [call, expected] : cases) {
    EXPECT_EQ(call(), expected);
    EXPECT_EQ(ORVN_GetError(), expected);
  }
  EXPECT_TRUE(EnginesUntouched());
  for (int32_t mode : {0, 1, 2}) EXPECT_EQ(Load(ORVN_KOREAN, mode), 1) << mode;
}

TEST_F(EffectDatabaseTest, ASecondLoadUnloadsTheFirstAndAZeroResultMeansNone) {
  LoadVoices(ORVN_CHINESE);
  EXPECT_EQ(Load(ORVN_CHINESE), 1);
  ORVN_GetTextLimitLength(7, 0);
  EXPECT_EQ(Load(ORVN_CHINESE, 2), 1);
  EXPECT_EQ(ORVN_GetError(), 0);
  const std::string unload = EngineName("unloadEffectDb", ORVN_CHINESE) + "()";
  EXPECT_EQ(EngineLog(ORVN_CHINESE), (std::vector<std::string>{LoadCall(ORVN_CHINESE), unload, LoadCall(ORVN_CHINESE, 2)}));

  // An engine result of 0 leaves the language without a database, so the
  // next unload calls nothing.
  SynTest_ForceResult(EngineName("loadEffectDb", ORVN_CHINESE).c_str(), 0);
  EXPECT_EQ(Load(ORVN_CHINESE), 0);
  SynTest_ClearLog(ORVN_CHINESE);
  ORVN_GetTextLimitLength(7, 0);
  ORVN_UnLoadUserEffDB(ORVN_CHINESE);
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_TRUE(EnginesUntouched());

  // Any non-zero result counts as loaded.
  SynTest_ForceResult(EngineName("loadEffectDb", ORVN_CHINESE).c_str(), -4);
  EXPECT_EQ(Load(ORVN_CHINESE), -4);
  ORVN_UnLoadUserEffDB(ORVN_CHINESE);
  EXPECT_EQ(EngineLog(ORVN_CHINESE).back(), unload);
  ORVN_UnLoadUserEffDB(ORVN_ENGLISH);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);
}

TEST_F(EffectDatabaseTest, TagReadingNeedsExactlyOneLoadedSpeaker) {
  LoadVoices(ORVN_JAPANESE);  // three speakers
  EXPECT_EQ(Load(ORVN_JAPANESE), 1);
  ClearEngineLogs();
  ORVN_SetEffectTagRead(ORVN_JAPANESE, 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);
  EXPECT_EQ(ORVN_GetEffectTagRead(ORVN_JAPANESE), ORVN_ERR_NOT_LOADED);
  EXPECT_TRUE(EnginesUntouched());

  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 9, VoicesDir().c_str(), 0), 0);
  SynTest_ClearLog(ORVN_ENGLISH);
  // No database yet: the set reaches no engine but still succeeds; the get
  // asks the engine regardless.
  ORVN_GetTextLimitLength(7, 0);
  ORVN_SetEffectTagRead(ORVN_ENGLISH, 5);
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_EQ(ORVN_GetEffectTagRead(ORVN_ENGLISH), 0);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH), std::vector<std::string>{"GetEngEffectTagRead()"});

  EXPECT_EQ(Load(ORVN_ENGLISH), 1);
  ORVN_SetEffectTagRead(ORVN_ENGLISH, 5);
  EXPECT_EQ(ORVN_GetEffectTagRead(ORVN_ENGLISH), 5);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH).end()[-2], "SetEngEffectTagRead(5)");
  ORVN_SetEffectTagRead(4, 5);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
}

TEST_F(EffectDatabaseTest, UnloadingTheLastVoiceUnloadsTheDatabaseFirst) {
  for (int32_t speaker : {0, 9}) ORVN_LoadEngineEx(ORVN_KOREAN, speaker, VoicesDir().c_str(), 0);
  ASSERT_EQ(Load(ORVN_KOREAN), 1);
  SynTest_ClearLog(ORVN_KOREAN);
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 0);
  EXPECT_EQ(EngineLog(ORVN_KOREAN), std::vector<std::string>{"UnLoadVELMEngineEx(0)"});
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 9);
  EXPECT_EQ(EngineLog(ORVN_KOREAN), (std::vector<std::string>{"UnLoadVELMEngineEx(0)", "UnLoadKorUserEffDB()",
                                                              "UnLoadVELMEngineEx(9)"}));

  LoadVoices(ORVN_ENGLISH);
  ASSERT_EQ(Load(ORVN_ENGLISH), 1);
  SynTest_ClearLog(ORVN_ENGLISH);
  ORVN_UnLoadEngine(ORVN_ENGLISH);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH),
            (std::vector<std::string>{"UnLoadEngUserEffDB()", "UnLoadEngTTSEngineEx(0)", "UnLoadEngTTSEngineEx(1)",
                                      "UnLoadEngTTSEngineEx(9)"}));
}

}  // namespace
}  // namespace orven_test
