// Asynchronous speaking across threads (run under ThreadSanitizer, label concurrency).
#include <atomic>
#include <functional>
#include <thread>

#include "engine_test_support.h"
#include "text_decoding.h"

namespace syntest {
namespace {

class Threads : public EngineTest {};

// Counts chunks and runs `onChunk` with the count inside the callback.
struct Listener {
  std::atomic<int> chunks{0};
  std::function<void(int)> onChunk = [](int) {};
  static int32_t ORVN_CDECL callback(void* self, ORVN_PcmChunk*) {
    auto* l = static_cast<Listener*>(self);
    l->onChunk(++l->chunks);
    return 0;
  }
};

// The callback may call the engine (no lock is held); a stop from another thread ends the request at
// the next chunk and the next request starts afresh; a channel destroyed meanwhile lives until the end.
TEST_P(Threads, CallbackReentersStopAndDestroy) {
  Listener l;
  ENGINE_HANDLE h = L().create(&l, &Listener::callback, 0);
  l.onChunk = [&](int n) {
    EXPECT_EQ(L().setCharSet(h, 2), 1);
    EXPECT_EQ(L().destroy(L().create(nullptr, &Listener::callback, 1)), 1);
    if (n == 3) std::thread([&] { EXPECT_EQ(L().stop(h), 1); }).join();
  };
  EXPECT_EQ(L().speak(h, std::string(4000, 'x').c_str(), 0), 0);
  EXPECT_EQ(l.chunks, 3);
  l.onChunk = [&](int n) {
    if (n == 4) std::thread([&] { EXPECT_EQ(L().destroy(h), 1); }).join();
  };
  EXPECT_EQ(L().speak(h, "destroyed", 0), 1);
  EXPECT_EQ(l.chunks, 9);  // 9 tones of 60 ms in six 100 ms chunks
  EXPECT_EQ(L().stop(h), 0);
}

// Many threads open, speak on and close channels while another reloads a voice.
TEST_P(Threads, SixteenThreadsOpenSpeakAndCloseChannels) {
  std::atomic<bool> failed{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        Pcm pcm;
        ENGINE_HANDLE h = L().create(&pcm, &Pcm::collect, t % 2 == 0 ? 0 : 9);
        if (h == nullptr || L().setOutBufSize(h, 512) != 1 || L().speak(h, "abc", 0) != 1 ||
            pcm.samples.size() != 3 * 960 || L().destroy(h) != 1) failed = true;
        if (t == 0) L().load(voicesDir().c_str(), 0, 1);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_FALSE(failed);
  EXPECT_EQ(SynTest_OpenChannels(GetParam()), 0);
}

// The decoding tables are built on first use; threads using them first at once each get the whole table.
TEST(TextDecodingThreads, ConcurrentFirstUseAgrees) {
  const std::string texts[4] = {"\xB0\xA1\x81\x41", "\xC3\xA9", "\xD6\xD0\x80", "\x82\xA0\xB1"};
  const std::u32string expected[4] = {U"\uAC00\uAC02", U"\u00E9", U"\u4E2D\u20AC", U"\u3042\uFF71"};
  std::u32string results[8];
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) threads.emplace_back([&, t] { syn::decodeText(t % 4, texts[t % 4], results[t]); });
  for (auto& t : threads) t.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(results[t], expected[t % 4]) << t;
}

SYN_FOR_EACH_LANGUAGE(Threads);

}  // namespace
}  // namespace syntest
