#include "platform/lock.h"

#include <windows.h>

namespace orven::platform {
namespace {

CRITICAL_SECTION g_libraryLock;
INIT_ONCE g_lockOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK CreateLock(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&g_libraryLock);
  return TRUE;
}

}  // namespace

void LockLibrary() noexcept {
  InitOnceExecuteOnce(&g_lockOnce, CreateLock, nullptr, nullptr);
  EnterCriticalSection(&g_libraryLock);
}

void UnlockLibrary() noexcept { LeaveCriticalSection(&g_libraryLock); }

}  // namespace orven::platform
