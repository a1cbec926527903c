// Options and their library-wide defaults, voice attributes, speakers, the engines' default values, user
// dictionaries and effect databases.
#include "api_test_support.h"

namespace orven_test {
namespace {

using ChannelSettingsTest = ChannelPerLanguageTest;

// A null channel sets the library-wide default, which initialisation restores; a channel's value goes to its
// engine. Byte options keep the low 8 bits of a value, sign-extended, both ways.
TEST_F(ChannelSettingsTest, OptionDefaultsStayInTheLibraryAndChannelValuesGoToTheEngine) {
  const struct {
    const char* name;
    decltype(&ORVN_SetTextFormat) set;
    decltype(&ORVN_GetTextFormat) get;
    bool isByte;
  } options[] = {{"TextFormat", ORVN_SetTextFormat, ORVN_GetTextFormat, true},
                 {"CharSet", ORVN_SetCharSet, ORVN_GetCharSet, true},
                 {"LipSync", ORVN_SetLipSync, ORVN_GetLipSync, true},
                 {"HighLight", ORVN_SetHighLight, ORVN_GetHighLight, true},
                 {"ByteSwap", ORVN_SetByteSwap, ORVN_GetByteSwap, true},
                 {"ReadGwalho", ORVN_SetReadGwalho, ORVN_GetReadGwalho, false},
                 {"SentDelimLF", ORVN_SetSentDelimLF, ORVN_GetSentDelimLF, false}};
  for (const auto& option : options) {
    SCOPED_TRACE(option.name);
    auto stored = [&](int32_t value) { return option.isByte ? static_cast<int8_t>(value) : value; };
    auto op = [&](const char* prefix, int32_t l) { return EngineName(std::string(prefix).append(option.name), l); };
    const int32_t initialDefault = option.set == ORVN_SetSentDelimLF ? 1 : 0;
    EXPECT_EQ(option.get(nullptr), initialDefault);
    for (int32_t value : {0x1FF, 1 << 20, 0x7F}) {
      EXPECT_EQ(option.set(nullptr, value), 1);
      EXPECT_EQ(option.get(nullptr), stored(value)) << value;
    }
    EXPECT_TRUE(EnginesUntouched());
    for (int32_t language : kLanguages) {
      ORVN_CHANNEL channel = channels_[language];
      SynTest_ForceResult(op("set", language).c_str(), -5);  // the engine's set result is not looked at
      EXPECT_EQ(option.set(channel, 0x1FF), 1);
      SynTest_ClearForced(op("set", language).c_str());
      EXPECT_EQ(option.set(channel, 0x17F), 1);
      EXPECT_EQ(option.get(channel), stored(0x17F));
      EXPECT_EQ(EngineLog(language), (Log{Logged(op("set", language), {Ptr(channel), std::to_string(stored(0x1FF))}),
                                          Logged(op("set", language), {Ptr(channel), std::to_string(stored(0x17F))}),
                                          Logged(op("get", language), {Ptr(channel)})}));
    }
    SynTest_ForceResult(op("get", ORVN_CHINESE).c_str(), 0x1F0);
    EXPECT_EQ(option.get(channels_[ORVN_CHINESE]), stored(0x1F0));
    EXPECT_EQ(option.get(nullptr), stored(0x7F)) << "channels leave the default alone";
    ORVN_Initialize();
    EXPECT_EQ(option.get(nullptr), initialDefault);
    ClearEngineLogs();
  }
  // The pause length the same way, with its two values.
  ORVN_CHANNEL channel = channels_[ORVN_KOREAN];
  std::array<int32_t, 4> pause{};
  EXPECT_EQ(ORVN_SetPauseLength(nullptr, 300, -7) + ORVN_SetPauseLength(channel, 11, 22), 2);
  EXPECT_EQ(ORVN_GetPauseLength(nullptr, &pause[0], &pause[1]) + ORVN_GetPauseLength(channel, &pause[2], &pause[3]), 2);
  EXPECT_EQ(pause, (std::array<int32_t, 4>{300, -7, 11, 22}));
  EXPECT_EQ(CallsTo(ORVN_KOREAN, "SetPauseLength"), Log{Logged("SetPauseLength", {Ptr(channel), "11", "22"})});
  ORVN_Initialize();
  EXPECT_EQ(ORVN_GetPauseLength(nullptr, &pause[0], &pause[1]), 1);
  EXPECT_EQ(Counts({pause[0], pause[1]}), Counts({0, 0}));
}

// Range ends become exact tags; attribute texts and speaker changes return the engine's result and leave the last
// error alone; a speaker change checks the speaker asked for, not the handle's, and moves no count.
TEST_F(ChannelSettingsTest, AttributesAndSpeakersReachTheEngine) {
  using Setter = decltype(&ORVN_SetVolume);
  const std::tuple<Setter, int32_t, const char*> ends[] = {
      {ORVN_SetVolume, 0, "<volume=\"0\"> "}, {ORVN_SetVolume, 200, "<volume=\"200\"> "},
      {ORVN_SetSpeed, 50, "<speed=\"50\">"},  {ORVN_SetSpeed, 200, "<speed=\"200\">"},
      {ORVN_SetPitch, 80, "<pitch=\"80\">"},  {ORVN_SetPitch, 120, "<pitch=\"120\">"}};
  for (int32_t language : kLanguages) {
    for (const auto& [set, value, tag] : ends) {
      SynTest_ClearLog(language);
      EXPECT_EQ(set(channels_[language], value), 1);
      EXPECT_EQ(EngineLog(language), Log{Logged("changeAttr", language, {Ptr(channels_[language]), Quoted(tag)})});
    }
  }
  ORVN_CHANNEL japanese = channels_[ORVN_JAPANESE];
  SynTest_ForceResult("ChangeJapTTSAttr", 42);
  EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(ORVN_ChangeAttr(japanese, "not a tag"), 42); }), ORVN_ERR_LANGUAGE);
  EXPECT_EQ(ORVN_SetSpeed(japanese, 100), 42);
  EXPECT_EQ(EngineLog(ORVN_JAPANESE).end()[-2], Logged("ChangeJapTTSAttr", {Ptr(japanese), Quoted("not a tag")}));
  FakeChannel stray{ORVN_ENGLISH, 11};
  SynTest_ForceResult("ChangeEngSpeaker", 7);
  EXPECT_EQ(ORVN_ChangeSpeaker(&stray, 1), 7);
  EXPECT_EQ(CallsTo(ORVN_ENGLISH, "ChangeEngSpeaker"), Log{Logged("ChangeEngSpeaker", {Ptr(&stray), "1"})});
  // A channel that visits other speakers is still counted against the one it was opened on, and its deletion
  // takes it off that one: the counters balance (a server that changes speakers must not run out of channels).
  ORVN_CHANNEL korean = channels_[ORVN_KOREAN];
  for (int32_t speaker : {9, 1, 9}) ASSERT_EQ(ORVN_ChangeSpeaker(korean, speaker), 1) << "to speaker " << speaker;
  EXPECT_EQ(reinterpret_cast<ORVN_ChannelHead*>(korean)->speaker, 0);
  ORVN_DeleteThread(korean);
  channels_[ORVN_KOREAN] = nullptr;
  for (int32_t speaker : {0, 1, 9}) EXPECT_EQ(ChannelInfo(ORVN_KOREAN, speaker), Counts({0, 64})) << speaker;
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN)[0], 0);
}

