// engine_test_support.cpp - see engine_test_support.h.
#include "engine_test_support.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace syntest {
namespace {

template <int N>
LangApi build();

#define SYN_TEST_COLUMN_(column, ret, op, params) \
  a.op = &column;                                 \
  a.names[#op] = #column;
#define SYN_TEST_KOR_(ret, op, kor, eng, chi, jap, params, args) SYN_TEST_COLUMN_(kor, ret, op, params)
#define SYN_TEST_ENG_(ret, op, kor, eng, chi, jap, params, args) SYN_TEST_COLUMN_(eng, ret, op, params)
#define SYN_TEST_CHI_(ret, op, kor, eng, chi, jap, params, args) SYN_TEST_COLUMN_(chi, ret, op, params)
#define SYN_TEST_JAP_(ret, op, kor, eng, chi, jap, params, args) SYN_TEST_COLUMN_(jap, ret, op, params)
#define SYN_TEST_OTHER_ENG_(ret, op, eng, chi, jap, params, args) SYN_TEST_COLUMN_(eng, ret, op, params)
#define SYN_TEST_OTHER_CHI_(ret, op, eng, chi, jap, params, args) SYN_TEST_COLUMN_(chi, ret, op, params)
#define SYN_TEST_OTHER_JAP_(ret, op, eng, chi, jap, params, args) SYN_TEST_COLUMN_(jap, ret, op, params)
#define SYN_TEST_KOREAN_NAME_(ret, op, name, params, args) a.names[#op] = #name;

template <>
LangApi build<0>() {
  LangApi a;
  ORVN_ENGINE_COMMON_OPS(SYN_TEST_KOR_)
  ORVN_ENGINE_KOREAN_OPS(SYN_TEST_KOREAN_NAME_)
  a.create = [](void* u, ORVN_SynthesisCallback cb, int32_t s) { return CreateTTSThread(u, cb, s, 0); };
  a.pitchDefault = [](int32_t* o1, int32_t* o2) { return GetPitchDefault(0, o1, o2); };
  a.language = 0, a.code = "kor", a.loadOk = 0, a.loadRefused = -1;
  return a;
}
#define SYN_TEST_OTHER_LANGUAGE_(N, code_, COMMON, OTHER) \
  template <>                                             \
  LangApi build<N>() {                                    \
    LangApi a;                                            \
    ORVN_ENGINE_COMMON_OPS(COMMON)                        \
    ORVN_ENGINE_OTHER_OPS(OTHER)                          \
    a.language = N, a.code = code_;                       \
    return a;                                             \
  }
SYN_TEST_OTHER_LANGUAGE_(1, "eng", SYN_TEST_ENG_, SYN_TEST_OTHER_ENG_)
SYN_TEST_OTHER_LANGUAGE_(2, "chi", SYN_TEST_CHI_, SYN_TEST_OTHER_CHI_)
SYN_TEST_OTHER_LANGUAGE_(3, "jap", SYN_TEST_JAP_, SYN_TEST_OTHER_JAP_)

}  // namespace

const LangApi& api(int32_t language) {
  static const LangApi apis[4] = {build<0>(), build<1>(), build<2>(), build<3>()};
  return apis[language];
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  static const unsigned run = std::random_device{}();  // tests of parallel ctest runs do not collide
  path_ = std::filesystem::temp_directory_path() /
          ("syn-test-" + std::to_string(run) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}
TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
std::string TempDir::write(const std::string& name, const std::string& bytes) const {
  const auto p = path_ / name;
  std::ofstream(p, std::ios::binary) << bytes;
  return p.string();
}

int32_t ORVN_CDECL Pcm::collect(void* self, ORVN_PcmChunk* chunk) {
  auto* pcm = static_cast<Pcm*>(self);
  const auto* b = reinterpret_cast<const uint8_t*>(chunk->samples);
  pcm->chunks.push_back(chunk->byteCount);
  pcm->bytes.insert(pcm->bytes.end(), b, b + chunk->byteCount);
  return 0;
}
std::vector<int16_t> Pcm::samples() const {
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

std::vector<std::string> logOf(int32_t language) {
  std::vector<std::string> out;
  for (int32_t i = 0, n = SynTest_LogCount(language); i < n; ++i) {
    std::string s(static_cast<std::size_t>(SynTest_LogEntry(language, i, nullptr, 0)) + 1, '\0');
    SynTest_LogEntry(language, i, s.data(), static_cast<int32_t>(s.size()));
    s.pop_back();
    out.push_back(s);
  }
  return out;
}

std::string hexPointer(const void* p) {
  if (p == nullptr) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "0x%" PRIxPTR, reinterpret_cast<std::uintptr_t>(p));
  return text;
}

void EngineTest::SetUp() {
  SynTest_Reset();
  for (int32_t l = 0; l < 4; ++l) {
    for (int32_t s : {0, 1, 9}) ASSERT_EQ(api(l).load(voicesDir().c_str(), 0, s), api(l).loadOk);
  }
}
void EngineTest::TearDown() {
  for (auto& [a, h] : opened_) a->destroy(h);
  SynTest_Reset();
}
ENGINE_HANDLE EngineTest::open(const LangApi& a, Pcm* pcm, int32_t speaker) {
  ENGINE_HANDLE h = a.create(pcm, &Pcm::collect, speaker);
  EXPECT_NE(h, nullptr);
  if (h != nullptr) opened_.emplace_back(&a, h);
  return h;
}

}  // namespace syntest
