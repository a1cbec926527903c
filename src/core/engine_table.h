// The engine table: which voices are loaded, their limits and the channel
// counters, per (language, speaker) and per language.
#pragma once

#include <atomic>
#include <cstdint>

#include "orven_api.h"

namespace orven {

// Every field is read without a lock by validation and the information
// exports while loading or channel creation may write it; relaxed atomics
// keep those reads well defined without ordering anything.
template <typename T>
class Word {
 public:
  T Get() const { return value_.load(std::memory_order_relaxed); }
  void Set(T v) { value_.store(v, std::memory_order_relaxed); }
  void Add(T v) { value_.fetch_add(v, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_{0};
};

struct VoiceSlot {
  Word<int32_t> loaded;
  Word<int32_t> openChannels;
  Word<int32_t> channelLimit;
  Word<uint32_t> textLimit;

  void Clear() {
    loaded.Set(0);
    openChannels.Set(0);
    channelLimit.Set(0);
    textLimit.Set(0);
  }
};

struct LanguageEntry {
  Word<int32_t> channelsInUse;
  Word<int32_t> channelCapacity;
  Word<int32_t> loadedSpeakers;
  Word<int32_t> effectDatabase;  // the engine's last effect database load result; non-zero = loaded
  VoiceSlot speakers[ORVN_SPEAKER_COUNT];
};

extern LanguageEntry g_engineTable[ORVN_LANGUAGE_COUNT];

// Indexes must have passed the range checks.
inline LanguageEntry& LanguageAt(int32_t language) { return g_engineTable[language]; }
inline VoiceSlot& SlotAt(int32_t language, int32_t speaker) { return g_engineTable[language].speakers[speaker]; }

}  // namespace orven
