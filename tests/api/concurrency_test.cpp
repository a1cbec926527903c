// Many threads creating and deleting channels on one speaker at once.
#include <atomic>
#include <thread>

#include "api_test_support.h"

namespace orven_test {
namespace {

using ChannelConcurrencyTest = ApiTest;

TEST_F(ChannelConcurrencyTest, SixteenThreadsNeverExceedTheLimitNorLeakACount) {
  constexpr int32_t kLimit = 5;
  constexpr int kThreads = 16;
  constexpr int kRounds = 300;
  ORVN_SetVoiceCapacity(ORVN_ENGLISH, 0, kLimit, 0);
  LoadVoices(ORVN_ENGLISH);

  std::atomic<int> open{0};
  std::atomic<int> mostOpen{0};
  std::atomic<int> created{0};
  std::atomic<int> refusedOverLimit{0};
  std::atomic<int> otherFailures{0};
  std::atomic<bool> start{false};

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      while (!start.load()) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, ORVN_ENGLISH, 0);
        if (channel == nullptr) {
          // The last error is library-wide, so another thread may have
          // overwritten it; the counters below are what must hold.
          ++refusedOverLimit;
          continue;
        }
        ++created;
        int now = ++open;
        int seen = mostOpen.load();
        while (now > seen && !mostOpen.compare_exchange_weak(seen, now)) {
        }
        if (reinterpret_cast<ORVN_ChannelHead*>(channel)->speaker != 0) ++otherFailures;
        int32_t openInTable = 0, limit = 0;
        ORVN_GetChannelInfoEx(ORVN_ENGLISH, 0, &openInTable, &limit);
        if (openInTable > kLimit || openInTable < 1) ++otherFailures;
        std::this_thread::yield();
        --open;
        ORVN_DeleteThread(channel);
      }
    });
  }
  start = true;
  for (std::thread& thread : threads) thread.join();

  EXPECT_LE(mostOpen.load(), kLimit);
  EXPECT_GT(created.load(), kLimit);
  EXPECT_GT(refusedOverLimit.load(), 0) << "the limit was never contended";
  EXPECT_EQ(otherFailures.load(), 0);
  EXPECT_EQ(created.load() + refusedOverLimit.load(), kThreads * kRounds);
  EXPECT_EQ(ChannelInfoEx(ORVN_ENGLISH, 0), (std::array<int32_t, 2>{0, kLimit}));
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), (std::array<int32_t, 2>{0, kLimit + 64 + 64}));
  EXPECT_EQ(SynTest_OpenChannels(ORVN_ENGLISH), 0);
}

TEST_F(ChannelConcurrencyTest, CreationsOnDifferentLanguagesInterleaveSafely) {
  LoadAllVoices();
  std::vector<std::thread> threads;
  for (int32_t language : kLanguages) {
    threads.emplace_back([language] {
      for (int round = 0; round < 200; ++round) {
        ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, language, round % 2);
        ASSERT_NE(channel, nullptr);
        int32_t a, b;
        ORVN_GetChannelInfo(language, &a, &b);
        ORVN_DeleteThread(channel);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int32_t language : kLanguages) {
    EXPECT_EQ(ChannelInfo(language)[0], 0);
    EXPECT_EQ(SynTest_OpenChannels(language), 0);
  }
}

}  // namespace
}  // namespace orven_test
