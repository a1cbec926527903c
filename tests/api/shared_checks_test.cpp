// Initialisation, the last error, and the checks that open every export, in their order.
#include "api_test_support.h"

namespace orven_test {
namespace {

using SharedChecksTest = ApiTest;

TEST_F(SharedChecksTest, InitialisationClearsTheLastErrorAndKeepsTheVoiceTable) {
  LoadVoices(ORVN_ENGLISH);
  ORVN_CHANNEL channel = Open(ORVN_ENGLISH, 0);
  ORVN_UnInitialize();
  EXPECT_EQ(ORVN_GetError(), 0);
  ORVN_UnInitialize();
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED) << "reading it changes nothing";
  EXPECT_EQ(ORVN_Initialize() + ORVN_Initialize(), 0) << "twice is harmless";
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH, 0), Counts({1, 64}));
  ORVN_DeleteThread(channel);
}

// A row is RETURNS(export call), or LEAVES(call) for a void export, named by its source text; uninitialised, nearly
// all fail with -100 first.
#define RETURNS(...) #__VA_ARGS__, [&] { return __VA_ARGS__; }
#define LEAVES(...) #__VA_ARGS__, [&] { return (__VA_ARGS__), ORVN_GetError(); }
struct Row {
  std::string call;
  std::function<int32_t()> run;
  int32_t code, uninitialisedCode = ORVN_ERR_NOT_INITIALIZED;
};

using ArgumentChecksTest = ChannelPerLanguageTest;

