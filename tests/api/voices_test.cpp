// Voices, capacities, channels and their counts, and the information records.

#include "api_test_support.h"

namespace orven_test {
namespace {

namespace fs = std::filesystem;
using VoicesTest = ApiTest;

std::string LoadCall(int32_t language, const std::string& directory, uint32_t option, int32_t speaker) {
  return Logged("load", language, {Quoted(directory), std::to_string(option), std::to_string(speaker)});
}

// What an engine's load receives for a path: the directory made absolute and normal, with one separator at the end
// (the system's own: "\" on Windows).
std::string DatabaseDir(const std::string& given) { return (fs::absolute(given).lexically_normal() / "").string(); }

// Speakers 0..9 are asked for; each engine reports a load with its own value (Korean 0, the others 1).
TEST_F(VoicesTest, LoadEngineAsksForSpeakersZeroToNineAndReadsTheEnginesOwnSuccessValue) {
  for (int32_t language : kLanguages) {
    SCOPED_TRACE(language);
    ASSERT_EQ(ORVN_LoadEngine(language, VoicesDir().c_str(), 7), 0);
    Log expected;
    for (int32_t speaker = 0; speaker < 10; ++speaker)
      expected.push_back(LoadCall(language, DatabaseDir(VoicesDir()), 7, speaker));
    EXPECT_EQ(EngineLog(language), expected);
    EXPECT_EQ(ChannelInfo(language), Counts({0, 3 * 64}));
    EXPECT_EQ(ORVN_GetTextLimitLength(language, 2), ORVN_ERR_NOT_LOADED);
    ClearEngineLogs();  // a loaded language or voice returns at once, path or none
    EXPECT_EQ(LastErrorAfter([=] { EXPECT_EQ(ORVN_LoadEngine(language, nullptr, 0), 0); }), 0);
    EXPECT_EQ(LastErrorAfter([=] { EXPECT_EQ(ORVN_LoadEngineEx(language, 9, nullptr, 0), 0); }), 0);
    EXPECT_TRUE(EnginesUntouched());
    ORVN_UnLoadEngine(language);
    SynTest_ForceResult(EngineName("load", language).c_str(), language == ORVN_KOREAN ? 1 : 0);
    EXPECT_EQ(ORVN_LoadEngine(language, VoicesDir().c_str(), 0), 1) << "every speaker refused";
    EXPECT_EQ(ChannelInfo(language), Counts({-999, -999}));
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);
  }
}

// Relative paths reach the engine absolute and normal with one separator (on Windows also drive-relative ones, with
// either separator), unless that would need 260 characters or more: then as given. What the engine receives from a
// relative path is a directory it can read from.
TEST_F(VoicesTest, PathsReachTheEngineAbsoluteWithOneSeparator) {
  const ScratchDir scratch;
  const CurrentDirectory moved(fs::path(VoicesDir()).parent_path());
  const std::string relative = "./" + fs::path(VoicesDir()).filename().string() + "/";
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_CHINESE, 9, relative.c_str(), 0), 0)
      << "ORVN_LoadEngineEx(2, 9, " << relative << ")";
  fs::current_path(scratch.Path());
  const size_t base = fs::current_path().string().size() + 1;
  ASSERT_LT(base, 200u);
  const std::string db = DatabaseDir("db");
  std::vector<std::pair<std::string, std::string>> rows = {
      {"db", db}, {"db/", db}, {"./db", db}, {"db/../db/.", db}, {db, db}};
  if (kWindows) {  // another drive: Q:, not one that may be an empty disc drive that has Windows ask for a disc
    rows.insert(rows.end(), {{"db\\", db},
                             {db.substr(0, 2) + "db", db},
                             {"..\\db", DatabaseDir("../db")},
                             {"Q:\\voices\\main", "Q:\\voices\\main\\"},
                             {"Q:/voices/main/", "Q:\\voices\\main\\"}});
  }
  for (const auto& [given, expected] : rows) {
    SynTest_ClearLog(ORVN_ENGLISH);
    // The engine finds no voice there: result 1, the last error untouched.
    EXPECT_EQ(LastErrorAfter([path = given.c_str()] { EXPECT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 0, path, 3), 1); }),
              ORVN_ERR_LANGUAGE);
    EXPECT_EQ(EngineLog(ORVN_ENGLISH), Log{LoadCall(ORVN_ENGLISH, expected, 3, 0)})
        << "ORVN_LoadEngineEx(" << given << ")";
  }
  const std::string fits(259 - base, 'f'), tooLong = "g/" + std::string(258 - base, 'g'), fitting = DatabaseDir(fits);
  ORVN_LoadEngineEx(ORVN_JAPANESE, 0, fits.c_str(), 0);
  ORVN_LoadEngineEx(ORVN_JAPANESE, 1, tooLong.c_str(), 0);
  EXPECT_EQ(EngineLog(ORVN_JAPANESE), (Log{LoadCall(ORVN_JAPANESE, fitting, 0, 0),
                                           LoadCall(ORVN_JAPANESE, (fs::path(tooLong) / "").string(), 0, 1)}));
}

