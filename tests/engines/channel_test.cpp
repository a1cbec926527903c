// Channel records, stored options, attributes, speaker changes, user
// dictionaries, the effect database and refusal of unknown handles.
#include <algorithm>
#include <cstdlib>

#include "engine_test_support.h"

namespace syntest {
namespace {

class Channels : public PerLanguage {};

int32_t peak(const Pcm& pcm) {
  int32_t m = 0;
  for (int16_t s : pcm.samples()) m = std::max(m, std::abs(int32_t{s}));
  return m;
}

TEST_P(Channels, CreateAndDestroyTrackLiveRecords) {
  const int32_t before = SynTest_OpenChannels(GetParam());
  int user = 0;
  ENGINE_HANDLE h = L().create(&user, &Pcm::collect, 9);
  ASSERT_NE(h, nullptr);
  const auto* head = static_cast<const ORVN_ChannelHead*>(h);
  EXPECT_EQ(head->language, GetParam());
  EXPECT_EQ(head->speaker, 9);
  EXPECT_EQ(SynTest_OpenChannels(GetParam()), before + 1);
  for (int32_t speaker : {-1, 2, 10}) EXPECT_EQ(L().create(&user, &Pcm::collect, speaker), nullptr);
  EXPECT_EQ(L().destroy(h), 1);
  EXPECT_EQ(L().destroy(h), 0);
  EXPECT_EQ(SynTest_OpenChannels(GetParam()), before);
}

TEST_P(Channels, OptionsStartAtTheirDefaultsAndReadBack) {
  ENGINE_HANDLE h = open(L(), nullptr);
  const struct {
    const char* label;
    int32_t (*set)(ENGINE_HANDLE, int8_t);
    int32_t (*get)(ENGINE_HANDLE);
  } bytes[] = {{"text format", L().setTextFormat, L().getTextFormat}, {"char set", L().setCharSet, L().getCharSet},
               {"lip sync", L().setLipSync, L().getLipSync},          {"highlight", L().setHighLight, L().getHighLight},
               {"byte swap", L().setByteSwap, L().getByteSwap}};
  for (const auto& o : bytes) {
    SCOPED_TRACE(o.label);
    EXPECT_EQ(o.get(h), 0);
    for (int8_t v : {int8_t{-1}, int8_t{127}, int8_t{-128}, int8_t{3}}) {
      EXPECT_EQ(o.set(h, v), 1);
      EXPECT_EQ(o.get(h), v);
    }
  }
  const struct {
    const char* label;
    int32_t (*set)(ENGINE_HANDLE, int32_t);
    int32_t (*get)(ENGINE_HANDLE);
    int32_t initial;
  } words[] = {{"read gwalho", L().setReadGwalho, L().getReadGwalho, 0},
               {"sentence delimiter LF", L().setSentDelimLF, L().getSentDelimLF, 1}};
  for (const auto& o : words) {
    SCOPED_TRACE(o.label);
    EXPECT_EQ(o.get(h), o.initial);
    for (int32_t v : {-7, 0, 2147483647}) {
      EXPECT_EQ(o.set(h, v), 1);
      EXPECT_EQ(o.get(h), v);
    }
  }
  int32_t first = -1, second = -1;
  EXPECT_EQ(L().getPauseLength(h, &first, &second), 1);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(L().setPauseLength(h, 300, -2), 1);
  EXPECT_EQ(L().getPauseLength(h, &first, nullptr), 1);
  EXPECT_EQ(L().getPauseLength(h, nullptr, &second), 1);
  EXPECT_EQ(first, 300);
  EXPECT_EQ(second, -2);
}

TEST_P(Channels, ChangeSpeakerSwitchesVoiceOnlyToALoadedOne) {
  Pcm pcm;
  ENGINE_HANDLE h = open(L(), &pcm, 0);
  EXPECT_EQ(L().changeSpeaker(h, 2), 0);
  EXPECT_EQ(L().changeSpeaker(h, 10), 0);
  EXPECT_EQ(static_cast<ORVN_ChannelHead*>(h)->speaker, 0);
  EXPECT_EQ(L().changeSpeaker(h, 1), 1);
  EXPECT_EQ(static_cast<ORVN_ChannelHead*>(h)->speaker, 1);
  ASSERT_EQ(L().speak(h, "xyz", 0), 1);
  EXPECT_EQ(pcm.chunks, (std::vector<int32_t>{1600, 1280}));  // 100 ms chunks of 180 ms at the 8000 Hz voice
}

TEST_P(Channels, AttributesShapeTheAudio) {
  const auto withTag = [&](const char* tag) {
    return speakWith(L(), "abab", [&](ENGINE_HANDLE h) { EXPECT_EQ(L().changeAttr(h, tag), 1); });
  };
  const Pcm normal = speak(L(), "abab");
  EXPECT_NEAR(peak(normal), 8000, 150);
  EXPECT_NEAR(peak(withTag("<volume=\"200\">")), 16000, 300);
  EXPECT_EQ(peak(withTag("<volume=\"0\">")), 0);
  EXPECT_EQ(withTag("<speed=\"200\">").bytes.size() * 2, normal.bytes.size());
  EXPECT_EQ(withTag("<speed=\"50\">").bytes.size(), normal.bytes.size() * 2);
  EXPECT_NE(withTag("<pitch=\"120\">").bytes, normal.bytes);
  // A malformed text changes nothing.
  const Pcm kept = speakWith(L(), "abab", [&](ENGINE_HANDLE h) {
    EXPECT_EQ(L().changeAttr(h, "<volume=\"0\"><speed=\"fast\">"), 0);
    EXPECT_EQ(L().changeAttr(h, nullptr), 0);
  });
  EXPECT_EQ(kept.bytes, normal.bytes);
}

TEST_P(Channels, UserDictionaryRewritesTheText) {
  TempDir tmp;
  const std::string good = tmp.write("good.dic", "# test\r\nab\tzz\r\nabc\ty\r\n");
  const std::string other = tmp.write("other.dic", "b\tq\n");
  const std::string bad = tmp.write("bad.dic", "ab\tzz\nno tab here\n");
  const std::string big = tmp.write("big.dic", std::string(70000, '#'));
  Pcm pcm;
  ENGINE_HANDLE h = open(L(), &pcm);
  const auto heard = [&](const char* text) {
    pcm = Pcm{};
    EXPECT_EQ(L().speak(h, text, 0), 1);
    return pcm.bytes;
  };
  const auto plain = [&](const char* text) { return speak(L(), text).bytes; };

  int32_t first = -1, second = -1;
  EXPECT_EQ(L().loadDict(h, good.c_str(), &first, &second), 1);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(heard("abcab!"), plain("yzz!"));

  const struct {
    const char* path;
    int32_t code, line;
  } failures[] = {{"/nonexistent/x.dic", 1, 0}, {bad.c_str(), 2, 2}, {big.c_str(), 3, 0}, {nullptr, 1, 0}};
  for (const auto& f : failures) {
    SCOPED_TRACE(f.path ? f.path : "null");
    EXPECT_EQ(L().changeDict(h, f.path, &first, &second), 0);
    EXPECT_EQ(first, f.code);
    EXPECT_EQ(second, f.line);
    EXPECT_EQ(L().loadDict(h, f.path, nullptr, nullptr), 0);
  }
  EXPECT_EQ(heard("abc"), plain("y"));  // the loaded dictionary survived the failures
  EXPECT_EQ(L().changeDict(h, other.c_str(), nullptr, nullptr), 1);
  EXPECT_EQ(heard("abc"), plain("aqc"));
  EXPECT_EQ(L().unloadDict(h), 1);
  EXPECT_EQ(heard("abc"), plain("abc"));
}

TEST_P(Channels, EffectDatabaseNeedsTwoReadableFiles) {
  TempDir tmp;
  const std::string a = tmp.write("a.db", "x"), b = tmp.write("b.db", "");
  EXPECT_EQ(L().loadEffectDb(a.c_str(), b.c_str(), 1, 2), 1);
  EXPECT_EQ(L().loadEffectDb(a.c_str(), (tmp.dir() + "missing").c_str(), 1, 2), 0);
  EXPECT_EQ(L().loadEffectDb(tmp.dir().c_str(), a.c_str(), 1, 2), 0);
  EXPECT_EQ(L().loadEffectDb(nullptr, a.c_str(), 1, 2), 0);
  EXPECT_EQ(L().unloadEffectDb(), 1);
  EXPECT_EQ(L().getEffectTagRead(), 0);
  EXPECT_EQ(L().setEffectTagRead(-3), 1);
  EXPECT_EQ(L().getEffectTagRead(), -3);
  EXPECT_EQ(L().setEffectTagRead(0), 1);
}

TEST_P(Channels, UnknownHandlesAreRefused) {
  int notAChannel[16] = {};
  ENGINE_HANDLE destroyed = L().create(nullptr, &Pcm::collect, 0);
  ASSERT_EQ(L().destroy(destroyed), 1);
  // A live channel of another language is unknown here too.
  ENGINE_HANDLE foreign = open(api((GetParam() + 1) % 4), nullptr);
  int32_t first = 77, second = 77;
  for (ENGINE_HANDLE h : {static_cast<ENGINE_HANDLE>(notAChannel), destroyed, foreign, ENGINE_HANDLE{}}) {
    const int32_t results[] = {
        L().destroy(h),           L().speak(h, "a", 0),          L().stop(h),
        L().setOutBufSize(h, 2),  L().changeAttr(h, "<volume=\"5\">"), L().changeSpeaker(h, 0),
        L().setTextFormat(h, 1),  L().getTextFormat(h),          L().setCharSet(h, 1),
        L().getCharSet(h),        L().setLipSync(h, 1),          L().getLipSync(h),
        L().setHighLight(h, 1),   L().getHighLight(h),           L().setByteSwap(h, 1),
        L().getByteSwap(h),       L().setReadGwalho(h, 1),       L().getReadGwalho(h),
        L().setSentDelimLF(h, 1), L().getSentDelimLF(h),         L().setPauseLength(h, 1, 1),
        L().getPauseLength(h, &first, &second),                  L().loadDict(h, "x", &first, &second),
        L().changeDict(h, "x", &first, &second),                 L().unloadDict(h)};
    for (int32_t r : results) EXPECT_EQ(r, 0);
  }
  EXPECT_EQ(first, 77);
  EXPECT_EQ(second, 77);
  EXPECT_EQ(notAChannel[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, Channels, kAllLanguages, languageCode);

}  // namespace
}  // namespace syntest
