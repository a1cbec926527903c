// Loading and unloading voices: the table, the engine calls, the directory.
#include <filesystem>

#include "api_test_support.h"

namespace orven_test {
namespace {

namespace fs = std::filesystem;

using LoadingTest = ApiTest;

std::string LoadCall(int32_t language, const std::string& directory, uint32_t option, int32_t speaker) {
  return EngineName("load", language) + "(\"" + directory + "\", " + std::to_string(option) + ", " +
         std::to_string(speaker) + ")";
}

// A scratch directory that is the current directory for the test's length.
class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(fs::current_path()) {
    path_ = fs::temp_directory_path() / ("orven-load-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(path_);
    fs::current_path(path_);
  }
  ~ScratchDirectory() {
    fs::current_path(previous_);
    fs::remove_all(path_);
  }
  std::string path() const { return path_.string(); }

 private:
  fs::path previous_;
  fs::path path_;
};

TEST_F(LoadingTest, LoadEngineAsksForEverySpeakerZeroToNineInOrder) {
  for (int32_t language : kLanguages) {
    SCOPED_TRACE(language);
    ASSERT_EQ(ORVN_LoadEngine(language, VoicesDir().c_str(), 7), 0);
    std::vector<std::string> expected;
    for (int32_t speaker = 0; speaker < 10; ++speaker)
      expected.push_back(LoadCall(language, VoicesDirForEngine(), 7, speaker));
    EXPECT_EQ(EngineLog(language), expected);
    EXPECT_EQ(ChannelInfo(language), (std::array<int32_t, 2>{0, 3 * 64}));
    for (int32_t speaker : {0, 1, 9}) EXPECT_EQ(ChannelInfoEx(language, speaker), (std::array<int32_t, 2>{0, 64}));
    EXPECT_EQ(ORVN_GetTextLimitLength(language, 2), ORVN_ERR_NOT_LOADED);
  }
}

TEST_F(LoadingTest, LoadEngineOnALoadedLanguageReturnsAtOnceEvenWithoutAPath) {
  LoadVoices(ORVN_CHINESE);
  ORVN_GetTextLimitLength(7, 0);  // leave a failure in the last error
  EXPECT_EQ(ORVN_LoadEngine(ORVN_CHINESE, nullptr, 0), 0);
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(LoadingTest, ArgumentFailuresReachNoEngine) {
  struct Case {
    const char* what;
    std::function<int32_t()> call;
    int32_t expected;
  };
  const Case cases[] = {
      {"LoadEngine language 4", [] { return ORVN_LoadEngine(4, "/x", 0); }, ORVN_ERR_LANGUAGE},
      {"LoadEngine null path", [] { return ORVN_LoadEngine(0, nullptr, 0); }, ORVN_ERR_INVALID_ARG},
      {"LoadEngine empty path", [] { return ORVN_LoadEngine(0, "", 0); }, ORVN_ERR_INVALID_ARG},
      {"LoadEngineEx language -1", [] { return ORVN_LoadEngineEx(-1, 0, "/x", 0); }, ORVN_ERR_LANGUAGE},
      {"LoadEngineEx speaker 11", [] { return ORVN_LoadEngineEx(0, 11, "/x", 0); }, ORVN_ERR_SPEAKER},
      {"LoadEngineEx speaker -1", [] { return ORVN_LoadEngineEx(0, -1, "/x", 0); }, ORVN_ERR_SPEAKER},
      {"LoadEngineEx null path", [] { return ORVN_LoadEngineEx(0, 0, nullptr, 0); }, ORVN_ERR_INVALID_ARG},
      {"LoadEngineEx empty path", [] { return ORVN_LoadEngineEx(0, 0, "", 0); }, ORVN_ERR_INVALID_ARG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(), c.expected);
    EXPECT_EQ(ORVN_GetError(), c.expected);
  }
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(LoadingTest, RelativePathsReachTheEngineAbsoluteWithOneSeparator) {
  ScratchDirectory scratch;
  const std::string expected = scratch.path() + "/db/";
  for (const char* given : {"db", "db/", "./db", "db/../db/."}) {
    SCOPED_TRACE(given);
    ORVN_UnLoadEngineEx(ORVN_ENGLISH, 0);
    SynTest_ClearLog(ORVN_ENGLISH);
    ORVN_LoadEngineEx(ORVN_ENGLISH, 0, given, 0);
    EXPECT_EQ(EngineLog(ORVN_ENGLISH), std::vector<std::string>{LoadCall(ORVN_ENGLISH, expected, 0, 0)});
  }
  SynTest_ClearLog(ORVN_ENGLISH);
  ORVN_LoadEngineEx(ORVN_ENGLISH, 0, VoicesDirForEngine().c_str(), 0);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH)[0], LoadCall(ORVN_ENGLISH, VoicesDirForEngine(), 0, 0));
}

TEST_F(LoadingTest, APathWhoseAbsoluteFormNeeds260CharactersIsPassedAsGiven) {
  ScratchDirectory scratch;
  const size_t base = scratch.path().size() + 1;  // the current directory and its separator
  ASSERT_LT(base, 200u);
  const std::string fits(259 - base, 'f');  // absolute form: 259 characters
  const std::string tooLong(260 - base, 'g');
  ORVN_LoadEngineEx(ORVN_JAPANESE, 0, fits.c_str(), 0);
  ORVN_LoadEngineEx(ORVN_JAPANESE, 1, tooLong.c_str(), 0);
  EXPECT_EQ(EngineLog(ORVN_JAPANESE), (std::vector<std::string>{
                                          LoadCall(ORVN_JAPANESE, scratch.path() + "/" + fits + "/", 0, 0),
                                          LoadCall(ORVN_JAPANESE, tooLong + "/", 0, 1)}));
}

TEST_F(LoadingTest, EveryLanguageReadsItsEnginesOwnSuccessValue) {
  // The Korean engine reports a load with 0, the others with 1.
  const fs::path empty = fs::temp_directory_path() / "orven-empty-voices";
  fs::create_directories(empty);
  for (int32_t language : kLanguages) {
    SCOPED_TRACE(language);
    const int32_t success = language == ORVN_KOREAN ? 0 : 1;
    SynTest_ForceResult(EngineName("load", language).c_str(), 1 - success);
    EXPECT_EQ(ORVN_LoadEngine(language, VoicesDir().c_str(), 0), 1) << "every speaker refused";
    EXPECT_EQ(ChannelInfo(language), (std::array<int32_t, 2>{-999, -999}));
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);

    SynTest_ForceResult(EngineName("load", language).c_str(), success);
    EXPECT_EQ(ORVN_LoadEngine(language, empty.c_str(), 0), 0) << "every speaker accepted";
    EXPECT_EQ(ChannelInfo(language), (std::array<int32_t, 2>{0, 10 * 64}));
    SynTest_ClearForced(EngineName("load", language).c_str());
    ORVN_UnLoadEngine(language);
  }
}

TEST_F(LoadingTest, ARefusedSpeakerLeavesTheOthersLoaded) {
  SynTest_RefuseSpeaker(ORVN_KOREAN, 0, 1);
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 1, 5, 300);
  EXPECT_EQ(ORVN_LoadEngine(ORVN_KOREAN, VoicesDir().c_str(), 0), 0);
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN), (std::array<int32_t, 2>{0, 5 + 64}));
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 0), ORVN_ERR_NOT_LOADED);
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 1), 300);
  EXPECT_EQ(ChannelInfoEx(ORVN_KOREAN, 1), (std::array<int32_t, 2>{0, 5}));
}