// Unloading orphans the channels: their handles are refused until a reload, and the fresh counts stay at zero.
TEST_F(VoicesTest, UnLoadEngineUnloadsEveryLoadedSpeakerAndOrphansItsChannels) {
  LoadVoices(ORVN_JAPANESE);
  ORVN_CHANNEL channel = Open(ORVN_JAPANESE, 1);
  SynTest_ClearLog(ORVN_JAPANESE);
  EXPECT_EQ(LastErrorAfter([] { ORVN_UnLoadEngine(ORVN_JAPANESE); }), 0);
  EXPECT_EQ(EngineLog(ORVN_JAPANESE),
            (Log{"UnLoadJapTTSEngineEx(0)", "UnLoadJapTTSEngineEx(1)", "UnLoadJapTTSEngineEx(9)"}));
  EXPECT_EQ(ChannelInfo(ORVN_JAPANESE), Counts({-999, -999}));
  ClearEngineLogs();  // unloading what is not loaded calls nothing and succeeds
  EXPECT_EQ(LastErrorAfter([] { ORVN_UnLoadEngineEx(ORVN_JAPANESE, 5); }), 0);
  EXPECT_EQ(LastErrorAfter([] { ORVN_UnLoadEngine(ORVN_KOREAN); }), 0);
  EXPECT_EQ(LastErrorAfter([&] { ORVN_DeleteThread(channel); }), ORVN_ERR_NOT_LOADED);
  EXPECT_TRUE(EnginesUntouched());
  LoadVoices(ORVN_JAPANESE);
  EXPECT_EQ(LastErrorAfter([&] { ORVN_DeleteThread(channel); }), 0);
  EXPECT_EQ(SynTest_OpenChannels(ORVN_JAPANESE), 0);
  // Both information exports clear the last error.
  EXPECT_EQ(LastErrorAfter([] { EXPECT_EQ(ChannelInfo(ORVN_JAPANESE), Counts({0, 3 * 64})); }), 0);
  EXPECT_EQ(LastErrorAfter([] { EXPECT_EQ(ChannelInfo(ORVN_JAPANESE, 1), Counts({0, 64})); }), 0);
}

// Capacities are set uninitialised and taken at load; a channelless speaker is never offered.
TEST_F(VoicesTest, CapacitiesAreTakenAtLoadTime) {
  ORVN_UnInitialize();
  ORVN_UnInitialize();  // last error -100
  EXPECT_EQ(ORVN_SetVoiceCapacity(ORVN_KOREAN, 1, 3, 4000), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED) << "a success leaves the last error alone";
  ORVN_Initialize();
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 9, 0, 0);
  SynTest_RefuseSpeaker(ORVN_KOREAN, 0, 1);
  EXPECT_EQ(ORVN_LoadEngine(ORVN_KOREAN, VoicesDir().c_str(), 0), 0);
  EXPECT_EQ(EngineLog(ORVN_KOREAN).size(), 9u);
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN), Counts({0, 3}));
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 0), ORVN_ERR_NOT_LOADED);
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 9), ORVN_ERR_NOT_LOADED);
  SynTest_ClearLog(ORVN_KOREAN);
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_KOREAN, 9, VoicesDir().c_str(), 0), 1);
  EXPECT_EQ(ORVN_LoadEngineEx(ORVN_KOREAN, 10, VoicesDir().c_str(), 0), 1);
  EXPECT_TRUE(EnginesUntouched());
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 1, 7, 10);  // only the next load reads it
  EXPECT_EQ(LastErrorAfter([] { EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 1), 4000); }), ORVN_ERR_LANGUAGE);
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN, 1), Counts({0, 3}));
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 1);
  ORVN_LoadEngineEx(ORVN_KOREAN, 1, VoicesDir().c_str(), 0);
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN, 1), Counts({0, 7}));
  EXPECT_EQ(ORVN_GetTextLimitLength(ORVN_KOREAN, 1), 10);
}

