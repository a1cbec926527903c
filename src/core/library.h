// Library-wide state: the initialised flag, the last error and the playback
// rate.
#pragma once

#include <atomic>
#include <cstdint>

#include "orven_api.h"

namespace orven {

// Plain 32-bit words that several threads read and write without a lock;
// atomics with relaxed ordering give them exactly that meaning.
struct LibraryState {
  std::atomic<int32_t> initialised{0};
  std::atomic<int32_t> lastError{0};
  // The sampling rate of the voice most recently used for a file or live
  // playback; initialisation leaves it alone.
  std::atomic<int32_t> playbackRate{16000};
};

extern LibraryState g_library;

inline bool IsInitialised() { return g_library.initialised.load(std::memory_order_relaxed) != 0; }

inline void SetLastError(int32_t code) { g_library.lastError.store(code, std::memory_order_relaxed); }
inline int32_t LastError() { return g_library.lastError.load(std::memory_order_relaxed); }

// Stores a failure code in the last error and hands it back for returning.
inline int32_t Fail(int32_t code) {
  SetLastError(code);
  return code;
}

inline bool IsValidLanguage(int32_t language) { return language >= 0 && language < ORVN_LANGUAGE_COUNT; }
inline bool IsValidSpeaker(int32_t speaker) { return speaker >= 0 && speaker < ORVN_SPEAKER_COUNT; }

}  // namespace orven