// The shared checks and each export's own checks after them, in order; a refusal reaches no engine.
// Japanese is unloaded, Korean has three speakers.
TEST_F(ArgumentChecksTest, EachRefusalHasItsCodeAndReachesNoEngine) {
  ORVN_DeleteThread(channels_[ORVN_JAPANESE]);
  channels_[ORVN_JAPANESE] = nullptr;
  ORVN_UnLoadEngine(ORVN_JAPANESE);
  constexpr int32_t kJa = ORVN_JAPANESE, kLanguage = ORVN_ERR_LANGUAGE, kSpeaker = ORVN_ERR_SPEAKER,
                    kNotLoaded = ORVN_ERR_NOT_LOADED, kArg = ORVN_ERR_INVALID_ARG, kRange = ORVN_ERR_RANGE,
                    kKoreanOnly = ORVN_ERR_KOREAN_ONLY, kNull = ORVN_ERR_NULL_HANDLE,
                    kUninit = ORVN_ERR_NOT_INITIALIZED;
  ORVN_CHANNEL ko = channels_[ORVN_KOREAN], en = channels_[ORVN_ENGLISH];
  FakeChannel badSpeaker{0, 11}, badLanguage{4, 0};
  int32_t a = -5, b = -5;
  ORVN_EngineInfo info;
  ORVN_DbInfo db;
  db.samplingRate = 77;
  // The shared checks go language, speaker (0..10), then whether that voice is loaded; speaker 10 never is.
  const std::pair<int32_t, int32_t> voices[] = {{4, 99}, {-1, 0}, {1, 11}, {1, -1}, {1, 10}, {2, 2}, {3, 0}};
  const int32_t voiceCodes[] = {kLanguage, kLanguage, kSpeaker, kSpeaker, kNotLoaded, kNotLoaded, kNotLoaded};
  FakeChannel fakes[std::size(voices)];
  std::vector<Row> rows;
  for (size_t i = 0; i < std::size(voices); ++i) {
    const int32_t language = voices[i].first, speaker = voices[i].second;
    FakeChannel* fake = &(fakes[i] = {language, speaker});
    const std::string voice = std::to_string(language) + ", " + std::to_string(speaker);
    rows.push_back({"ORVN_DeleteThread({" + voice + "})", [fake] { return ORVN_DeleteThread(fake), ORVN_GetError(); },
                    voiceCodes[i]});
    rows.push_back({"ORVN_GetTextLimitLength(" + voice + ")",
                    [=] { return ORVN_GetTextLimitLength(language, speaker); }, voiceCodes[i]});
  }
  // clang-format off
  rows.insert(rows.end(), {
      {RETURNS(Open(3, 0) ? 0 : ORVN_GetError()), kNotLoaded}, {LEAVES(ORVN_GetChannelInfoEx(1, -1, &a, &b)), kSpeaker},
      {LEAVES(ORVN_GetDBInfo(1, 10, &db)), kNotLoaded}, {LEAVES(ORVN_DeleteThread(nullptr)), kNull},
      {LEAVES(ORVN_GetChannelInfo(-1, &a, &b)), kLanguage}, {LEAVES(ORVN_GetChannelInfo(kJa, &a, &b)), kNotLoaded},
      // Loading, unloading and capacities (speaker 10 is never offered).
      {RETURNS(ORVN_LoadEngine(4, "/x", 0)), kLanguage}, {RETURNS(ORVN_LoadEngine(kJa, nullptr, 0)), kArg},
      {RETURNS(ORVN_LoadEngineEx(-1, 0, "/x", 0)), kLanguage}, {RETURNS(ORVN_LoadEngineEx(kJa, 11, "/x", 0)), kSpeaker},
      {RETURNS(ORVN_LoadEngineEx(kJa, 0, "", 0)), kArg}, {LEAVES(ORVN_UnLoadEngine(4)), kLanguage},
      {LEAVES(ORVN_UnLoadEngineEx(-1, 0)), kLanguage}, {LEAVES(ORVN_UnLoadEngineEx(0, 11)), kSpeaker},
      {RETURNS(ORVN_SetVoiceCapacity(4, 0, 1, 0)), kLanguage, kLanguage},
      {RETURNS(ORVN_SetVoiceCapacity(0, 10, 1, 0)), kSpeaker, kSpeaker},
      {RETURNS(ORVN_SetVoiceCapacity(0, -1, 1, 0)), kSpeaker, kSpeaker},
      {RETURNS(ORVN_SetVoiceCapacity(0, 0, -1, 0)), kArg, kArg},
      // Information.
      {LEAVES(ORVN_GetChannelInfo(0, nullptr, &a)), kArg}, {LEAVES(ORVN_GetChannelInfo(0, &a, nullptr)), kArg},
      {LEAVES(ORVN_GetChannelInfoEx(0, 0, nullptr, &a)), kArg},
      {LEAVES(ORVN_GetChannelInfoEx(0, 0, &a, nullptr)), kArg},
      {LEAVES(ORVN_GetEngineInfo(4, &info)), kLanguage}, {LEAVES(ORVN_GetEngineInfo(0, nullptr)), kArg},
      {LEAVES(ORVN_GetDBInfo(0, 0, nullptr)), kArg},
      // Requests: the channel, the text, the buffer size, then Korean only.
      {RETURNS(ORVN_TextToSpeech(&badSpeaker, nullptr, 1)), kSpeaker},
      {RETURNS(ORVN_NameToSpeech(ko, nullptr, 1)), kArg},
      {RETURNS(ORVN_SMSToSpeech(en, "", 1)), kArg}, {RETURNS(ORVN_NameToSpeech(en, "x", 1)), kKoreanOnly},
      {RETURNS(ORVN_SMSToSpeech(channels_[ORVN_CHINESE], "x", 1)), kKoreanOnly},
      {RETURNS(ORVN_StopTextToSpeech(nullptr)), kNull},
      {RETURNS(ORVN_TextToPcmBuf(&badSpeaker, nullptr, 1, 1)), kSpeaker},
      {RETURNS(ORVN_TextToPcmBuf(ko, nullptr, 1, 1)), kArg},
      {RETURNS(ORVN_NameToPcmBuf(ko, "", 1, 99999)), kArg}, {RETURNS(ORVN_SMSToPcmBuf(ko, "x", 1, 1023)), kRange},
      {RETURNS(ORVN_TextToPcmBuf(ko, "x", 1, 64001)), kRange}, {RETURNS(ORVN_NameToPcmBuf(en, "x", 1, 0)), kRange},
      {RETURNS(ORVN_NameToPcmBuf(en, "x", 1, 2048)), kKoreanOnly},
      {RETURNS(ORVN_SMSToPcmBuf(en, "x", 1, 2048)), kKoreanOnly},
      // Options, voice attributes and speakers: the channel, then the value.
      {RETURNS(ORVN_SetLipSync(&badSpeaker, 1)), kSpeaker}, {RETURNS(ORVN_GetReadGwalho(&badLanguage)), kLanguage},
      {RETURNS(ORVN_SetPauseLength(&badSpeaker, 1, 2)), kSpeaker},
      {RETURNS(ORVN_SetVolume(&badLanguage, 201)), kLanguage},
      {RETURNS(ORVN_SetVolume(ko, -1)), kRange}, {RETURNS(ORVN_SetVolume(ko, 201)), kRange},
      {RETURNS(ORVN_SetSpeed(ko, 49)), kRange}, {RETURNS(ORVN_SetSpeed(ko, 201)), kRange},
      {RETURNS(ORVN_SetPitch(ko, 79)), kRange}, {RETURNS(ORVN_SetPitch(ko, 121)), kRange},
      {RETURNS(ORVN_ChangeAttr(ko, nullptr)), kArg}, {RETURNS(ORVN_ChangeAttr(ko, "")), kArg},
      {RETURNS(ORVN_ChangeSpeaker(nullptr, 0)), kNull}, {RETURNS(ORVN_ChangeSpeaker(&badLanguage, 0)), kLanguage},
      {RETURNS(ORVN_ChangeSpeaker(en, 11)), kSpeaker}, {RETURNS(ORVN_ChangeSpeaker(en, 10)), kNotLoaded},
      // The library-wide defaults (null channel) succeed (1) initialised; a missing pause output is -100, first.
      {RETURNS(ORVN_SetTextFormat(nullptr, 1)), 1, kUninit}, {RETURNS(ORVN_GetSentDelimLF(nullptr)), 1, kUninit},
      {RETURNS(ORVN_SetPauseLength(nullptr, 1, 2)), 1, kUninit},
      {RETURNS(ORVN_GetPauseLength(nullptr, &a, &b)), 1, kUninit},
      {RETURNS(ORVN_GetPauseLength(ko, nullptr, &b)), kUninit},
      {RETURNS(ORVN_GetPauseLength(&badSpeaker, &a, nullptr)), kUninit},
      // Default queries: the voice or language, then the outputs.
      {RETURNS(ORVN_GetPitchDefault(0, 5, &a, &a)), kNotLoaded},
      {RETURNS(ORVN_GetPitchDefault(0, 0, &a, nullptr)), kArg},
      {RETURNS(ORVN_GetPitchDefault(0, 11, nullptr, &a)), kSpeaker},
      {RETURNS(ORVN_GetSpeedDefault(9, nullptr, nullptr)), kLanguage},
      {RETURNS(ORVN_GetSpeedDefault(kJa, &a, &a)), kNotLoaded}, {RETURNS(ORVN_GetSpeedDefault(0, &a, nullptr)), kArg},
      {RETURNS(ORVN_GetVolumeDefault(kJa, &a, &a)), kNotLoaded}, {RETURNS(ORVN_GetVolumeDefault(0, nullptr, &a)), kArg},
      // Dictionaries, effect databases and tag reading (one loaded speaker only).
      {RETURNS(ORVN_LoadUserDict(&badSpeaker, nullptr, &a, &b)), kSpeaker},
      {LEAVES(ORVN_UnLoadUserDict(&badSpeaker)), kSpeaker},
      {RETURNS(ORVN_LoadUserDict(ko, nullptr, &a, &b)), kArg}, {RETURNS(ORVN_LoadUserDict(ko, "d", nullptr, &b)), kArg},
      {RETURNS(ORVN_ChangeUserDict(ko, "d", &a, nullptr)), kArg},
      {RETURNS(ORVN_LoadUserEffDB(4, nullptr, nullptr, 9, 0)), kLanguage},
      {RETURNS(ORVN_LoadUserEffDB(kJa, nullptr, nullptr, 9, 0)), kNotLoaded},
      {RETURNS(ORVN_LoadUserEffDB(0, nullptr, "b", 9, 0)), kArg},
      {RETURNS(ORVN_LoadUserEffDB(0, "a", "", 9, 0)), kArg}, {RETURNS(ORVN_LoadUserEffDB(0, "a", "b", 3, 0)), kArg},
      {RETURNS(ORVN_LoadUserEffDB(0, "a", "b", -1, 0)), kArg}, {LEAVES(ORVN_UnLoadUserEffDB(kJa)), kNotLoaded},
      {LEAVES(ORVN_SetEffectTagRead(4, 5)), kLanguage}, {LEAVES(ORVN_SetEffectTagRead(0, 1)), kNotLoaded},
      {RETURNS(ORVN_GetEffectTagRead(0)), kNotLoaded}});
  // clang-format on
  ClearEngineLogs();
  for (bool initialised : {true, false}) {
    for (const Row& row : rows) {
      const int32_t code = initialised ? row.code : row.uninitialisedCode;
      if (code == 1) continue;  // the null-channel defaults are refused only uninitialised
      ORVN_SetVoiceCapacity(code == kLanguage ? 0 : 4, 0, -1, 0);  // leaves a different failure (-13 or -6) first
      EXPECT_EQ(row.run(), code) << row.call << (initialised ? "" : ", uninitialised");
      EXPECT_EQ(ORVN_GetError(), code) << row.call << (initialised ? "" : ", uninitialised");
    }
    ORVN_UnInitialize();
  }
  EXPECT_TRUE(EnginesUntouched());
  EXPECT_EQ(Counts({a, b}), Counts({-5, -5}));
  EXPECT_EQ(Counts({db.dbStatus, db.samplingRate}), Counts({-1, 77})) << "a refused query marks only the status";
}

}  // namespace
}  // namespace orven_test