// Only the Korean engine takes a fourth argument, always 0.
TEST_F(VoicesTest, EachEngineReceivesTheCallersUserDataAndCallback) {
  LoadAllVoices();
  int userData = 0;
  const std::string user = Ptr(&userData), callback = Ptr(reinterpret_cast<const void*>(&NoopCallback));
  for (int32_t language : kLanguages) {
    ORVN_CHANNEL channel = ORVN_CreateThread(&userData, NoopCallback, language, 9);
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(reinterpret_cast<ORVN_ChannelHead*>(channel)->language, language);
    ORVN_DeleteThread(channel);
    EXPECT_EQ(EngineLog(language), (Log{language == ORVN_KOREAN ? Logged("CreateTTSThread", {user, callback, "9", "0"})
                                                                : Logged("create", language, {user, callback, "9"}),
                                        Logged("destroy", language, {Ptr(channel)})}));
  }
}

// A refusal, by the limit or by the engine, changes no count; unloading a voice takes its share off the language.
TEST_F(VoicesTest, TheChannelLimitHoldsPerSpeakerAndAFreedChannelCanBeTakenAgain) {
  ORVN_SetVoiceCapacity(ORVN_CHINESE, 0, 2, 0);
  LoadVoices(ORVN_CHINESE);
  ORVN_CHANNEL first = Open(ORVN_CHINESE, 0), second = Open(ORVN_CHINESE, 0);
  ASSERT_TRUE(first && second);
  SynTest_ClearLog(ORVN_CHINESE);
  EXPECT_EQ(LastErrorAfter([] { EXPECT_EQ(Open(ORVN_CHINESE, 0), nullptr); }), ORVN_ERR_CHANNEL_LIMIT);
  EXPECT_TRUE(EnginesUntouched());
  SynTest_ForceResult("CreateChiTTSThread", 0);
  EXPECT_EQ(LastErrorAfter([] { EXPECT_EQ(Open(ORVN_CHINESE, 1), nullptr); }), ORVN_ERR_CHANNEL_CREATE);
  SynTest_ClearForced("CreateChiTTSThread");  // the lock was released; a success leaves the failure in the last error
  ORVN_CHANNEL other = Open(ORVN_CHINESE, 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_CHANNEL_CREATE);
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE, 0), Counts({2, 2}));
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), Counts({3, 2 + 64 + 64}));
  ORVN_DeleteThread(first);
  ORVN_CHANNEL third = Open(ORVN_CHINESE, 0);
  ASSERT_TRUE(other && third);
  ORVN_UnLoadEngineEx(ORVN_CHINESE, 1);
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), Counts({2, 2 + 64}));
  ORVN_LoadEngineEx(ORVN_CHINESE, 1, VoicesDir().c_str(), 0);
  for (ORVN_CHANNEL channel : {second, third, other}) ORVN_DeleteThread(channel);
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), Counts({0, 2 + 64 + 64}));
  EXPECT_EQ(SynTest_OpenChannels(ORVN_CHINESE), 0);
}

// Engine texts are copied up to their terminators into a cleared record ending in the version; a database without
// information from the engine (status -1) copies only the status.
TEST_F(VoicesTest, InformationRecords) {
  auto padded = [](std::string text) { return text.append(40 - text.size(), '\0'); };  // the rest cleared
  for (int32_t language : kLanguages) {
    ORVN_EngineInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(LastErrorAfter([&] { ORVN_GetEngineInfo(language, &info); }), 0) << "needs no voice";
    EXPECT_EQ(std::string(info.engineText1, 40), padded(kLanguageNames[language]));
    EXPECT_TRUE(info.engineText2[0] && info.engineText3[0]);
    EXPECT_EQ(info.engineByte, static_cast<char>(language));
    EXPECT_EQ(std::string(info.libraryVersion, 40), padded("Ver 3.4.1.5.0.1"));
  }
  LoadAllVoices();
  SynTest_ForceDbStatus(ORVN_CHINESE, 1, -1);
  for (int32_t language : kLanguages) {
    for (auto [speaker, rate] : {std::pair{0, 16000}, {1, 8000}, {9, 16000}}) {
      const bool none = language == ORVN_CHINESE && speaker == 1;
      ORVN_DbInfo db;
      std::memset(&db, 0x5A, sizeof db);
      EXPECT_EQ(LastErrorAfter([&, s = speaker] { ORVN_GetDBInfo(language, s, &db); }), 0);
      EXPECT_EQ(Counts({db.dbStatus, db.samplingRate}), Counts({none ? -1 : 0, none ? 0 : rate})) << speaker;
      EXPECT_EQ(std::strlen(db.dbText1) > 0, !none);
      EXPECT_STREQ(db.dbText2, none ? "" : "tone");
    }
  }
}

}  // namespace
}  // namespace orven_test
