// Live playback on Windows: the controller with the system's threads and a notification window (a message-only
// window whose posted messages reach a callback), on the "null" device; and once on the system's wave-out device,
// which must end, with sound or with a reported wave-out error, and never hang.
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "orven_api.h"
#include "windows_test_support.h"

namespace orven_windows_test {
namespace {

using namespace std::chrono_literals;

// What reached the window ("wParam", with "!" when it came on the test's thread, which posts 2 and 3 itself) and the
// message box handler ("caption|text").
struct Seen {
  std::vector<std::string> Wait(size_t count) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, 20s, [&] { return items.size() >= count; });
    return items;
  }
  void Add(std::string item) {
    std::lock_guard lock(mutex);
    items.push_back(std::move(item));
    changed.notify_all();
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> items;
  const DWORD testThread = GetCurrentThreadId();
};

void ORVN_CDECL OnMessage(void* seen, ORVN_WINDOW, uint32_t, intptr_t wParam, intptr_t) {
  static_cast<Seen*>(seen)->Add(std::to_string(wParam) +
                                (GetCurrentThreadId() == static_cast<Seen*>(seen)->testThread ? "!" : ""));
}
void ORVN_CDECL OnBox(void* seen, const char* caption, const char* text) {
  static_cast<Seen*>(seen)->Add(std::string(caption) + "|" + text);
}
// A hang ends the process instead of stalling the run.
void CALLBACK Expire(void*, BOOLEAN) {
  std::fprintf(stderr, "watchdog: the test did not end within 60 s\n");
  TerminateProcess(GetCurrentProcess(), 99);
}

class WindowsPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateTimerQueueTimer(&watchdog, nullptr, Expire, nullptr, 60000, 0, WT_EXECUTEONLYONCE));
    ORVN_Initialize();
    ASSERT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 9, AnsiPath(TestVoices()).c_str(), 0), 0);
    ORVN_SetMessageBoxHandler(OnBox, &boxes);
    ASSERT_NE(window = ORVN_CreateNotifyWindow(OnMessage, &messages), nullptr);
    ORVN_SetAudioDevice("null");
  }
  void TearDown() override {
    ORVN_StopTTS();
    ORVN_DestroyNotifyWindow(window);
    ORVN_SetMessageBoxHandler(nullptr, nullptr);
    ORVN_UnLoadEngine(ORVN_ENGLISH);
    ORVN_SetAudioDevice(nullptr);
    DeleteTimerQueueTimer(nullptr, watchdog, INVALID_HANDLE_VALUE);
  }
  int32_t Play(const std::string& text, ORVN_WINDOW to) {
    return ORVN_PlayTTS(to, WM_APP, text.c_str(), nullptr, ORVN_ENGLISH, 9);
  }

  HANDLE watchdog = nullptr;
  Seen messages, boxes;
  ORVN_WINDOW window = nullptr;
};

// 1 then 4, on the window's thread. Pause and restart post 2 and 3; a new playback stops the running one, whose final
// notification comes before the new one's 1; a stop returns once the final notification is out. A playback without
// a window posts nothing to ours.
TEST_F(WindowsPlayback, NotificationsOnTheNullDevice) {
  ASSERT_EQ(Play("abc", window), 0);
  EXPECT_EQ(messages.Wait(2), (std::vector<std::string>{"1", "4"}));
  const std::string longText(600, 'a');  // 36 s, more than the device queues
  ASSERT_EQ(Play(longText, window), 0);
  EXPECT_EQ(ORVN_PauseTTS(), 0);
  EXPECT_EQ(ORVN_RestartTTS(), 0);
  ASSERT_EQ(Play(longText, window), 0);
  EXPECT_EQ(ORVN_StopTTS(), 0);
  ASSERT_EQ(Play(longText, nullptr), 0);
  EXPECT_EQ(ORVN_StopTTS(), 0);
  std::vector<std::string> seen = messages.Wait(8);
  ASSERT_EQ(seen.size(), 8u);
  for (size_t final : {5, 7}) {
    if (seen[final] == "-1") seen[final] = "4";  // a stopped request may end either way
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "4", "1", "2", "3", "4", "1", "4"}));
  EXPECT_EQ(boxes.Wait(0), std::vector<std::string>{});
}

// The system's device: without a sound card the open fails and its box names the wave-out error; with one the
// text plays to its end. Either way every call returns.
TEST_F(WindowsPlayback, TheSystemDeviceEndsWithSoundOrAReportedError) {
  ORVN_SetAudioDevice("default");
  const int32_t started = Play("abc", window);
  if (started == 1) {
    const std::vector<std::string> seen = boxes.Wait(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].rfind("Wave Out Device Open Error !|", 0), 0u) << seen[0];
    EXPECT_GT(seen[0].size(), std::strlen("Wave Out Device Open Error !|")) << "the box names the error";
    std::printf("the wave-out device did not open: %s\n", seen[0].c_str());
    return;
  }
  ASSERT_EQ(started, 0);
  const std::vector<std::string> seen = messages.Wait(2);
  EXPECT_EQ(seen.front(), "1");
  EXPECT_TRUE(seen.back() == "4" || seen.back() == "-1") << seen.back();
  for (const std::string& box : boxes.Wait(0)) std::printf("wave-out error reported: %s\n", box.c_str());
}

}  // namespace
}  // namespace orven_windows_test
