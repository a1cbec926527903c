// Loading and unloading voices, engine and database information, defaults:
// the same behaviour through each language's own names.
#include <cstring>
#include <string>

#include "engine_test_support.h"

namespace syntest {
namespace {

struct DbRecord {
  int32_t status;
  char text1[20];
  char text2[20];
  int32_t rate;
};
static_assert(sizeof(DbRecord) == ORVN_ENGINE_DBINFO_BYTES);

DbRecord dbInfo(const LangApi& a, int32_t speaker) {
  DbRecord r;
  std::memset(&r, 0x5A, sizeof r);
  EXPECT_EQ(a.dbInfo(speaker, &r), 1);
  return r;
}

const char* kLanguageNames[] = {"Korean", "English", "Chinese", "Japanese"};

class Voices : public PerLanguage {};

TEST_P(Voices, ShippedVoicesLoadWithTheirNamesAndRates) {
  for (auto [speaker, name, rate] : {std::tuple{0, "Standard", 16000}, {1, "Telephone", 8000}, {9, "Diagnostic", 16000}}) {
    const DbRecord r = dbInfo(L(), speaker);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::string(r.text1), std::string(kLanguageNames[GetParam()]) + " " + name);
    EXPECT_STREQ(r.text2, "tone");
    EXPECT_EQ(r.rate, rate);
  }
  const DbRecord absent = dbInfo(L(), 2);
  EXPECT_EQ(absent.status, -1);
  EXPECT_EQ(absent.rate, 0x5A5A5A5A);  // nothing else written
  EXPECT_EQ(static_cast<unsigned char>(absent.text1[0]), 0x5A);
}

TEST_P(Voices, LoadRefusesMissingBadAndOutOfRangeVoices) {
  TempDir tmp;
  tmp.write(L().code + "-3.voice", "name = Broken\nbackend = tone\nrate = 4000\n");
  tmp.write(L().code + "-4.voice", "name = Other\nbackend = sampled\nrate = 16000\n");
  tmp.write(L().code + "-10.voice", "name = Ten\nbackend = tone\nrate = 16000\n");
  const std::string dir = tmp.dir();
  for (int32_t speaker : {-1, 2, 3, 4, 10}) {
    EXPECT_EQ(L().load(dir.c_str(), 0, speaker), L().loadRefused) << speaker;
  }
  EXPECT_EQ(L().load(nullptr, 0, 0), L().loadRefused);
  for (int32_t speaker : {2, 3, 4}) EXPECT_EQ(L().create(nullptr, &Pcm::collect, speaker), nullptr);
}

TEST_P(Voices, ReloadReplacesAVoiceAndARefusedReloadKeepsIt) {
  TempDir tmp;
  tmp.write(L().code + "-5.voice", "name = First\nbackend = tone\nrate = 16000\n");
  ASSERT_EQ(L().load(tmp.dir().c_str(), 0, 5), L().loadOk);
  tmp.write(L().code + "-5.voice", "name = Second\nbackend = tone\nrate = 22050\n");
  ASSERT_EQ(L().load(tmp.dir().c_str(), 7, 5), L().loadOk);
  EXPECT_STREQ(dbInfo(L(), 5).text1, "Second");
  tmp.write(L().code + "-5.voice", "name = Third\n");
  EXPECT_EQ(L().load(tmp.dir().c_str(), 0, 5), L().loadRefused);
  EXPECT_EQ(dbInfo(L(), 5).rate, 22050);
  EXPECT_EQ(L().unload(5), 1);
  EXPECT_EQ(dbInfo(L(), 5).status, -1);
}

TEST_P(Voices, ChannelOutlivesTheUnloadOfItsVoice) {
  Pcm pcm;
  ENGINE_HANDLE h = open(L(), &pcm, 1);
  EXPECT_EQ(L().unload(1), 1);
  EXPECT_EQ(L().create(nullptr, &Pcm::collect, 1), nullptr);
  EXPECT_EQ(L().speak(h, "ab", 0), 1);
  EXPECT_EQ(pcm.bytes.size(), 2u * 480 * 2);  // two bytes of 60 ms at 8000 Hz
}

TEST_P(Voices, EngineInfoAndDefaults) {
  unsigned char rec[ORVN_ENGINE_INFO_BYTES + 1];
  std::memset(rec, 0x5A, sizeof rec);
  ASSERT_EQ(L().engineInfo(rec), 1);
  EXPECT_STREQ(reinterpret_cast<char*>(rec), kLanguageNames[GetParam()]);
  const char* engines[] = {"KORSYN", "ENGSYN", "CHISYN", "JAPSYN"};
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rec + 40)).rfind(engines[GetParam()], 0), 0u);
  EXPECT_GT(std::strlen(reinterpret_cast<char*>(rec + 80)), 0u);
  EXPECT_LT(std::strlen(reinterpret_cast<char*>(rec + 80)), 20u);
  EXPECT_EQ(rec[100], GetParam());
  EXPECT_EQ(rec[101], 0x5A);  // the record is 101 bytes

  struct {
    const char* label;
    int32_t (*fn)(int32_t*, int32_t*);
    int32_t top;
  } defaults[] = {{"pitch", L().pitchDefault, 120}, {"speed", L().speedDefault, 200}, {"volume", L().volumeDefault, 200}};
  for (const auto& d : defaults) {
    SCOPED_TRACE(d.label);
    int32_t value = 0, top = 0;
    EXPECT_EQ(d.fn(&value, &top), 1);
    EXPECT_EQ(value, 100);
    EXPECT_EQ(top, d.top);
    EXPECT_EQ(d.fn(nullptr, nullptr), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, Voices, kAllLanguages, languageCode);

}  // namespace
}  // namespace syntest
