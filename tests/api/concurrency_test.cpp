// Many threads creating and deleting channels at once.
#include <atomic>
#include <thread>

#include "api_test_support.h"

namespace orven_test {
namespace {

using ChannelConcurrencyTest = ApiTest;

// Sixteen threads contend for one English voice's five channels while the
// other languages churn on their own; no count may leak or overshoot.
TEST_F(ChannelConcurrencyTest, TheLimitHoldsUnderContentionAndNoCountLeaks) {
  constexpr int kLimit = 5, kRounds = 300;
  ORVN_SetVoiceCapacity(ORVN_ENGLISH, 0, kLimit, 0);
  LoadAllVoices();
  std::atomic<int> open{0}, created{0}, refused{0}, faults{0};
  std::atomic<bool> start{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&] {
      while (!start.load()) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        // The last error is library-wide and may be another thread's.
        ORVN_CHANNEL channel = Open(ORVN_ENGLISH, 0);
        if (channel == nullptr) {
          ++refused;
          continue;
        }
        ++created;
        // Counted after creation and uncounted before deletion, so never above the limit.
        if (++open > kLimit || reinterpret_cast<ORVN_ChannelHead*>(channel)->speaker != 0) ++faults;
        if (int32_t inTable = ChannelInfo(ORVN_ENGLISH, 0)[0]; inTable > kLimit || inTable < 1) ++faults;
        std::this_thread::yield();
        --open;
        ORVN_DeleteThread(channel);
      }
    });
  }
  for (int32_t language : {ORVN_KOREAN, ORVN_CHINESE, ORVN_JAPANESE}) {
    threads.emplace_back([&, language] {
      while (!start.load()) std::this_thread::yield();
      for (int round = 0; round < 200; ++round) {
        ORVN_CHANNEL channel = Open(language, round % 2);
        if (channel == nullptr || ChannelInfo(language)[0] != 1) ++faults;
        ORVN_DeleteThread(channel);
      }
    });
  }
  start = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_GT(created.load(), kLimit);
  EXPECT_GT(refused.load(), 0) << "the limit was never contended";
  EXPECT_EQ(faults.load(), 0);
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH, 0), Counts({0, kLimit}));
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), Counts({0, kLimit + 64 + 64}));
  for (int32_t language : kLanguages) {
    EXPECT_EQ(ChannelInfo(language)[0], 0);
    EXPECT_EQ(SynTest_OpenChannels(language), 0);
  }
}

}  // namespace
}  // namespace orven_test
