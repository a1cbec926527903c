// Synthesis channels: creation and deletion under the library lock, and the
// counter queries.
#include "api/internal.h"
#include "core/checks.h"
#include "core/engine_table.h"
#include "core/library.h"
#include "engine/engine_ops.h"
#include "platform/lock.h"

using namespace orven;

namespace orven::api {

ORVN_CHANNEL CreateChannel(void* userData, ORVN_SynthesisCallback callback, int32_t language, int32_t speaker) {
  if (ValidateVoice(language, speaker) != ORVN_OK) return nullptr;
  VoiceSlot& slot = SlotAt(language, speaker);
  // The limit test, the engine's creation and the two increments are one
  // step, so two threads can never both take a speaker's last channel.
  platform::LibraryLockGuard lock;
  if (slot.openChannels.Get() >= slot.channelLimit.Get()) {
    Fail(ORVN_ERR_CHANNEL_LIMIT);
    return nullptr;
  }
  ENGINE_HANDLE handle = EngineFor(language).create(userData, callback, speaker);
  if (handle == nullptr) {
    Fail(ORVN_ERR_CHANNEL_CREATE);
    return nullptr;
  }
  LanguageAt(language).channelsInUse.Add(1);
  slot.openChannels.Add(1);
  return handle;
}

void DeleteChannel(ORVN_CHANNEL channel) {
  ChannelSlot at;
  if (ValidateChannel(channel, &at) != ORVN_OK) return;
  // The handle is gone once the engine has deleted it; only the indexes kept
  // above are used afterwards.
  EngineFor(at.language).destroy(channel);
  {
    platform::LibraryLockGuard lock;
    LanguageEntry& entry = LanguageAt(at.language);
    VoiceSlot& slot = entry.speakers[at.speaker];
    if (entry.channelsInUse.Get() > 0) entry.channelsInUse.Add(-1);
    if (slot.openChannels.Get() > 0) slot.openChannels.Add(-1);
  }
  SetLastError(ORVN_OK);
}

}  // namespace orven::api

ORVN_API(ORVN_CHANNEL)
ORVN_CreateThread(void* userData, ORVN_SynthesisCallback callback, int32_t language, int32_t speaker) noexcept {
  return api::CreateChannel(userData, callback, language, speaker);
}

ORVN_API(void) ORVN_DeleteThread(ORVN_CHANNEL channel) noexcept { api::DeleteChannel(channel); }

ORVN_API(void) ORVN_GetChannelInfo(int32_t language, int32_t* channelsInUse, int32_t* channelCapacity) noexcept {
  if (ValidateLanguage(language) != ORVN_OK) return;
  if (channelsInUse == nullptr || channelCapacity == nullptr) {
    Fail(ORVN_ERR_INVALID_ARG);
    return;
  }
  const LanguageEntry& entry = LanguageAt(language);
  *channelsInUse = entry.channelsInUse.Get();
  *channelCapacity = entry.channelCapacity.Get();
  SetLastError(ORVN_OK);
}

ORVN_API(void)
ORVN_GetChannelInfoEx(int32_t language, int32_t speaker, int32_t* openChannels, int32_t* channelLimit) noexcept {
  if (ValidateVoice(language, speaker) != ORVN_OK) return;
  if (openChannels == nullptr || channelLimit == nullptr) {
    Fail(ORVN_ERR_INVALID_ARG);
    return;
  }
  const VoiceSlot& slot = SlotAt(language, speaker);
  *openChannels = slot.openChannels.Get();
  *channelLimit = slot.channelLimit.Get();
  SetLastError(ORVN_OK);
}
