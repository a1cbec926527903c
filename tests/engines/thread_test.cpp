// Concurrency: stopping a request from another thread, callbacks that call
// back into the engine, and many threads opening and closing channels.
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "engine_test_support.h"

namespace syntest {
namespace {

class Threads : public PerLanguage {};

using Clock = std::chrono::steady_clock;
const std::string kLongText(4000, 'x');  // 240 s of audio
constexpr std::size_t kLongTextBytes = 4000 * 960 * 2;

struct Listener {
  const LangApi* api = nullptr;
  ENGINE_HANDLE handle = nullptr;
  std::atomic<std::size_t> bytes{0};
  std::atomic<int> chunks{0};
  std::function<void(Listener&)> onChunk;
  static int32_t ORVN_CDECL callback(void* self, ORVN_PcmChunk* chunk) {
    auto* l = static_cast<Listener*>(self);
    l->bytes += static_cast<std::size_t>(chunk->byteCount);
    ++l->chunks;
    if (l->onChunk) l->onChunk(*l);
    return 0;
  }
};

TEST_P(Threads, StopFromAnotherThreadEndsTheRequestAtTheNextChunk) {
  Listener l;
  l.api = &L();
  l.handle = L().create(&l, &Listener::callback, 0);
  ASSERT_NE(l.handle, nullptr);
  l.onChunk = [](Listener& self) {
    if (self.chunks == 3) {
      std::async(std::launch::async, [&] { EXPECT_EQ(self.api->stop(self.handle), 1); }).get();
    }
  };
  EXPECT_EQ(L().speak(l.handle, kLongText.c_str(), 0), 0);
  EXPECT_EQ(l.chunks, 3);
  // The stop flag belongs to that request only.
  EXPECT_EQ(L().stop(l.handle), 1);
  l.onChunk = nullptr;
  EXPECT_EQ(L().speak(l.handle, "ok", 0), 1);
  EXPECT_EQ(L().destroy(l.handle), 1);
}

TEST_P(Threads, StopIsPromptWhileTheConsumerIsSlow) {
  Listener l;
  l.handle = L().create(&l, &Listener::callback, 0);
  ASSERT_NE(l.handle, nullptr);
  l.onChunk = [](Listener&) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
  Clock::time_point stoppedAt;
  std::thread stopper([&] {
    while (l.chunks < 5) std::this_thread::yield();
    stoppedAt = Clock::now();
    L().stop(l.handle);
  });
  EXPECT_EQ(L().speak(l.handle, kLongText.c_str(), 0), 0);
  const auto returnedAt = Clock::now();
  stopper.join();
  EXPECT_LT(returnedAt - stoppedAt, std::chrono::milliseconds(500));
  EXPECT_LT(l.bytes.load(), kLongTextBytes);
  EXPECT_EQ(L().destroy(l.handle), 1);
}

TEST_P(Threads, CallbackMayCallTheEngine) {
  Listener l;
  l.api = &L();
  l.handle = L().create(&l, &Listener::callback, 0);
  ASSERT_NE(l.handle, nullptr);
  l.onChunk = [](Listener& self) {
    const LangApi& a = *self.api;
    EXPECT_EQ(a.setCharSet(self.handle, 2), 1);
    EXPECT_EQ(a.getCharSet(self.handle), 2);
    EXPECT_EQ(a.changeAttr(self.handle, "<speed=\"200\">"), 1);
    ENGINE_HANDLE other = a.create(nullptr, &Listener::callback, 1);
    EXPECT_EQ(a.destroy(other), 1);
    if (self.chunks == 2) {
      EXPECT_EQ(a.stop(self.handle), 1);
    }
  };
  EXPECT_EQ(L().speak(l.handle, kLongText.c_str(), 0), 0);
  EXPECT_EQ(l.chunks, 2);
  EXPECT_EQ(L().destroy(l.handle), 1);
}

TEST_P(Threads, DestroyDuringARequestLetsItFinish) {
  Listener l;
  l.api = &L();
  l.handle = L().create(&l, &Listener::callback, 0);
  ASSERT_NE(l.handle, nullptr);
  l.onChunk = [](Listener& self) {
    if (self.chunks == 1) {
      std::thread([&] { EXPECT_EQ(self.api->destroy(self.handle), 1); }).join();
    }
  };
  EXPECT_EQ(L().speak(l.handle, "destroyed", 0), 1);
  EXPECT_EQ(l.bytes, 9 * 960 * 2u);
  EXPECT_EQ(L().stop(l.handle), 0);
}

TEST_P(Threads, SixteenThreadsOpenSpeakAndCloseChannels) {
  const int32_t before = SynTest_OpenChannels(GetParam());
  std::atomic<bool> failed{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        Pcm pcm;
        ENGINE_HANDLE h = L().create(&pcm, &Pcm::collect, t % 2 == 0 ? 0 : 9);
        if (h == nullptr || L().setOutBufSize(h, 512) != 1 || L().speak(h, "abc", 0) != 1 ||
            pcm.bytes.size() != 3 * 960 * 2 || L().destroy(h) != 1) {
          failed = true;
        }
        if (t == 0) L().load(voicesDir().c_str(), 0, 1);  // reloads race with creates on other speakers
        if (t == 1) SynTest_LogCount(GetParam());
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_FALSE(failed);
  EXPECT_EQ(SynTest_OpenChannels(GetParam()), before);
}

INSTANTIATE_TEST_SUITE_P(Languages, Threads, kAllLanguages, languageCode);

}  // namespace
}  // namespace syntest
