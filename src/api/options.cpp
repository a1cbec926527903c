// Text and output options: sixteen exports that pass a value to a channel's
// engine or read it back, or, given no channel, keep the library-wide
// default instead; and the step that applies the defaults to the channels
// the library opens itself.
#include "api/internal.h"
#include "core/checks.h"
#include "core/library.h"
#include "core/option_defaults.h"
#include "engine/engine_ops.h"

using namespace orven;

namespace {

constexpr int32_t kDone = 1;
constexpr auto kRelaxed = std::memory_order_relaxed;

// Value is int8_t for the five byte options (only the low 8 bits travel)
// and int32_t for the others.
template <typename Value, auto EngineSet, auto Default>
int32_t SetOption(ORVN_CHANNEL channel, int32_t value) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  const Value narrowed = static_cast<Value>(value);
  if (channel == nullptr) {
    (g_optionDefaults.*Default).store(narrowed, kRelaxed);
    return kDone;
  }
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  (EngineFor(at.language).*EngineSet)(channel, narrowed);
  return kDone;
}

// A get cannot tell a failure code from a value: it returns the code itself.
template <typename Value, auto EngineGet, auto Default>
int32_t GetOption(ORVN_CHANNEL channel) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (channel == nullptr) return (g_optionDefaults.*Default).load(kRelaxed);
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  // Byte options read back as their low 8 bits, sign-extended.
  return static_cast<Value>((EngineFor(at.language).*EngineGet)(channel));
}

int32_t PassPauseLength(ORVN_CHANNEL channel, int32_t sentencePause, int32_t phrasePause) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (channel == nullptr) {
    g_optionDefaults.sentencePause.store(sentencePause, kRelaxed);
    g_optionDefaults.phrasePause.store(phrasePause, kRelaxed);
    return kDone;
  }
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  EngineFor(at.language).setPauseLength(channel, sentencePause, phrasePause);
  return kDone;
}

template <auto EngineSet, auto Default>
int32_t SetByteOption(ORVN_CHANNEL channel, int32_t value) {
  return SetOption<int8_t, EngineSet, Default>(channel, value);
}
template <auto EngineGet, auto Default>
int32_t GetByteOption(ORVN_CHANNEL channel) {
  return GetOption<int8_t, EngineGet, Default>(channel);
}
template <auto EngineSet, auto Default>
int32_t SetWordOption(ORVN_CHANNEL channel, int32_t value) {
  return SetOption<int32_t, EngineSet, Default>(channel, value);
}
template <auto EngineGet, auto Default>
int32_t GetWordOption(ORVN_CHANNEL channel) {
  return GetOption<int32_t, EngineGet, Default>(channel);
}

using O = OptionDefaults;
using E = EngineOps;

}  // namespace

void api::ApplyOptionDefaults(ORVN_CHANNEL channel, DefaultsFor target) {
  const OptionDefaults& d = g_optionDefaults;
  if (d.byteSwap.load(kRelaxed) == 1) SetByteOption<&E::setByteSwap, &O::byteSwap>(channel, 1);
  if (d.charSet.load(kRelaxed) == 1) SetByteOption<&E::setCharSet, &O::charSet>(channel, 1);
  if (d.textFormat.load(kRelaxed) == 1) SetByteOption<&E::setTextFormat, &O::textFormat>(channel, 1);
  if (target == DefaultsFor::kTextToFile && d.lipSync.load(kRelaxed) == 1) {
    SetByteOption<&E::setLipSync, &O::lipSync>(channel, 1);
  }
  PassPauseLength(channel, d.sentencePause.load(kRelaxed), d.phrasePause.load(kRelaxed));
  if (d.readGwalho.load(kRelaxed) == 1) SetWordOption<&E::setReadGwalho, &O::readGwalho>(channel, 1);
  if (d.sentDelimLF.load(kRelaxed) == 1) SetWordOption<&E::setSentDelimLF, &O::sentDelimLF>(channel, 1);
}

