// engine_test_support.h - shared helpers of the engine tests: each language's
// functions in one table (built from the engine_abi.h X-macros), PCM capture,
// temporary directories and log access.
#ifndef SYN_ENGINE_TEST_SUPPORT_H
#define SYN_ENGINE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine_abi.h"
#include "orven_engine_testctl.h"

namespace syntest {

struct LangApi {
#define SYN_TEST_FIELD_(ret, op, kor, eng, chi, jap, params, args) ret(ORVN_CDECL* op) params = nullptr;
  ORVN_ENGINE_COMMON_OPS(SYN_TEST_FIELD_)
#undef SYN_TEST_FIELD_
  // Korean takes an extra argument here (0 and speaker 0 are passed).
  ENGINE_HANDLE (*create)(void*, ORVN_SynthesisCallback, int32_t) = nullptr;
  int32_t (*pitchDefault)(int32_t*, int32_t*) = nullptr;
  int32_t language = 0;
  std::string code;                          // kor, eng, chi, jap
  std::map<std::string, std::string> names;  // operation -> exported name
  int32_t loadOk = 1, loadRefused = 0;
};
const LangApi& api(int32_t language);

inline std::string voicesDir() { return ORVEN_TEST_VOICES_DIR; }

// A fresh directory under the system temp directory, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string dir() const { return path_.string() + "/"; }  // with the trailing separator
  std::string write(const std::string& name, const std::string& bytes) const;  // returns the path

 private:
  std::filesystem::path path_;
};

struct Pcm {
  std::vector<int32_t> chunks;  // byte count of each chunk
  std::vector<uint8_t> bytes;
  static int32_t ORVN_CDECL collect(void* self, ORVN_PcmChunk* chunk);
  std::vector<int16_t> samples() const;
};

std::vector<std::string> logOf(int32_t language);
std::string hexPointer(const void* p);

// Resets the test controls and loads speakers 0, 1 and 9 of every language;
// closes the channels a test opened through open().
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  ENGINE_HANDLE open(const LangApi& a, Pcm* pcm, int32_t speaker = 0);
  // Speaks on a fresh channel configured by `setup`; returns the audio.
  template <class F>
  Pcm speakWith(const LangApi& a, const char* text, F&& setup, int32_t speaker = 0) {
    Pcm pcm;
    ENGINE_HANDLE h = open(a, &pcm, speaker);
    setup(h);
    EXPECT_EQ(a.speak(h, text, 0), 1);
    return pcm;
  }
  Pcm speak(const LangApi& a, const char* text, int32_t speaker = 0) {
    return speakWith(a, text, [](ENGINE_HANDLE) {}, speaker);
  }

 private:
  std::vector<std::pair<const LangApi*, ENGINE_HANDLE>> opened_;
};

class PerLanguage : public EngineTest, public ::testing::WithParamInterface<int32_t> {
 protected:
  const LangApi& L() const { return api(GetParam()); }
};
inline const auto kAllLanguages = ::testing::Values(0, 1, 2, 3);
inline std::string languageCode(const ::testing::TestParamInfo<int32_t>& info) { return api(info.param).code; }

}  // namespace syntest

#endif
