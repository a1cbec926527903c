// The stand-in engines on many threads, and the tables that are built on first use (run under ThreadSanitizer).

#include "engine_test_support.h"
#include "tables/code_tables.h"
#include "text_decoding.h"

namespace orven_test {
namespace {

using Threads = EngineTest;

// The callback may call the engine, a stop from another thread ends the request at the next chunk and the next starts
// afresh; a channel destroyed meanwhile lives until the end.
TEST_P(Threads, CallbackReentersStopAndDestroy) {
  Pcm pcm;
  ENGINE_HANDLE h = L().create(&pcm, &Pcm::Collect, 0);
  pcm.onChunk = [&](std::size_t n) {
    EXPECT_EQ(L().setCharSet(h, 2), 1);
    EXPECT_EQ(L().destroy(L().create(nullptr, &Pcm::Collect, 1)), 1);
    if (n == 3) std::thread([&] { EXPECT_EQ(L().stop(h), 1); }).join();
  };
  EXPECT_EQ(L().speak(h, std::string(4000, 'x').c_str(), 0), 0);
  EXPECT_EQ(pcm.chunks.size(), 3u);
  pcm.onChunk = [&](std::size_t n) {
    if (n == 4) std::thread([&] { EXPECT_EQ(L().destroy(h), 1); }).join();
  };
  EXPECT_EQ(L().speak(h, "destroyed", 0), 1);
  EXPECT_EQ(pcm.samples.size(), 3u * 1600 + 9 * 960);  // 9 tones of 60 ms in six 100 ms chunks
  EXPECT_EQ(L().stop(h), 0);
}

// Many threads open, speak on and close channels while another reloads a voice.
TEST_P(Threads, SixteenThreadsOpenSpeakAndCloseChannels) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        Pcm pcm;
        ENGINE_HANDLE h = L().create(&pcm, &Pcm::Collect, t % 2 == 0 ? 0 : 9);
        EXPECT_TRUE(h != nullptr && L().setOutBufSize(h, 512) == 1 && L().speak(h, "abc", 0) == 1 &&
                    pcm.samples.size() == 3 * 960 && L().destroy(h) == 1)
            << "thread " << t << ", round " << round;
        if (t == 0) L().load(ORVEN_TEST_VOICES_DIR, 0, 1);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(SynTest_OpenChannels(GetParam()), 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, Threads, testing::Values(0, 1, 2, 3), kLanguageName);

// The code tables, and the engines' decoding tables made from them, are built on first use: threads that use them
// first at once all get the same, whole table.
TEST(TableThreads, ConcurrentFirstUseBuildsOneWholeTable) {
  const std::string texts[4] = {"\xB0\xA1\x81\x41", "\xC3\xA9", "\xD6\xD0\x80", "\x82\xA0\xB1"};
  const std::u32string expected[4] = {U"\uAC00\uAC02", U"\u00E9", U"\u4E2D\u20AC", U"\u3042\uFF71"};
  std::u32string decoded[8];
  const uint16_t* tables[8] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      tables[t] = t % 2 ? orven::codepage::ChineseTable() : orven::codepage::JapaneseTable();
      syn::DecodeText(t % 4, texts[t % 4], decoded[t]);
    });
  }
  for (auto& t : threads) t.join();
  for (int t = 0; t < 8; ++t) {
    EXPECT_EQ(decoded[t], expected[t % 4]) << "DecodeText in " << Code(t % 4) << " on thread " << t;
    EXPECT_TRUE(tables[t] == tables[t % 2] && tables[t][0x3000] == (t % 2 ? 0xA1A1 : 0x8140))
        << (t % 2 ? "ChineseTable" : "JapaneseTable") << " on thread " << t;
  }
}

}  // namespace
}  // namespace orven_test
