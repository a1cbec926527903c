// Extension: the voice capacity settings that loading records.
#include "core/library.h"
#include "core/voice_capacity.h"

using namespace orven;

ORVN_API(int32_t)
ORVN_SetVoiceCapacity(int32_t language, int32_t speaker, int32_t channelLimit, uint32_t textLimit) noexcept {
  if (!IsValidLanguage(language)) return Fail(ORVN_ERR_LANGUAGE);
  if (speaker < 0 || speaker >= kConfigurableSpeakers) return Fail(ORVN_ERR_SPEAKER);
  if (channelLimit < 0) return Fail(ORVN_ERR_INVALID_ARG);
  StoreVoiceCapacity(language, speaker, {channelLimit, textLimit});
  return ORVN_OK;
}
