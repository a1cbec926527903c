// Threads and sleeping on Windows.
#include "platform/threads.h"

#include <windows.h>

#include <new>

namespace orven::platform {

struct Thread {
  HANDLE handle = nullptr;
  DWORD id = 0;
};

namespace {

// What the new thread runs, in a record of its own: the handle may be closed
// before the thread has even started.
struct Start {
  ThreadProc proc;
  void* argument;
};

DWORD WINAPI Run(void* raw) {
  const Start start = *static_cast<Start*>(raw);
  delete static_cast<Start*>(raw);
  start.proc(start.argument);
  return 0;
}

}  // namespace

Thread* StartThread(ThreadProc proc, void* argument) {
  Thread* thread = new (std::nothrow) Thread;
  Start* start = new (std::nothrow) Start{proc, argument};
  if (thread != nullptr && start != nullptr) {
    thread->handle = CreateThread(nullptr, 0, Run, start, 0, &thread->id);
    if (thread->handle != nullptr) return thread;
  }
  delete start;
  delete thread;
  return nullptr;
}

bool WaitForThread(Thread* thread, int32_t milliseconds) {
  const DWORD limit = milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds);
  return WaitForSingleObject(thread->handle, limit) == WAIT_OBJECT_0;
}

void CloseThread(Thread* thread) {
  if (thread == nullptr) return;
  CloseHandle(thread->handle);
  delete thread;
}

bool IsCurrentThread(const Thread* thread) { return thread != nullptr && thread->id == GetCurrentThreadId(); }

void SleepMilliseconds(int32_t milliseconds) { Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }

}  // namespace orven::platform
