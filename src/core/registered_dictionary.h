// The user dictionary registered for live playback: every playback channel
// loads it while it is registered.
#pragma once

#include <atomic>
#include <cstdint>

namespace orven {

struct RegisteredDictionary {
  char path[256] = {};                 // at most 255 bytes and the terminator
  std::atomic<int32_t> registered{0};  // the path stays when this drops to 0
};

extern RegisteredDictionary g_registeredDictionary;

}  // namespace orven