// Only the Korean pitch default is told the speaker; the engine's result and outputs come back.
TEST_F(ChannelSettingsTest, DefaultQueriesReachTheEngineWithTheirOwnArguments) {
  int32_t a = 0, b = 0;
  const std::string x = Ptr(&a), y = Ptr(&b);
  for (int32_t language : kLanguages) {
    EXPECT_EQ(ORVN_GetPitchDefault(language, 1, &a, &b), 1);
    EXPECT_EQ(ORVN_GetSpeedDefault(language, &a, &b), 1);
    EXPECT_EQ(ORVN_GetVolumeDefault(language, &a, &b), 1);
    EXPECT_EQ(EngineLog(language),
              (Log{language == ORVN_KOREAN ? Logged("GetPitchDefault", {"1", x, y})
                                           : Logged("pitchDefault", language, {x, y}),
                   Logged("speedDefault", language, {x, y}), Logged("volumeDefault", language, {x, y})}));
  }
  SynTest_ForceResult("GetEngVolumeDefault", -77);
  SynTest_ForceOutputs("GetEngVolumeDefault", 5, 6);
  EXPECT_EQ(ORVN_GetVolumeDefault(ORVN_ENGLISH, &a, &b), -77);
  EXPECT_EQ(Counts({a, b}), Counts({5, 6}));
}

TEST_F(ChannelSettingsTest, ARefusedDictionaryIsReportedTenAboveTheEnginesReason) {
  using DictionaryExport = decltype(&ORVN_LoadUserDict);
  for (auto [op, call] :
       {std::pair<const char*, DictionaryExport>{"loadDict", ORVN_LoadUserDict}, {"changeDict", ORVN_ChangeUserDict}}) {
    for (int32_t language : kLanguages) {
      const std::string name = EngineName(op, language);
      int32_t first = 0, second = 0;
      SynTest_ForceResult(name.c_str(), 0);
      SynTest_ForceOutputs(name.c_str(), 3, 4);
      EXPECT_EQ(call(channels_[language], "dict.txt", &first, &second), 0);
      EXPECT_EQ(Counts({first, second}), Counts({13, 4})) << name;
      SynTest_ForceResult(name.c_str(), 1);
      EXPECT_EQ(call(channels_[language], "dict.txt", &first, &second), 1);
      EXPECT_EQ(Counts({first, second}), Counts({3, 4})) << name;
      EXPECT_EQ(EngineLog(language).back(),
                Logged(name, {Ptr(channels_[language]), Quoted("dict.txt"), Ptr(&first), Ptr(&second)}));
    }
  }
  ClearEngineLogs();
  EXPECT_EQ(LastErrorAfter([this] { ORVN_UnLoadUserDict(channels_[ORVN_ENGLISH]); }), 0);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH), Log{Logged("UnLoadEngUSRDict", {Ptr(channels_[ORVN_ENGLISH])})});
}

