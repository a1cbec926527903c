#include "platform/sync.h"

#include <windows.h>

#include <algorithm>

namespace orven::platform {
namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*),
              "both are one pointer, zero when initialised");

PSRWLOCK System(void*& state) { return reinterpret_cast<PSRWLOCK>(&state); }
PCONDITION_VARIABLE SystemCondition(void*& state) { return reinterpret_cast<PCONDITION_VARIABLE>(&state); }

}  // namespace

void Mutex::lock() noexcept { AcquireSRWLockExclusive(System(state_)); }
void Mutex::unlock() noexcept { ReleaseSRWLockExclusive(System(state_)); }
bool Mutex::try_lock() noexcept { return TryAcquireSRWLockExclusive(System(state_)) != FALSE; }

void ConditionVariable::notify_one() noexcept { WakeConditionVariable(SystemCondition(state_)); }
void ConditionVariable::notify_all() noexcept { WakeAllConditionVariable(SystemCondition(state_)); }

void ConditionVariable::WaitMilliseconds(Mutex& mutex, int64_t milliseconds) noexcept {
  // INFINITE is the largest DWORD; longer limits wake early and the caller's
  // loop sleeps again.
  const DWORD limit = milliseconds < 0 ? INFINITE : static_cast<DWORD>(std::min<int64_t>(milliseconds, INFINITE - 1));
  SleepConditionVariableSRW(SystemCondition(state_), System(mutex.state_), limit, 0);
}

}  // namespace orven::platform