ORVN_API(int32_t) ORVN_SetTextFormat(ORVN_CHANNEL channel, int32_t value) noexcept {
  return SetByteOption<&E::setTextFormat, &O::textFormat>(channel, value);
}
ORVN_API(int32_t) ORVN_GetTextFormat(ORVN_CHANNEL channel) noexcept {
  return GetByteOption<&E::getTextFormat, &O::textFormat>(channel);
}
ORVN_API(int32_t) ORVN_SetCharSet(ORVN_CHANNEL channel, int32_t value) noexcept {
  return SetByteOption<&E::setCharSet, &O::charSet>(channel, value);
}
ORVN_API(int32_t) ORVN_GetCharSet(ORVN_CHANNEL channel) noexcept {
  return GetByteOption<&E::getCharSet, &O::charSet>(channel);
}
ORVN_API(int32_t) ORVN_SetLipSync(ORVN_CHANNEL channel, int32_t value) noexcept {
  return SetByteOption<&E::setLipSync, &O::lipSync>(channel, value);
}
ORVN_API(int32_t) ORVN_GetLipSync(ORVN_CHANNEL channel) noexcept {
  return GetByteOption<&E::getLipSync, &O::lipSync>(channel);
}
ORVN_API(int32_t) ORVN_SetHighLight(ORVN_CHANNEL channel, int32_t value) noexcept {
  return SetByteOption<&E::setHighLight, &O::highlight>(channel, value);
}
ORVN_API(int32_t) ORVN_GetHighLight(ORVN_CHANNEL channel) noexcept {
  return GetByteOption<&E::getHighLight, &O::highlight>(channel);
}
ORVN_API(int32_t) ORVN_SetByteSwap(ORVN_CHANNEL channel, int32_t value) noexcept {
  return SetByteOption<&E::setByteSwap, &O::byteSwap>(channel, value);
}
ORVN_API(int32_t) ORVN_GetByteSwap(ORVN_CHANNEL channel) noexcept {
  return GetByteOption<&E::getByteSwap, &O::byteSwap>(channel);
}
ORVN_API(int32_t) ORVN_SetReadGwalho(ORVN_CHANNEL channel, int32_t value) noexcept {
  return SetWordOption<&E::setReadGwalho, &O::readGwalho>(channel, value);
}
ORVN_API(int32_t) ORVN_GetReadGwalho(ORVN_CHANNEL channel) noexcept {
  return GetWordOption<&E::getReadGwalho, &O::readGwalho>(channel);
}
ORVN_API(int32_t) ORVN_SetSentDelimLF(ORVN_CHANNEL channel, int32_t value) noexcept {
  return SetWordOption<&E::setSentDelimLF, &O::sentDelimLF>(channel, value);
}
ORVN_API(int32_t) ORVN_GetSentDelimLF(ORVN_CHANNEL channel) noexcept {
  return GetWordOption<&E::getSentDelimLF, &O::sentDelimLF>(channel);
}

ORVN_API(int32_t) ORVN_SetPauseLength(ORVN_CHANNEL channel, int32_t sentencePause, int32_t phrasePause) noexcept {
  return PassPauseLength(channel, sentencePause, phrasePause);
}

ORVN_API(int32_t) ORVN_GetPauseLength(ORVN_CHANNEL channel, int32_t* sentencePause, int32_t* phrasePause) noexcept {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  // Missing output pointers are reported with the not-initialised code, as
  // callers of this export have always seen it.
  if (sentencePause == nullptr || phrasePause == nullptr) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (channel == nullptr) {
    *sentencePause = g_optionDefaults.sentencePause.load(kRelaxed);
    *phrasePause = g_optionDefaults.phrasePause.load(kRelaxed);
    return kDone;
  }
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  EngineFor(at.language).getPauseLength(channel, sentencePause, phrasePause);
  return kDone;
}
