// Many threads creating and deleting channels, and writing files, at once; an engine that re-enters the library.

#include "api_test_support.h"

namespace orven_test {
namespace {

using ChannelConcurrencyTest = ApiTest;

// Sixteen threads contend for one English voice's five channels while the other languages churn on their own; no
// count may leak or overshoot. The last error is library-wide, so it is not looked at.
TEST_F(ChannelConcurrencyTest, TheLimitHoldsUnderContentionAndNoCountLeaks) {
  constexpr int kLimit = 5;
  ORVN_SetVoiceCapacity(ORVN_ENGLISH, 0, kLimit, 0);
  LoadAllVoices();
  std::atomic<int> open{0}, created{0}, refused{0}, faults{0};
  std::atomic<bool> start{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 19; ++t) {
    threads.emplace_back([&, t] {
      while (!start.load()) std::this_thread::yield();
      for (int round = 0; round < 300; ++round) {
        if (t >= 16) {  // one thread each for the other languages, alone on their voices
          const int32_t language = kLanguages[t - 16 < ORVN_ENGLISH ? t - 16 : t - 15];
          ORVN_CHANNEL channel = Open(language, round % 2);
          if (channel == nullptr || ChannelInfo(language)[0] != 1) ++faults;
          ORVN_DeleteThread(channel);
          continue;
        }
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
  start = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_GT(created.load(), kLimit);
  EXPECT_GT(refused.load(), 0) << "the limit was never contended";
  EXPECT_EQ(faults.load(), 0);
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH, 0), Counts({0, kLimit}));
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), Counts({0, kLimit + 64 + 64}));
  for (int32_t language : kLanguages)
    EXPECT_EQ(Counts({ChannelInfo(language)[0], SynTest_OpenChannels(language)}), Counts({0, 0}));
}

// File entries on several threads, on voices of different rates (which share the library-wide playback rate),
// each write the same bytes as the same call made alone.
TEST_F(ChannelConcurrencyTest, FileEntriesOnManyThreadsWriteWhatTheyWriteAlone) {
  LoadAllVoices();
  const ScratchDir dir;
  const std::array<int32_t, 5> jobs[] = {{ORVN_KOREAN, 0, 0, 0, 16000},  {ORVN_ENGLISH, 1, 1, 5, 16000},
                                         {ORVN_CHINESE, 0, 0, 2, 8000},  {ORVN_JAPANESE, 1, 2, 4, 8000},
                                         {ORVN_ENGLISH, 0, 1, 3, 11025}, {ORVN_KOREAN, 1, 0, 1, 8000}};
  const auto write = [&](size_t job, const std::string& name) {  // language, speaker, file type, encoding, rate
    const std::string path = dir / name;
    const auto& [language, speaker, type, encoding, rate] = jobs[job];
    if (ORVN_TextToFile(language, speaker, type, encoding, rate, "concurrent files", path.c_str(), nullptr, nullptr))
      return Bytes();
    return ReadFile(path);
  };
  std::vector<Bytes> alone;
  for (size_t job = 0; job < std::size(jobs); ++job) alone.push_back(write(job, "alone"));
  std::vector<std::thread> threads;
  for (size_t t = 0; t < std::size(jobs); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round)
        EXPECT_TRUE(write(t, std::to_string(t)) == alone[t] && !alone[t].empty()) << "job " << t;
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int32_t language : kLanguages) EXPECT_EQ(SynTest_OpenChannels(language), 0);
}

// An engine that calls back into a locking export from inside its channel creation, which runs under the library
// lock, enters the lock again instead of deadlocking, as a critical section lets its owner do (a hang fails by the
// test's time limit).
TEST_F(ChannelConcurrencyTest, TheLibraryLockIsReentrantForAnEngineThatCallsBack) {
  LoadVoices(ORVN_KOREAN);
  LoadVoices(ORVN_ENGLISH);
  struct Reentry {
    ORVN_CHANNEL inner = nullptr;
    int32_t afterDelete[2] = {-1, -1};
  } reentry;
  SynTest_SetHook(
      "CreateTTSThread",
      [](void* argument) {
        auto& r = *static_cast<Reentry*>(argument);
        r.inner = Open(ORVN_ENGLISH, 0);
        ORVN_DeleteThread(r.inner);
        ORVN_GetChannelInfo(ORVN_ENGLISH, &r.afterDelete[0], &r.afterDelete[1]);
      },
      &reentry);
  ORVN_CHANNEL outer = Open(ORVN_KOREAN, 0);
  EXPECT_NE(outer, nullptr);
  EXPECT_NE(reentry.inner, nullptr);
  EXPECT_EQ(reentry.afterDelete[0], 0);
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN, 0), Counts({1, 64}));
  ORVN_DeleteThread(outer);
}

}  // namespace
}  // namespace orven_test
