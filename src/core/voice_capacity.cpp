#include "core/voice_capacity.h"

#include <atomic>

#include "orven_api.h"

namespace orven {
namespace {

struct CapacitySetting {
  std::atomic<int32_t> channelLimit{kDefaultChannelLimit};
  std::atomic<uint32_t> textLimit{kDefaultTextLimit};
};

CapacitySetting g_capacity[ORVN_LANGUAGE_COUNT][kConfigurableSpeakers];

}  // namespace

Capacity VoiceCapacity(int32_t language, int32_t speaker) {
  if (speaker >= kConfigurableSpeakers) return {0, 0};
  const CapacitySetting& setting = g_capacity[language][speaker];
  return {setting.channelLimit.load(std::memory_order_relaxed), setting.textLimit.load(std::memory_order_relaxed)};
}

void StoreVoiceCapacity(int32_t language, int32_t speaker, Capacity capacity) {
  g_capacity[language][speaker].channelLimit.store(capacity.channelLimit, std::memory_order_relaxed);
  g_capacity[language][speaker].textLimit.store(capacity.textLimit, std::memory_order_relaxed);
}

}  // namespace orven
