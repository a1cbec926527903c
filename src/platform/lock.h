// The library lock: one process-wide mutual exclusion that guards the
// channel counters and the engines' channel creation.
#pragma once

namespace orven::platform {

// The lock exists for the whole life of the loaded library. Initialisation
// and uninitialisation do not create or destroy it, so a thread that holds or
// waits for it while another thread re-initialises the library is unharmed.
// It is re-entrant, as a critical section is: an engine that calls back into
// a locking export from inside its channel creation enters it again instead
// of deadlocking.
void LockLibrary() noexcept;
void UnlockLibrary() noexcept;

class LibraryLockGuard {
 public:
  LibraryLockGuard() noexcept { LockLibrary(); }
  ~LibraryLockGuard() { UnlockLibrary(); }
  LibraryLockGuard(const LibraryLockGuard&) = delete;
  LibraryLockGuard& operator=(const LibraryLockGuard&) = delete;
};

}  // namespace orven::platform
