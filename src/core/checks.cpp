#include "core/checks.h"

#include <cstring>

#include "core/engine_table.h"
#include "core/library.h"

namespace orven {

ChannelSlot ReadChannelHead(ORVN_CHANNEL handle) {
  // The record belongs to the engine; copy the two fields out rather than
  // assume anything about its type or alignment.
  ORVN_ChannelHead head;
  std::memcpy(&head, handle, sizeof head);
  return {head.language, head.speaker};
}

int32_t ValidateChannel(ORVN_CHANNEL handle, ChannelSlot* slot) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (handle == nullptr) return Fail(ORVN_ERR_NULL_HANDLE);
  ChannelSlot head = ReadChannelHead(handle);
  if (!IsValidLanguage(head.language)) return Fail(ORVN_ERR_LANGUAGE);
  if (!IsValidSpeaker(head.speaker)) return Fail(ORVN_ERR_SPEAKER);
  if (SlotAt(head.language, head.speaker).loaded.get() == 0) return Fail(ORVN_ERR_NOT_LOADED);
  if (slot != nullptr) *slot = head;
  return ORVN_OK;
}

int32_t CheckLanguageIndex(int32_t language) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (!IsValidLanguage(language)) return Fail(ORVN_ERR_LANGUAGE);
  return ORVN_OK;
}

int32_t CheckVoiceIndex(int32_t language, int32_t speaker) {
  if (int32_t check = CheckLanguageIndex(language); check != ORVN_OK) return check;
  if (!IsValidSpeaker(speaker)) return Fail(ORVN_ERR_SPEAKER);
  return ORVN_OK;
}

int32_t ValidateVoice(int32_t language, int32_t speaker) {
  if (int32_t check = CheckVoiceIndex(language, speaker); check != ORVN_OK) return check;
  if (SlotAt(language, speaker).loaded.get() == 0) return Fail(ORVN_ERR_NOT_LOADED);
  return ORVN_OK;
}

int32_t ValidateLanguage(int32_t language) {
  if (int32_t check = CheckLanguageIndex(language); check != ORVN_OK) return check;
  if (LanguageAt(language).loadedSpeakers.get() == 0) return Fail(ORVN_ERR_NOT_LOADED);
  return ORVN_OK;
}

}  // namespace orven
