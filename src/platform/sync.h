// Locks and condition variables that never allocate and never throw, for a
// library built without exceptions. On POSIX they are the standard ones: the
// C library's mutexes and condition variables need no memory. The standard
// ones of the mingw-w64 runtime on Windows create their system object on
// first use and throw std::system_error when there is no memory for it, which
// would cross a noexcept export or end a thread of the library; the system's
// slim reader/writer locks and condition variables need none.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

#if !defined(_WIN32)
#include <condition_variable>
#endif

namespace orven::platform {

#if defined(_WIN32)

// The member names are the standard ones, which std::lock_guard,
// std::unique_lock and the callers use.
// NOLINTBEGIN(readability-identifier-naming)

// Lockable, for std::lock_guard and std::unique_lock; not recursive.
class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock() noexcept;
  void unlock() noexcept;
  bool try_lock() noexcept;

 private:
  friend class ConditionVariable;
  void* state_ = nullptr;  // an SRWLOCK: one pointer, 0 when free
};

// The part of std::condition_variable that the library uses.
class ConditionVariable {
 public:
  ConditionVariable() = default;
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;
  void notify_one() noexcept;
  void notify_all() noexcept;
  void wait(std::unique_lock<Mutex>& lock) noexcept { WaitMilliseconds(*lock.mutex(), -1); }
  template <class Predicate>
  void wait(std::unique_lock<Mutex>& lock, Predicate done) {
    while (!done()) wait(lock);
  }
  template <class Rep, class Period, class Predicate>
  bool wait_for(std::unique_lock<Mutex>& lock, const std::chrono::duration<Rep, Period>& limit, Predicate done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      const int64_t left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
      if (left <= 0) return done();
      WaitMilliseconds(*lock.mutex(), left);
    }
    return true;
  }

 private:
  // Releases the mutex, sleeps until notified or until `milliseconds`
  // (negative: no limit) have passed, and takes the mutex again.
  void WaitMilliseconds(Mutex& mutex, int64_t milliseconds) noexcept;
  void* state_ = nullptr;  // a CONDITION_VARIABLE: one pointer, 0 at rest
};

// NOLINTEND(readability-identifier-naming)

#else

using Mutex = std::mutex;
using ConditionVariable = std::condition_variable;

#endif

}  // namespace orven::platform
