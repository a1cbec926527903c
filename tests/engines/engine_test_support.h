// The stand-in engines driven directly, each through its language's operation table in SYNCORE.
#pragma once

#include "orven_engine_testctl.h"
#include "syncore.h"
#include "test_support.h"

namespace orven_test {

inline syn::LanguageEngine& EngineOf(int32_t language) { return *SynCore_Engine(language); }
inline int32_t LoadOk(int32_t language) { return language == 0 ? 0 : 1; }  // a refusal is one less
inline std::string Code(int32_t language) { return std::string("korengchijap").substr(3 * language, 3); }
inline const char* const kCharacters[] = {"\xB0\xA1", "\xC3\xA9", "\xD6\xD0", "\x82\xA0"};  // one of each code

// Loads speakers 0, 1 (8000 Hz) and 9 of every language, closes the channels Open() opened. Parameter: a language.
class EngineTest : public testing::TestWithParam<int32_t> {
 protected:
  syn::LanguageEngine& L() const { return EngineOf(GetParam()); }
  void SetUp() override {
    SynTest_Reset();
    for (int32_t l = 0; l < 4; ++l) {
      for (int32_t s : {0, 1, 9}) ASSERT_EQ(EngineOf(l).load(ORVEN_TEST_VOICES_DIR, 0, s), LoadOk(l));
    }
  }
  void TearDown() override {
    for (auto [language, h] : opened) EngineOf(language).destroy(h);
  }
  ENGINE_HANDLE Open(int32_t language, Pcm* pcm, int32_t speaker = 0) {
    ENGINE_HANDLE h = EngineOf(language).create(pcm, &Pcm::Collect, speaker);
    EXPECT_NE(h, nullptr);
    return opened.emplace_back(language, h).second;
  }
  // Writes `bytes` to `name` in the test's own directory; returns the path.
  std::string Scratch(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return dir / name;
  }
  std::vector<std::pair<int32_t, ENGINE_HANDLE>> opened;
  ScratchDir dir;
};

inline const auto kLanguageName = [](const testing::TestParamInfo<int32_t>& info) { return Code(info.param); };

}  // namespace orven_test
