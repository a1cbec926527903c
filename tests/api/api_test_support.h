// Fixtures and helpers for the black-box tests of the exports, against the stand-in engines' test-control interface.
#pragma once

#include <cinttypes>

#include "engine_abi.h"
#include "orven_api.h"
#include "orven_engine_testctl.h"
#include "test_support.h"

namespace orven_test {

inline constexpr int32_t kLanguages[] = {ORVN_KOREAN, ORVN_ENGLISH, ORVN_CHINESE, ORVN_JAPANESE};

// The exported name of an engine operation in a language ("load", 1 -> "LoadEngTTSEngineEx").
inline std::string EngineName(const std::string& op, int32_t language) {
  static const std::array<const char*, 5> rows[] = {
#define ORVN_T_ROW_(ret, op, kor, eng, chi, jap, params, args) {#op, #kor, #eng, #chi, #jap},
      ORVN_ENGINE_COMMON_OPS(ORVN_T_ROW_)
#undef ORVN_T_ROW_
          {"create", "CreateTTSThread", "CreateEngTTSThread", "CreateChiTTSThread", "CreateJapTTSThread"},
      {"pitchDefault", "GetPitchDefault", "GetEngPitchDefault", "GetChiPitchDefault", "GetJapPitchDefault"},
  };
  for (const auto& row : rows)
    if (op == row[0]) return row[language + 1];
  ADD_FAILURE() << "no engine operation " << op;
  return {};
}

// Log entries read Name(arg, ...): pointers as 0x<hex> or null, strings quoted.
inline std::string Ptr(const void* p) {
  char text[32] = "null";
  if (p != nullptr) std::snprintf(text, sizeof text, "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(p));
  return text;
}
inline std::string Quoted(const std::string& text) { return std::string("\"").append(text).append("\""); }
inline std::string Logged(const std::string& name, std::initializer_list<std::string> args) {
  std::string entry = name + "(";
  for (const std::string& arg : args) entry.append(entry.back() == '(' ? "" : ", ").append(arg);
  return entry + ")";
}
inline std::string Logged(const char* op, int32_t language, std::initializer_list<std::string> args) {
  return Logged(EngineName(op, language), args);
}

using Log = std::vector<std::string>;
inline Log EngineLog(int32_t language) {
  Log entries;
  for (int32_t i = 0; i < SynTest_LogCount(language); ++i) {
    std::string entry(static_cast<size_t>(SynTest_LogEntry(language, i, nullptr, 0)) + 1, '\0');
    SynTest_LogEntry(language, i, entry.data(), static_cast<int32_t>(entry.size()));
    entries.push_back(entry.substr(0, entry.size() - 1));
  }
  return entries;
}
inline Log CallsTo(int32_t language, const std::string& name) {  // the entries of one engine function
  Log calls;
  for (const std::string& entry : EngineLog(language))
    if (entry.rfind(name + "(", 0) == 0) calls.push_back(entry);
  return calls;
}
inline std::string EngineOps(int32_t language) {  // the names of the engine's calls, each followed by a space
  std::string ops;
  for (const std::string& entry : EngineLog(language)) ops.append(entry.substr(0, entry.find('('))).append(" ");
  return ops;
}
inline void ClearEngineLogs() {
  for (int32_t language : kLanguages) SynTest_ClearLog(language);
}
inline bool EnginesUntouched() {
  return std::none_of(std::begin(kLanguages), std::end(kLanguages), [](int32_t l) { return SynTest_LogCount(l); });
}

// The last error after the call, which runs with a failure (-13) left in it.
inline int32_t LastErrorAfter(const std::function<void()>& call) {
  ORVN_GetTextLimitLength(7, 0);
  call();
  return ORVN_GetError();
}

// A fake channel record, for handles whose fields the library must refuse.
struct FakeChannel {
  int32_t language, speaker;
  int64_t engineOwned = 0;
};

inline int32_t NoopCallback(void*, ORVN_PcmChunk*) { return 0; }
inline ORVN_CHANNEL Open(int32_t language, int32_t speaker) {
  return ORVN_CreateThread(nullptr, NoopCallback, language, speaker);
}

// What the English engine delivers for `text` on a channel of `speaker`, as bytes.
inline std::string Synthesised(const std::string& text, int32_t speaker) {
  Pcm pcm;
  ORVN_CHANNEL channel = ORVN_CreateThread(&pcm, Pcm::Collect, ORVN_ENGLISH, speaker);
  ORVN_TextToPcmBuf(channel, text.c_str(), 1, 32000);
  ORVN_DeleteThread(channel);
  return std::string(reinterpret_cast<const char*>(pcm.samples.data()), 2 * pcm.samples.size());
}

using Counts = std::array<int32_t, 2>;  // channels open, channel capacity

// Every test starts initialised, with nothing loaded, default capacities, nothing forced, empty logs.
class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ORVN_Initialize();
    for (int32_t language : kLanguages) {
      ORVN_UnLoadEngine(language);
      for (int32_t speaker = 0; speaker < 10; ++speaker) ORVN_SetVoiceCapacity(language, speaker, 64, 0);
    }
    SynTest_Reset();
  }
  void TearDown() override { ApiTest::SetUp(); }
  static void LoadVoices(int32_t language) {
    ASSERT_EQ(ORVN_LoadEngine(language, VoicesDir().c_str(), 0), 0);
    SynTest_ClearLog(language);
  }
  static void LoadAllVoices() {
    for (int32_t language : kLanguages) LoadVoices(language);
  }
  // The channels open and the capacity of a language, or of one voice; -999 where nothing was written.
  static Counts ChannelInfo(int32_t language, int32_t speaker = -1) {
    Counts info{-999, -999};
    if (speaker < 0) ORVN_GetChannelInfo(language, &info[0], &info[1]);
    if (speaker >= 0) ORVN_GetChannelInfoEx(language, speaker, &info[0], &info[1]);
    return info;
  }
};

// All voices loaded and a channel on speaker 0 of every language.
class ChannelPerLanguageTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
    for (int32_t language : kLanguages) ASSERT_NE(channels_[language] = Open(language, 0), nullptr);
    ClearEngineLogs();
  }
  void TearDown() override {
    ORVN_Initialize();
    for (ORVN_CHANNEL channel : channels_) ORVN_DeleteThread(channel);
    ApiTest::TearDown();
  }
  ORVN_CHANNEL channels_[4] = {};
};

}  // namespace orven_test
