// Shared fixture and helpers for the black-box tests of the exports, run
// against the stand-in engines and their test-control interface.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "engine_abi.h"
#include "orven_api.h"
#include "orven_engine_testctl.h"

namespace orven_test {

inline constexpr int32_t kLanguages[] = {ORVN_KOREAN, ORVN_ENGLISH, ORVN_CHINESE, ORVN_JAPANESE};

// The repository's voice database: speakers 0 (16 kHz), 1 (8 kHz), 9 (16 kHz).
inline std::string VoicesDir() { return ORVEN_SOURCE_DIR "/voices"; }

// The directory string an engine receives for the voices directory.
inline std::string VoicesDirForEngine() { return VoicesDir() + "/"; }

// The exported name of an engine operation in a language, from the same
// table the library dispatches with ("load", 1 -> "LoadEngTTSEngineEx").
inline std::string EngineName(const std::string& op, int32_t language) {
  struct Row {
    const char* op;
    const char* names[4];
  };
  static const Row rows[] = {
#define ORVN_T_ROW_(ret, op, kor, eng, chi, jap, params, args) {#op, {#kor, #eng, #chi, #jap}},
      ORVN_ENGINE_COMMON_OPS(ORVN_T_ROW_)
#undef ORVN_T_ROW_
      {"create", {"CreateTTSThread", "CreateEngTTSThread", "CreateChiTTSThread", "CreateJapTTSThread"}},
      {"pitchDefault", {"GetPitchDefault", "GetEngPitchDefault", "GetChiPitchDefault", "GetJapPitchDefault"}},
  };
  for (const Row& row : rows)
    if (op == row.op) return row.names[language];
  ADD_FAILURE() << "no engine operation " << op;
  return {};
}

// The engine log formats pointers as 0x<hex> or null.
inline std::string Ptr(const void* p) {
  if (p == nullptr) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(p));
  return text;
}

inline std::vector<std::string> EngineLog(int32_t language) {
  std::vector<std::string> entries;
  int32_t count = SynTest_LogCount(language);
  for (int32_t i = 0; i < count; ++i) {
    int32_t length = SynTest_LogEntry(language, i, nullptr, 0);
    std::string entry(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    SynTest_LogEntry(language, i, entry.data(), static_cast<int32_t>(entry.size()));
    entry.resize(static_cast<size_t>(length > 0 ? length : 0));
    entries.push_back(entry);
  }
  return entries;
}

inline void ClearEngineLogs() {
  for (int32_t language : kLanguages) SynTest_ClearLog(language);
}

inline bool EnginesUntouched() {
  for (int32_t language : kLanguages)
    if (SynTest_LogCount(language) != 0) return false;
  return true;
}

// A fake channel record, for handles whose fields the library must refuse.
struct FakeChannel {
  int32_t language;
  int32_t speaker;
  int64_t engineOwned = 0;
};

inline int32_t NoopCallback(void*, ORVN_PcmChunk*) { return 0; }

// Every test starts initialised, with nothing loaded, default capacities,
// no forced engine results and empty engine logs.
class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ORVN_Initialize();
    for (int32_t language : kLanguages) ORVN_UnLoadEngine(language);
    for (int32_t language : kLanguages)
      for (int32_t speaker = 0; speaker < 10; ++speaker) ORVN_SetVoiceCapacity(language, speaker, 64, 0);
    SynTest_Reset();
    ORVN_Initialize();
  }

  void TearDown() override {
    ORVN_Initialize();
    for (int32_t language : kLanguages) ORVN_UnLoadEngine(language);
    SynTest_Reset();
  }

  static void LoadVoices(int32_t language) {
    ASSERT_EQ(ORVN_LoadEngine(language, VoicesDir().c_str(), 0), 0);
    SynTest_ClearLog(language);
  }

  static void LoadAllVoices() {
    for (int32_t language : kLanguages) LoadVoices(language);
  }

  static std::array<int32_t, 2> ChannelInfo(int32_t language) {
    std::array<int32_t, 2> info{-999, -999};
    ORVN_GetChannelInfo(language, &info[0], &info[1]);
    return info;
  }

  static std::array<int32_t, 2> ChannelInfoEx(int32_t language, int32_t speaker) {
    std::array<int32_t, 2> info{-999, -999};
    ORVN_GetChannelInfoEx(language, speaker, &info[0], &info[1]);
    return info;
  }
};

}  // namespace orven_test
