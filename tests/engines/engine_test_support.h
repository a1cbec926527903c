// engine_test_support.h - helpers of the engine tests: PCM capture, scratch files, a loaded fixture.
#ifndef SYN_ENGINE_TEST_SUPPORT_H
#define SYN_ENGINE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "orven_engine_testctl.h"
#include "syncore.h"

namespace syntest {

inline syn::LanguageEngine& engine(int32_t language) { return *SynCore_Engine(language); }
inline int32_t loadOk(int32_t language) { return language == 0 ? 0 : 1; }  // a refusal is one less
inline std::string code(int32_t language) { return std::string("korengchijap").substr(3 * language, 3); }
inline std::string voicesDir() { return ORVEN_TEST_VOICES_DIR; }

// The current test's own directory in the build tree (tests may run in parallel).
inline std::string scratchDir() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = std::filesystem::path(ORVEN_TEST_SCRATCH_DIR) / test->test_suite_name() / test->name();
  std::filesystem::create_directories(dir);
  return dir.string() + "/";
}
inline std::string writeScratch(const std::string& name, const std::string& bytes) {  // returns the path
  const std::string path = scratchDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

struct Pcm {
  std::vector<int32_t> chunks;  // byte count of each chunk
  std::vector<int16_t> samples;
  static int32_t ORVN_CDECL collect(void* self, ORVN_PcmChunk* chunk) {
    auto* pcm = static_cast<Pcm*>(self);
    pcm->chunks.push_back(chunk->byteCount);
    pcm->samples.insert(pcm->samples.end(), chunk->samples, chunk->samples + chunk->byteCount / 2);
    return 0;
  }
};

// Loads speakers 0, 1 (8000 Hz) and 9 of every language, closes the channels open() opened. Parameter: a language.
class EngineTest : public ::testing::TestWithParam<int32_t> {
 protected:
  syn::LanguageEngine& L() const { return engine(GetParam()); }
  void SetUp() override {
    SynTest_Reset();
    for (int32_t l = 0; l < 4; ++l) {
      for (int32_t s : {0, 1, 9}) ASSERT_EQ(engine(l).load(voicesDir().c_str(), 0, s), loadOk(l));
    }
  }
  void TearDown() override {
    for (auto& [language, h] : opened_) engine(language).destroy(h);
    SynTest_Reset();
  }
  ENGINE_HANDLE open(int32_t language, Pcm* pcm, int32_t speaker = 0) {
    ENGINE_HANDLE h = engine(language).create(pcm, &Pcm::collect, speaker);
    EXPECT_NE(h, nullptr);
    return opened_.emplace_back(language, h).second;
  }
  // Speaks on a fresh channel configured by `setup`; returns the audio.
  template <class F>
  Pcm speakWith(int32_t language, const std::string& text, F&& setup, int32_t speaker = 0) {
    Pcm pcm;
    ENGINE_HANDLE h = open(language, &pcm, speaker);
    setup(h);
    EXPECT_EQ(engine(language).speak(h, text.c_str(), 0), 1);
    return pcm;
  }
  Pcm speak(int32_t language, const std::string& text) { return speakWith(language, text, [](ENGINE_HANDLE) {}); }

 private:
  std::vector<std::pair<int32_t, ENGINE_HANDLE>> opened_;
};

#define SYN_FOR_EACH_LANGUAGE(Suite)                                           \
  INSTANTIATE_TEST_SUITE_P(Languages, Suite, ::testing::Values(0, 1, 2, 3), \
                           [](const auto& info) { return ::syntest::code(info.param); })

}  // namespace syntest

#endif
