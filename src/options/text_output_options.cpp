// Text and output options: sixteen exports that pass a value to a channel's
// engine or read it back, or, given no channel, keep the library-wide
// default instead.
#include "api/checks.h"
#include "api/library.h"
#include "engine/engine_ops.h"
#include "options/option_defaults.h"

using namespace orven;

namespace {

constexpr int32_t kDone = 1;

// Value is int8_t for the five byte options (only the low 8 bits travel)
// and int32_t for the others.
template <typename Value, auto EngineSet, auto Default>
int32_t SetOption(ORVN_CHANNEL channel, int32_t value) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  const Value narrowed = static_cast<Value>(value);
  if (channel == nullptr) {
    (g_optionDefaults.*Default).store(narrowed, std::memory_order_relaxed);
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
  if (channel == nullptr) return (g_optionDefaults.*Default).load(std::memory_order_relaxed);
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  // Byte options read back as their low 8 bits, sign-extended.
  return static_cast<Value>((EngineFor(at.language).*EngineGet)(channel));
}

}  // namespace

#define ORVN_OPTION_PAIR_(Name, Value, set, get, field)                                          \
  ORVN_API(int32_t) ORVN_Set##Name(ORVN_CHANNEL channel, int32_t value) {                        \
    return SetOption<Value, &EngineOps::set, &OptionDefaults::field>(channel, value);            \
  }                                                                                              \
  ORVN_API(int32_t) ORVN_Get##Name(ORVN_CHANNEL channel) {                                       \
    return GetOption<Value, &EngineOps::get, &OptionDefaults::field>(channel);                   \
  }

ORVN_OPTION_PAIR_(TextFormat, int8_t, setTextFormat, getTextFormat, textFormat)
ORVN_OPTION_PAIR_(CharSet, int8_t, setCharSet, getCharSet, charSet)
ORVN_OPTION_PAIR_(LipSync, int8_t, setLipSync, getLipSync, lipSync)
ORVN_OPTION_PAIR_(HighLight, int8_t, setHighLight, getHighLight, highlight)
ORVN_OPTION_PAIR_(ByteSwap, int8_t, setByteSwap, getByteSwap, byteSwap)
ORVN_OPTION_PAIR_(ReadGwalho, int32_t, setReadGwalho, getReadGwalho, readGwalho)
ORVN_OPTION_PAIR_(SentDelimLF, int32_t, setSentDelimLF, getSentDelimLF, sentDelimLF)
#undef ORVN_OPTION_PAIR_

ORVN_API(int32_t) ORVN_SetPauseLength(ORVN_CHANNEL channel, int32_t first, int32_t second) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (channel == nullptr) {
    g_optionDefaults.pauseFirst.store(first, std::memory_order_relaxed);
    g_optionDefaults.pauseSecond.store(second, std::memory_order_relaxed);
    return kDone;
  }
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  EngineFor(at.language).setPauseLength(channel, first, second);
  return kDone;
}

ORVN_API(int32_t) ORVN_GetPauseLength(ORVN_CHANNEL channel, int32_t* first, int32_t* second) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  // Missing output pointers are reported with the not-initialised code, as
  // callers of this export have always seen it.
  if (first == nullptr || second == nullptr) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (channel == nullptr) {
    *first = g_optionDefaults.pauseFirst.load(std::memory_order_relaxed);
    *second = g_optionDefaults.pauseSecond.load(std::memory_order_relaxed);
    return kDone;
  }
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  EngineFor(at.language).getPauseLength(channel, first, second);
  return kDone;
}
