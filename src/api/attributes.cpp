// Voice attributes and speaker: volume, speed and pitch as attribute tags,
// any attribute tag, speaker changes, and the engines' default values.
#include <cstdio>

#include "api/internal.h"
#include "core/checks.h"
#include "core/engine_table.h"
#include "core/library.h"
#include "engine/engine_ops.h"

using namespace orven;

namespace {

struct AttributeRange {
  int32_t lowest;
  int32_t highest;
  const char* format;
};

// The volume tag carries one blank after its bracket; the others do not.
constexpr AttributeRange kVolume{0, 200, "<volume=\"%d\"> "};
constexpr AttributeRange kSpeed{50, 200, "<speed=\"%d\">"};
constexpr AttributeRange kPitch{80, 120, "<pitch=\"%d\">"};

int32_t SetAttribute(ORVN_CHANNEL channel, int32_t value, const AttributeRange& range) {
  if (int32_t check = ValidateChannel(channel, nullptr); check != ORVN_OK) return check;
  if (value < range.lowest || value > range.highest) return Fail(ORVN_ERR_RANGE);
  char tag[64];
  std::snprintf(tag, sizeof tag, range.format, static_cast<int>(value));
  return api::ChangeAttribute(channel, tag);
}

// The two checks of the default queries' output pointers.
int32_t CheckOutputs(const int32_t* defaultValue, const int32_t* maximumValue) {
  if (defaultValue == nullptr || maximumValue == nullptr) return Fail(ORVN_ERR_INVALID_ARG);
  return ORVN_OK;
}

}  // namespace

int32_t api::ChangeAttribute(ORVN_CHANNEL channel, const char* tag) {
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  if (IsNullOrEmpty(tag)) return Fail(ORVN_ERR_INVALID_ARG);
  // The tag is the engine's business: whatever it accepts may be passed.
  return EngineFor(at.language).changeAttr(channel, tag);
}

ORVN_API(int32_t) ORVN_SetVolume(ORVN_CHANNEL channel, int32_t volume) noexcept {
  return SetAttribute(channel, volume, kVolume);
}
ORVN_API(int32_t) ORVN_SetSpeed(ORVN_CHANNEL channel, int32_t speed) noexcept {
  return SetAttribute(channel, speed, kSpeed);
}
ORVN_API(int32_t) ORVN_SetPitch(ORVN_CHANNEL channel, int32_t pitch) noexcept {
  return SetAttribute(channel, pitch, kPitch);
}

ORVN_API(int32_t) ORVN_ChangeAttr(ORVN_CHANNEL channel, const char* attributeTag) noexcept {
  return api::ChangeAttribute(channel, attributeTag);
}

ORVN_API(int32_t) ORVN_ChangeSpeaker(ORVN_CHANNEL channel, int32_t speaker) noexcept {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (channel == nullptr) return Fail(ORVN_ERR_NULL_HANDLE);
  const int32_t language = ReadChannelHead(channel).language;
  if (!IsValidLanguage(language)) return Fail(ORVN_ERR_LANGUAGE);
  // The speaker asked for is checked, not the one the channel has now.
  if (!IsValidSpeaker(speaker)) return Fail(ORVN_ERR_SPEAKER);
  if (SlotAt(language, speaker).loaded.Get() == 0) return Fail(ORVN_ERR_NOT_LOADED);
  return EngineFor(language).changeSpeaker(channel, speaker);
}

ORVN_API(int32_t)
ORVN_GetPitchDefault(int32_t language, int32_t speaker, int32_t* defaultValue, int32_t* maximumValue) noexcept {
  if (int32_t check = ValidateVoice(language, speaker); check != ORVN_OK) return check;
  if (int32_t check = CheckOutputs(defaultValue, maximumValue); check != ORVN_OK) return check;
  return EngineFor(language).pitchDefault(speaker, defaultValue, maximumValue);
}

ORVN_API(int32_t) ORVN_GetSpeedDefault(int32_t language, int32_t* defaultValue, int32_t* maximumValue) noexcept {
  if (int32_t check = ValidateLanguage(language); check != ORVN_OK) return check;
  if (int32_t check = CheckOutputs(defaultValue, maximumValue); check != ORVN_OK) return check;
  return EngineFor(language).speedDefault(defaultValue, maximumValue);
}

ORVN_API(int32_t) ORVN_GetVolumeDefault(int32_t language, int32_t* defaultValue, int32_t* maximumValue) noexcept {
  if (int32_t check = ValidateLanguage(language); check != ORVN_OK) return check;
  if (int32_t check = CheckOutputs(defaultValue, maximumValue); check != ORVN_OK) return check;
  return EngineFor(language).volumeDefault(defaultValue, maximumValue);
}
