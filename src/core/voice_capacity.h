// Voice capacity: the channel limit and text limit a speaker gets when it
// is loaded.
#pragma once

#include <cstdint>

namespace orven {

struct Capacity {
  int32_t channelLimit;  // 0 or less: the speaker is not offered
  uint32_t textLimit;    // bytes after conversion; 0: no limit
};

inline constexpr int32_t kDefaultChannelLimit = 64;
inline constexpr uint32_t kDefaultTextLimit = 0;
inline constexpr int32_t kConfigurableSpeakers = 10;  // speaker 10 is never offered

// Indexes must have passed the range checks (speaker 0..10).
Capacity VoiceCapacity(int32_t language, int32_t speaker);

// Changes what the next load of (language 0..3, speaker 0..9) records.
void StoreVoiceCapacity(int32_t language, int32_t speaker, Capacity capacity);

}  // namespace orven
