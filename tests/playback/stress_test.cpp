// Many playbacks on the library's null device, paused, resumed, stopped and replaced at random moments: every one
// starts and ends with its notifications, nothing hangs, and every channel is released. Run under ThreadSanitizer.

#include "playback_test_support.h"

namespace orven_test {
namespace {

using StressPlaybackTest = PlaybackTest;

TEST_F(StressPlaybackTest, RandomPlayPauseRestartStop) {
  Start(nullptr);
  ORVN_SetAudioDevice("null");

  // An application's own message: Windows does not post system messages such as 1 (WM_CREATE), which carry pointers.
  constexpr uint32_t kMessage = 0x401;
  std::mt19937 random(15);
  auto pause = [&] { std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000)); };
  constexpr int kRounds = 200;
  for (int round = 0; round < kRounds; ++round) {
    const std::string text(1 + random() % 12, static_cast<char>('a' + round % 26));
    ASSERT_EQ(ORVN_PlayTTS(window, kMessage, text.c_str(), nullptr, ORVN_ENGLISH, static_cast<int32_t>(random() % 2)),
              0)
        << "round " << round;
    pause();
    if (random() % 2) ORVN_PauseTTS();
    pause();
    if (random() % 2) ORVN_RestartTTS();
    pause();
    if (random() % 3) ORVN_StopTTS();  // else the next playback stops it
  }
  ORVN_StopTTS();
  // Every playback posted 1 and one final notification.
  const auto count = [&](std::initializer_list<int> wParams) {
    const Strings seen = messages.Seen();
    long n = 0;
    for (int w : wParams) n += std::count(seen.begin(), seen.end(), std::to_string(kMessage) + ":" + std::to_string(w));
    return n;
  };
  EXPECT_TRUE(Eventually([&] { return count({4, -1}) == kRounds; }, 20000ms)) << count({4, -1}) << " ended";
  EXPECT_EQ(count({1}), kRounds);
  int32_t open = -1, limit = -1;
  ORVN_GetChannelInfoEx(ORVN_ENGLISH, 0, &open, &limit);
  EXPECT_EQ(open, 0);
  // Pausing or resuming just as a playback closes its device may meet a handle that is gone.
  for (const std::string& box : boxes.Seen())
    EXPECT_TRUE(box == "waveOutPause Error !|The specified device handle is invalid." ||
                box == "waveOutRestart Error !|The specified device handle is invalid.")
        << box;
}

}  // namespace
}  // namespace orven_test
