// A scriptable wave-out service, a recording sleep, and recorders for notifications and message boxes.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "../api/api_test_support.h"
#include "playback/play_device.h"

namespace orven_test {

using namespace std::chrono_literals;
namespace platform = orven::platform;
using Strings = std::vector<std::string>;

// Polls `done` until it holds or `limit` passes; tests never wait without a limit.
inline bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// The device the tests script: it logs every call ("write 16000"), keeps the bytes written, fails calls on demand
// and finishes queued buffers on its own thread, never while paused: as soon as they arrive when automatic, else
// when told.
class FakeWaveOut {
 public:
  static FakeWaveOut& Get() {
    static FakeWaveOut fake;
    return fake;
  }
  static const platform::WaveOutService kService;

  void Reset(bool automatic) {
    std::lock_guard lock(mutex_);
    automatic_ = automatic, paused_ = false, toFinish_ = 0;
    queue_.clear(), calls_.clear(), played_.clear(), failures_.clear();
  }
  void Automatic(bool automatic) {
    Locked([&] { automatic_ = automatic; });
  }
  void Fail(const std::string& call, uint32_t code) {
    Locked([&] { failures_[call] = code; });
  }
  void Finish(int buffers) {
    Locked([&] { toFinish_ += buffers; });
  }
  Strings Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  int Count(const std::string& call) {
    int n = 0;
    for (const std::string& c : Calls()) n += c.rfind(call, 0) == 0;
    return n;
  }
  std::string Played() {
    std::lock_guard lock(mutex_);
    return played_;
  }

 private:
  FakeWaveOut() : thread_([this] { Serve(); }) {}
  ~FakeWaveOut() {
    Locked([&] { quit_ = true; });
    thread_.join();
  }
  void Locked(const std::function<void()>& change) {
    std::lock_guard lock(mutex_);
    change();
    wake_.notify_all();
  }
  // Logs the call and answers its result; the caller holds the lock.
  uint32_t Enter(const std::string& call) {
    calls_.push_back(call);
    const auto failure = failures_.find(call.substr(0, call.find(' ')));
    return failure == failures_.end() ? platform::kMmNoError : failure->second;
  }
  void Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return quit_ || (!paused_ && !queue_.empty() && (automatic_ || toFinish_ > 0)); });
      if (quit_) return;
      toFinish_ -= !automatic_;
      Done(lock);
    }
  }
  void Done(std::unique_lock<std::mutex>& lock) {  // finishes the oldest queued buffer
    platform::WaveHeader* header = queue_.front();
    queue_.pop_front();
    header->flags = (header->flags & ~platform::kHeaderInQueue) | platform::kHeaderDone;
    lock.unlock();
    callback_(&device_, platform::kWaveOutDone, 0, reinterpret_cast<uintptr_t>(header), 0);
    lock.lock();
  }
  static uint32_t Open(platform::WaveOutHandle* device, uint32_t, const platform::WaveFormat* format,
                       platform::WaveOutCallback callback, uintptr_t, uint32_t) {
    FakeWaveOut& f = Get();
    std::lock_guard lock(f.mutex_);
    if (uint32_t result = f.Enter("open " + std::to_string(format->samplesPerSecond))) return result;
    f.callback_ = callback;
    *device = &f.device_;
    return platform::kMmNoError;
  }
  static uint32_t Header(const char* name, platform::WaveHeader* header) {
    FakeWaveOut& f = Get();
    std::lock_guard lock(f.mutex_);
    if (uint32_t result = f.Enter(std::string(name) + " " + std::to_string(header->bufferLength))) return result;
    if (std::strcmp(name, "write") == 0) {
      header->flags |= platform::kHeaderInQueue;
      f.played_.append(header->data, header->bufferLength);
      f.queue_.push_back(header);
      f.wake_.notify_all();
    }
    return platform::kMmNoError;
  }
  static uint32_t Control(const char* name, bool paused) {
    FakeWaveOut& f = Get();
    std::unique_lock lock(f.mutex_);
    if (uint32_t result = f.Enter(name)) return result;
    while (std::strcmp(name, "reset") == 0 && !f.queue_.empty()) f.Done(lock);
    f.paused_ = paused;
    f.wake_.notify_all();
    return platform::kMmNoError;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool automatic_ = false, paused_ = false, quit_ = false;
  int toFinish_ = 0;
  char device_ = 0;  // its address is the device handle
  std::deque<platform::WaveHeader*> queue_;
  Strings calls_;
  std::string played_;
  std::map<std::string, uint32_t> failures_;
  platform::WaveOutCallback callback_ = nullptr;
  std::thread thread_;
};

inline const platform::WaveOutService FakeWaveOut::kService = {
    FakeWaveOut::Open,
    [](auto, auto* h, auto) { return Header("prepare", h); },
    [](auto, auto* h, auto) { return Header("unprepare", h); },
    [](auto, auto* h, auto) { return Header("write", h); },
    [](auto) { return Control("pause", true); },
    [](auto) { return Control("restart", false); },
    [](auto) { return Control("reset", false); },
    [](auto) { return Control("close", false); },
};

// The device layer's polling sleeps, each a millisecond, so that waiting loops stay cheap.
inline void ShortSleep(int32_t) { std::this_thread::sleep_for(1ms); }

// What reached a notification window or the message box handler, as text: "message:wParam" (with "!" for an
// lParam other than 0, and "@" when it came on the thread that made the recorder, where no window delivers),
// "caption|text".
class Recorder {
 public:
  Strings Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  bool WaitFor(size_t count, std::chrono::milliseconds limit = 10000ms) {
    return Eventually([&] { return Seen().size() >= count; }, limit);
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    seen_.clear();
  }
  void Add(std::string entry) {
    std::lock_guard lock(mutex_);
    seen_.push_back(std::move(entry));
  }
  static void ORVN_CDECL OnMessage(void* self, ORVN_WINDOW, uint32_t message, intptr_t wParam, intptr_t lParam) {
    auto* recorder = static_cast<Recorder*>(self);
    recorder->Add(std::to_string(message) + ":" + std::to_string(wParam) + (lParam != 0 ? "!" : "") +
                  (std::this_thread::get_id() == recorder->owner_ ? "@" : ""));
  }
  static void ORVN_CDECL OnBox(void* self, const char* caption, const char* text) {
    static_cast<Recorder*>(self)->Add(std::string(caption) + "|" + text);
  }

 private:
  std::mutex mutex_;
  Strings seen_;
  const std::thread::id owner_ = std::this_thread::get_id();
};

// Live playback through the exports: the English tone voices loaded, a notification window and a message box handler
// that record, and the device service a test starts with (null: the platform's own), with short polling sleeps.
class PlaybackTest : public ApiTest {
 protected:
  void Start(const platform::WaveOutService* service) {
    orven::playback::SetDeviceServiceForTesting(service, ShortSleep);
    ORVN_SetMessageBoxHandler(Recorder::OnBox, &boxes);
    ASSERT_NE(window = ORVN_CreateNotifyWindow(Recorder::OnMessage, &messages), nullptr);
    LoadVoices(ORVN_ENGLISH);
  }
  void TearDown() override {
    ORVN_StopTTS();
    ORVN_DestroyNotifyWindow(window);
    ORVN_SetMessageBoxHandler(nullptr, nullptr);
    ORVN_SetAudioDevice(nullptr);
    orven::playback::SetDeviceServiceForTesting(nullptr, nullptr);
    ORVN_DeleteUserDict();
    ApiTest::TearDown();
  }
  Recorder messages, boxes;
  ORVN_WINDOW window = nullptr;
};

}  // namespace orven_test
