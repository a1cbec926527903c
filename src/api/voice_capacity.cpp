#include "api/voice_capacity.h"

#include <atomic>

#include "api/library.h"

namespace orven {
namespace {

constexpr int32_t kConfigurableSpeakers = 10;  // speaker 10 is never offered

struct CapacitySetting {
  std::atomic<int32_t> channelLimit{kDefaultChannelLimit};
  std::atomic<uint32_t> textLimit{kDefaultTextLimit};
};

CapacitySetting g_capacity[ORVN_LANGUAGE_COUNT][kConfigurableSpeakers];

}  // namespace

Capacity VoiceCapacity(int32_t language, int32_t speaker) {
  if (speaker >= kConfigurableSpeakers) return {0, 0};
  const CapacitySetting& setting = g_capacity[language][speaker];
  return {setting.channelLimit.load(std::memory_order_relaxed),
          setting.textLimit.load(std::memory_order_relaxed)};
}

}  // namespace orven

using namespace orven;

ORVN_API(int32_t) ORVN_SetVoiceCapacity(int32_t language, int32_t speaker, int32_t channelLimit,
                                        uint32_t textLimit) {
  if (!IsValidLanguage(language)) return Fail(ORVN_ERR_LANGUAGE);
  if (speaker < 0 || speaker >= kConfigurableSpeakers) return Fail(ORVN_ERR_SPEAKER);
  if (channelLimit < 0) return Fail(ORVN_ERR_INVALID_ARG);
  g_capacity[language][speaker].channelLimit.store(channelLimit, std::memory_order_relaxed);
  g_capacity[language][speaker].textLimit.store(textLimit, std::memory_order_relaxed);
  return ORVN_OK;
}