TEST_F(LoadingTest, ASpeakerWithoutChannelsIsNeverOffered) {
  ORVN_SetVoiceCapacity(ORVN_ENGLISH, 1, 0, 0);
  EXPECT_EQ(ORVN_LoadEngine(ORVN_ENGLISH, VoicesDir().c_str(), 0), 0);
  for (const std::string& call : EngineLog(ORVN_ENGLISH))
    EXPECT_NE(call, LoadCall(ORVN_ENGLISH, VoicesDirForEngine(), 0, 1));
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), (std::array<int32_t, 2>{0, 2 * 64}));

  // Loading it alone is refused without asking the engine; so is speaker 10.
  SynTest_ClearLog(ORVN_ENGLISH);
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 1, VoicesDir().c_str(), 0), 1);
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 10, VoicesDir().c_str(), 0), 1);
  EXPECT_TRUE(EnginesUntouched());
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_ENGLISH, 1), ORVN_ERR_NOT_LOADED);
}

TEST_F(LoadingTest, LoadEngineExLoadsOneSpeakerOnce) {
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_CHINESE, 9, VoicesDir().c_str(), 3), 0);
  EXPECT_EQ(EngineLog(ORVN_CHINESE), std::vector<std::string>{LoadCall(ORVN_CHINESE, VoicesDirForEngine(), 3, 9)});
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), (std::array<int32_t, 2>{0, 64}));

  SynTest_ClearLog(ORVN_CHINESE);
  ORVN_GetTextLimitLength(7, 0);
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_CHINESE, 9, nullptr, 0), 0);
  EXPECT_EQ(ORVN_GetError(), 0);
  // The language now has a speaker, so LoadEngine does nothing more.
  EXPECT_EQ(ORVN_LoadEngine(ORVN_CHINESE, VoicesDir().c_str(), 0), 0);
  EXPECT_TRUE(EnginesUntouched());
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), (std::array<int32_t, 2>{0, 64}));

  // A refused speaker: result 1, its entries stay empty, the error untouched.
  ORVN_GetTextLimitLength(7, 0);
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_CHINESE, 3, VoicesDir().c_str(), 0), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), (std::array<int32_t, 2>{0, 64}));
}

