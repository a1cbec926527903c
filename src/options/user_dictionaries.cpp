// User dictionaries (per channel, plus the one registered for playback) and
// user effect databases (per language).
#include <atomic>
#include <cstdio>

#include "api/checks.h"
#include "api/engine_table.h"
#include "api/library.h"
#include "api/loading.h"
#include "engine/engine_ops.h"
#include "options/user_dictionaries.h"

namespace orven {

RegisteredDictionary g_registeredDictionary;

}  // namespace orven

using namespace orven;

namespace {

constexpr int32_t kEffectModes = 3;  // modes 0..2

bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

template <auto EngineOp>
int32_t LoadDictionary(ORVN_CHANNEL channel, const char* path, int32_t* first, int32_t* second) {
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  if (IsEmpty(path) || first == nullptr || second == nullptr) return Fail(ORVN_ERR_INVALID_ARG);
  const int32_t result = (EngineFor(at.language).*EngineOp)(channel, path, first, second);
  // A refused dictionary is reported to the caller 10 above the engine's
  // own reason, so it cannot be mistaken for a count.
  if (result == 0) *first += 10;
  return result;
}

// The effect-tag reading is only offered while exactly one speaker of the
// language is loaded.
int32_t CheckEffectTagLanguage(int32_t language) {
  if (int32_t check = CheckLanguageIndex(language); check != ORVN_OK) return check;
  if (LanguageAt(language).loadedSpeakers.get() != 1) return Fail(ORVN_ERR_NOT_LOADED);
  return ORVN_OK;
}

}  // namespace

ORVN_API(int32_t) ORVN_LoadUserDict(ORVN_CHANNEL channel, const char* path, int32_t* first, int32_t* second) {
  return LoadDictionary<&EngineOps::loadDict>(channel, path, first, second);
}

ORVN_API(int32_t) ORVN_ChangeUserDict(ORVN_CHANNEL channel, const char* path, int32_t* first, int32_t* second) {
  return LoadDictionary<&EngineOps::changeDict>(channel, path, first, second);
}

ORVN_API(void) ORVN_UnLoadUserDict(ORVN_CHANNEL channel) {
  ChannelSlot at;
  if (ValidateChannel(channel, &at) != ORVN_OK) return;
  EngineFor(at.language).unloadDict(channel);
  SetLastError(ORVN_OK);
}

ORVN_API(void) ORVN_RegisterUserDict(const char* path) {
  if (path == nullptr) return;
  std::snprintf(g_registeredDictionary.path, sizeof g_registeredDictionary.path, "%s", path);
  g_registeredDictionary.registered.store(1, std::memory_order_release);
}

ORVN_API(void) ORVN_DeleteUserDict(void) { g_registeredDictionary.registered.store(0, std::memory_order_release); }

ORVN_API(int32_t) ORVN_LoadUserEffDB(int32_t language, const char* path1, const char* path2, int32_t mode,
                                     int32_t value) {
  if (int32_t check = ValidateLanguage(language); check != ORVN_OK) return check;
  if (IsEmpty(path1) || IsEmpty(path2)) return Fail(ORVN_ERR_INVALID_ARG);
  if (mode < 0 || mode >= kEffectModes) return Fail(ORVN_ERR_INVALID_ARG);
  ORVN_UnLoadUserEffDB(language);  // the earlier database goes first; last error 0
  const int32_t result = EngineFor(language).loadEffectDb(path1, path2, mode, value);
  LanguageAt(language).effectDatabase.set(result);
  return result;
}

ORVN_API(void) ORVN_UnLoadUserEffDB(int32_t language) {
  if (ValidateLanguage(language) != ORVN_OK) return;
  UnloadEffectDatabase(language);
  SetLastError(ORVN_OK);
}

ORVN_API(void) ORVN_SetEffectTagRead(int32_t language, int32_t value) {
  if (CheckEffectTagLanguage(language) != ORVN_OK) return;
  if (LanguageAt(language).effectDatabase.get() != 0) EngineFor(language).setEffectTagRead(value);
  SetLastError(ORVN_OK);
}

ORVN_API(int32_t) ORVN_GetEffectTagRead(int32_t language) {
  if (int32_t check = CheckEffectTagLanguage(language); check != ORVN_OK) return check;
  return EngineFor(language).getEffectTagRead();
}
