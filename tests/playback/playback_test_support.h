// A scriptable wave-out service, a recording sleep, and recorders for notifications and message boxes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orven_api.h"
#include "playback/play_device.h"

namespace orven_test {

using namespace std::chrono_literals;
namespace platform = orven::platform;

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
// and finishes queued buffers on its own thread, either when told or (automatic) as soon as they arrive, never
// while paused.
class FakeWaveOut {
 public:
  static FakeWaveOut& Get() {
    static FakeWaveOut fake;
    return fake;
  }
  static const platform::WaveOutService kService;
  static inline char device_;  // its address is the device handle
  static constexpr platform::WaveOutHandle kDevice = &device_;

  void Reset(bool automatic) {
    std::lock_guard lock(mutex_);
    automatic_ = automatic;
    paused_ = held_ = false;
    toFinish_ = 0;
    queue_.clear();
    calls_.clear();
    played_.clear();
    failures_.clear();
  }
  void Fail(const std::string& call, uint32_t code) {
    std::lock_guard lock(mutex_);
    failures_[call] = code;
  }
  // While held, no buffer finishes (unlike a pause, nothing is logged).
  void Hold(bool held) {
    std::lock_guard lock(mutex_);
    held_ = held;
    wake_.notify_all();
  }
  void ClearFailures() {
    std::lock_guard lock(mutex_);
    failures_.clear();
  }
  void Finish(int buffers) {
    std::lock_guard lock(mutex_);
    toFinish_ += buffers;
    wake_.notify_all();
  }
  std::vector<std::string> Calls() {
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
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
      wake_.notify_all();
    }
    thread_.join();
  }
  uint32_t Enter(const std::string& call) {  // logs the call; the caller holds the lock
    calls_.push_back(call);
    const auto failure = failures_.find(call.substr(0, call.find(' ')));
    return failure == failures_.end() ? platform::kMmNoError : failure->second;
  }
  void Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return quit_ || (!paused_ && !held_ && !queue_.empty() && (automatic_ || toFinish_ > 0)); });
      if (quit_) return;
      if (!automatic_) --toFinish_;
      Done(lock);
    }
  }
  void Done(std::unique_lock<std::mutex>& lock) {  // finishes the oldest queued buffer
    platform::WaveHeader* header = queue_.front();
    queue_.pop_front();
    header->flags = (header->flags & ~platform::kHeaderInQueue) | platform::kHeaderDone;
    lock.unlock();
    callback_(kDevice, platform::kWaveOutDone, 0, reinterpret_cast<uintptr_t>(header), 0);
    lock.lock();
  }
  static FakeWaveOut& F() { return Get(); }
  static uint32_t Open(platform::WaveOutHandle* device, uint32_t, const platform::WaveFormat* format,
                       platform::WaveOutCallback callback, uintptr_t, uint32_t) {
    std::lock_guard lock(F().mutex_);
    if (uint32_t result = F().Enter("open " + std::to_string(format->samplesPerSecond))) return result;
    F().callback_ = callback;
    *device = kDevice;
    return platform::kMmNoError;
  }
  static uint32_t Header(const char* name, platform::WaveHeader* header) {
    std::lock_guard lock(F().mutex_);
    if (uint32_t result = F().Enter(std::string(name) + " " + std::to_string(header->bufferLength))) return result;
    if (std::strcmp(name, "write") == 0) {
      header->flags |= platform::kHeaderInQueue;
      F().played_.append(header->data, header->bufferLength);
      F().queue_.push_back(header);
      F().wake_.notify_all();
    }
    return platform::kMmNoError;
  }
  static uint32_t Control(const char* name, bool paused) {
    std::unique_lock lock(F().mutex_);
    if (uint32_t result = F().Enter(name)) return result;
    if (std::strcmp(name, "reset") == 0) {
      while (!F().queue_.empty()) F().Done(lock);
    }
    F().paused_ = paused;
    F().wake_.notify_all();
    return platform::kMmNoError;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool automatic_ = false, paused_ = false, held_ = false, quit_ = false;
  int toFinish_ = 0;
  std::deque<platform::WaveHeader*> queue_;
  std::vector<std::string> calls_;
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

// The device layer's sleeps, recorded; each really sleeps a millisecond so that waiting loops stay cheap.
class SleepLog {
 public:
  static void Sleep(int32_t milliseconds) {
    {
      std::lock_guard lock(mutex_);
      log_.push_back(milliseconds);
    }
    std::this_thread::sleep_for(1ms);
  }
  static std::vector<int32_t> Taken() {
    std::lock_guard lock(mutex_);
    return log_;
  }
  static void Clear() {
    std::lock_guard lock(mutex_);
    log_.clear();
  }

 private:
  static inline std::mutex mutex_;
  static inline std::vector<int32_t> log_;
};

// What reached a notification window or the message box handler, as text: "message:wParam" (with "!" for an
// lParam other than 0), "caption|text".
class Recorder {
 public:
  std::vector<std::string> Seen() {
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
    static_cast<Recorder*>(self)->Add(std::to_string(message) + ":" + std::to_string(wParam) +
                                      (lParam != 0 ? "!" : ""));
  }
  static void ORVN_CDECL OnBox(void* self, const char* caption, const char* text) {
    static_cast<Recorder*>(self)->Add(std::string(caption) + "|" + text);
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> seen_;
};

}  // namespace orven_test