TEST_F(LoadingTest, UnLoadEngineUnloadsEveryLoadedSpeakerAndClearsTheLanguage) {
  LoadVoices(ORVN_JAPANESE);
  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, ORVN_JAPANESE, 1);
  ASSERT_NE(channel, nullptr);
  SynTest_ClearLog(ORVN_JAPANESE);
  ORVN_GetTextLimitLength(7, 0);
  ORVN_UnLoadEngine(ORVN_JAPANESE);
  EXPECT_EQ(ORVN_GetError(), 0);
  const std::string unload = EngineName("unload", ORVN_JAPANESE);
  EXPECT_EQ(EngineLog(ORVN_JAPANESE),
            (std::vector<std::string>{unload + "(0)", unload + "(1)", unload + "(9)"}));
  EXPECT_EQ(ChannelInfo(ORVN_JAPANESE), (std::array<int32_t, 2>{-999, -999}));

  // The channel outlives its voice; the library now refuses its handle and
  // does not pass it to the engine.
  SynTest_ClearLog(ORVN_JAPANESE);
  ORVN_DeleteThread(channel);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);
  EXPECT_TRUE(EnginesUntouched());
  // Reload and delete it properly so the engine releases it.
  LoadVoices(ORVN_JAPANESE);
  ORVN_DeleteThread(channel);
}

TEST_F(LoadingTest, UnloadingWhatIsNotLoadedCallsNothingAndSucceeds) {
  ORVN_GetTextLimitLength(7, 0);
  ORVN_UnLoadEngine(ORVN_KOREAN);
  EXPECT_EQ(ORVN_GetError(), 0);
  LoadVoices(ORVN_KOREAN);
  ORVN_GetTextLimitLength(7, 0);
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 5);
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(LoadingTest, UnloadArgumentFailures) {
  ORVN_UnLoadEngine(4);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
  ORVN_UnLoadEngineEx(-1, 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
  ORVN_UnLoadEngineEx(0, 11);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_SPEAKER);
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(LoadingTest, UnLoadEngineExTakesTheSpeakersShareOffTheLanguage) {
  ORVN_SetVoiceCapacity(ORVN_ENGLISH, 1, 4, 0);
  LoadVoices(ORVN_ENGLISH);
  ORVN_CHANNEL a = ORVN_CreateThread(nullptr, NoopCallback, ORVN_ENGLISH, 1);
  ORVN_CHANNEL b = ORVN_CreateThread(nullptr, NoopCallback, ORVN_ENGLISH, 0);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), (std::array<int32_t, 2>{2, 4 + 64 + 64}));
  ORVN_UnLoadEngineEx(ORVN_ENGLISH, 1);
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), (std::array<int32_t, 2>{1, 64 + 64}));
  EXPECT_EQ(EngineLog(ORVN_ENGLISH).back(), EngineName("unload", ORVN_ENGLISH) + "(1)");
  ORVN_DeleteThread(b);
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), (std::array<int32_t, 2>{0, 128}));
  ORVN_LoadEngineEx(ORVN_ENGLISH, 1, VoicesDir().c_str(), 0);
  ORVN_DeleteThread(a);
}

}  // namespace
}  // namespace orven_test
