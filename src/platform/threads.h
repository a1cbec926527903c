// Threads, a one-shot start signal and sleeping: what live playback needs of
// the operating system's scheduler.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/sync.h"

namespace orven::platform {

// A thread that runs `proc(argument)` once. The handle stays valid until
// CloseThread, also after the thread has ended.
struct Thread;
using ThreadProc = void (*)(void* argument);

// Starts the thread at once with the default stack size; null when the
// system cannot create one.
Thread* StartThread(ThreadProc proc, void* argument);
// Waits at most `milliseconds` (negative: without a limit) for the thread to
// end; true once it has.
bool WaitForThread(Thread* thread, int32_t milliseconds);
// Releases the handle. A thread that still runs goes on and cleans up after
// itself when it ends.
void CloseThread(Thread* thread);
// Whether the calling thread is `thread`.
bool IsCurrentThread(const Thread* thread);

void SleepMilliseconds(int32_t milliseconds);

// A manual-reset event, not signalled at first, shared by its users through a
// reference count: each user releases its reference once, and the event goes
// away with the last one. So a waiter never waits on an event that the other
// side has already closed.
class Event {
 public:
  // An event with `references` users; null without memory.
  static Event* Create(int32_t references);
  void Signal();
  // True when signalled within `milliseconds`.
  bool Wait(int32_t milliseconds);
  void Release();

 private:
  explicit Event(int32_t references) : references_(references) {}
  Mutex mutex_;
  ConditionVariable signalled_;
  bool set_ = false;
  std::atomic<int32_t> references_;
};

}  // namespace orven::platform
