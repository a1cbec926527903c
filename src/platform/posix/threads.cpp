// Threads and sleeping on POSIX.
#include "platform/threads.h"

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

namespace orven::platform {

// pthreads have no timed join that every libc offers, so the thread reports
// its end through a condition; the handle and the running thread share the
// record and the last of the two frees it.
struct Thread {
  pthread_t id{};
  ThreadProc proc = nullptr;
  void* argument = nullptr;
  std::mutex mutex;
  std::condition_variable ended;
  bool finished = false;
  bool joined = false;
  std::atomic<int32_t> references{2};

  void Release() {
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
};

namespace {

void* Run(void* raw) {
  Thread* thread = static_cast<Thread*>(raw);
  thread->proc(thread->argument);
  {
    std::lock_guard lock(thread->mutex);
    thread->finished = true;
    thread->ended.notify_all();
  }
  thread->Release();
  return nullptr;
}

}  // namespace

Thread* StartThread(ThreadProc proc, void* argument) {
  Thread* thread = new (std::nothrow) Thread;
  if (thread == nullptr) return nullptr;
  thread->proc = proc;
  thread->argument = argument;
  if (pthread_create(&thread->id, nullptr, Run, thread) != 0) {
    delete thread;
    return nullptr;
  }
  return thread;
}

bool WaitForThread(Thread* thread, int32_t milliseconds) {
  std::unique_lock lock(thread->mutex);
  if (milliseconds < 0) {
    thread->ended.wait(lock, [thread] { return thread->finished; });
  } else if (!thread->ended.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                     [thread] { return thread->finished; })) {
    return false;
  }
  if (!thread->joined) {
    thread->joined = true;
    pthread_join(thread->id, nullptr);
  }
  return true;
}

void CloseThread(Thread* thread) {
  if (thread == nullptr) return;
  bool detach = false;
  {
    std::lock_guard lock(thread->mutex);
    detach = !thread->joined;
    thread->joined = true;
  }
  if (detach) pthread_detach(thread->id);
  thread->Release();
}

bool IsCurrentThread(const Thread* thread) { return thread != nullptr && pthread_equal(thread->id, pthread_self()); }

void SleepMilliseconds(int32_t milliseconds) {
  if (milliseconds <= 0) {
    sched_yield();
    return;
  }
  timespec rest{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

}  // namespace orven::platform