using EffectDatabaseTest = ApiTest;

// Tag reading needs exactly one loaded speaker: without a database the set reaches no engine but succeeds, and
// the get asks anyway. A database is unloaded before the next one and before the language's last voice; after an
// engine result of 0 there is none to unload, any other result counts as loaded.
TEST_F(EffectDatabaseTest, TagReadingAndDatabaseLifetimes) {
  const std::string a = VoicesDir() + "/eng-0.voice", b = VoicesDir() + "/eng-1.voice";
  auto load = [&](int32_t language, int32_t mode) {
    return ORVN_LoadUserEffDB(language, a.c_str(), b.c_str(), mode, 17);
  };
  auto loaded = [&](int32_t language, int32_t mode) {
    return Logged("loadEffectDb", language, {Quoted(a), Quoted(b), std::to_string(mode), "17"});
  };
  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 9, VoicesDir().c_str(), 0), 0);
  SynTest_ClearLog(ORVN_ENGLISH);
  EXPECT_EQ(LastErrorAfter([] { ORVN_SetEffectTagRead(ORVN_ENGLISH, 6); }), 0);
  ORVN_GetEffectTagRead(ORVN_ENGLISH);  // the stand-in engine keeps its value for the whole process
  EXPECT_EQ(EngineLog(ORVN_ENGLISH), Log{"GetEngEffectTagRead()"});
  EXPECT_EQ(load(ORVN_ENGLISH, 0), 1);
  ORVN_SetEffectTagRead(ORVN_ENGLISH, 5);
  EXPECT_EQ(ORVN_GetEffectTagRead(ORVN_ENGLISH), 5);
  EXPECT_EQ(EngineLog(ORVN_ENGLISH).end()[-2], "SetEngEffectTagRead(5)");
  ORVN_LoadEngineEx(ORVN_ENGLISH, 0, VoicesDir().c_str(), 0);
  EXPECT_EQ(ORVN_GetEffectTagRead(ORVN_ENGLISH), ORVN_ERR_NOT_LOADED) << "a second speaker takes it away";

  for (int32_t speaker : {0, 9}) ORVN_LoadEngineEx(ORVN_KOREAN, speaker, VoicesDir().c_str(), 0);
  LoadVoices(ORVN_CHINESE);
  ClearEngineLogs();
  ASSERT_EQ(load(ORVN_KOREAN, 0), 1);
  EXPECT_EQ(LastErrorAfter([&] { EXPECT_EQ(load(ORVN_CHINESE, 2), 1); }), 0);
  EXPECT_EQ(load(ORVN_CHINESE, 0), 1);
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 0);
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 9);
  EXPECT_EQ(EngineLog(ORVN_KOREAN),
            (Log{loaded(ORVN_KOREAN, 0), "UnLoadVELMEngineEx(0)", "UnLoadKorUserEffDB()", "UnLoadVELMEngineEx(9)"}));
  const std::string unload = Logged("unloadEffectDb", ORVN_CHINESE, {});
  EXPECT_EQ(EngineLog(ORVN_CHINESE), (Log{loaded(ORVN_CHINESE, 2), unload, loaded(ORVN_CHINESE, 0)}));
  SynTest_ForceResult("LoadChiUserEffDB", 0);
  EXPECT_EQ(load(ORVN_CHINESE, 0), 0);
  SynTest_ClearLog(ORVN_CHINESE);
  EXPECT_EQ(LastErrorAfter([] { ORVN_UnLoadUserEffDB(ORVN_CHINESE); }), 0);
  ORVN_UnLoadEngine(ORVN_CHINESE);
  EXPECT_EQ(EngineLog(ORVN_CHINESE),
            (Log{"UnLoadChiTTSEngineEx(0)", "UnLoadChiTTSEngineEx(1)", "UnLoadChiTTSEngineEx(9)"}));
  LoadVoices(ORVN_CHINESE);
  SynTest_ForceResult("LoadChiUserEffDB", -4);
  EXPECT_EQ(load(ORVN_CHINESE, 0), -4);
  ORVN_UnLoadUserEffDB(ORVN_CHINESE);
  EXPECT_EQ(EngineLog(ORVN_CHINESE).back(), unload);
}

}  // namespace
}  // namespace orven_test
