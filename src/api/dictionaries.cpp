// User dictionaries (per channel, plus the one registered for live
// playback) and user effect databases (per language).
#include <cstdio>

#include "api/internal.h"
#include "core/checks.h"
#include "core/engine_table.h"
#include "core/library.h"
#include "core/registered_dictionary.h"
#include "engine/engine_ops.h"

using namespace orven;

namespace {

constexpr int32_t kEffectModes = 3;  // modes 0..2

template <auto EngineOp>
int32_t LoadWith(ORVN_CHANNEL channel, const char* path, int32_t* entriesOrReason, int32_t* faultLine) {
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  if (IsNullOrEmpty(path) || entriesOrReason == nullptr || faultLine == nullptr) return Fail(ORVN_ERR_INVALID_ARG);
  const int32_t result = (EngineFor(at.language).*EngineOp)(channel, path, entriesOrReason, faultLine);
  // A refused dictionary is reported to the caller 10 above the engine's
  // own reason, so it cannot be mistaken for a count.
  if (result == 0) *entriesOrReason += 10;
  return result;
}

// The effect-tag reading is only offered while exactly one speaker of the
// language is loaded.
int32_t CheckEffectTagLanguage(int32_t language) {
  if (int32_t check = CheckLanguageIndex(language); check != ORVN_OK) return check;
  if (LanguageAt(language).loadedSpeakers.Get() != 1) return Fail(ORVN_ERR_NOT_LOADED);
  return ORVN_OK;
}

void UnloadEffectDatabaseChecked(int32_t language) {
  if (ValidateLanguage(language) != ORVN_OK) return;
  api::UnloadEffectDatabase(language);
  SetLastError(ORVN_OK);
}

}  // namespace

int32_t api::LoadDictionary(ORVN_CHANNEL channel, const char* path, int32_t* entriesOrReason, int32_t* faultLine) {
  return LoadWith<&EngineOps::loadDict>(channel, path, entriesOrReason, faultLine);
}

void api::UnloadDictionary(ORVN_CHANNEL channel) {
  ChannelSlot at;
  if (ValidateChannel(channel, &at) != ORVN_OK) return;
  EngineFor(at.language).unloadDict(channel);
  SetLastError(ORVN_OK);
}

void api::UnloadEffectDatabase(int32_t language) {
  LanguageEntry& entry = LanguageAt(language);
  if (entry.effectDatabase.Get() == 0) return;
  EngineFor(language).unloadEffectDb();
  entry.effectDatabase.Set(0);
}

ORVN_API(int32_t)
ORVN_LoadUserDict(ORVN_CHANNEL channel, const char* path, int32_t* entriesOrReason, int32_t* faultLine) noexcept {
  return api::LoadDictionary(channel, path, entriesOrReason, faultLine);
}

ORVN_API(int32_t)
ORVN_ChangeUserDict(ORVN_CHANNEL channel, const char* path, int32_t* entriesOrReason, int32_t* faultLine) noexcept {
  return LoadWith<&EngineOps::changeDict>(channel, path, entriesOrReason, faultLine);
}

ORVN_API(void) ORVN_UnLoadUserDict(ORVN_CHANNEL channel) noexcept { api::UnloadDictionary(channel); }

ORVN_API(void) ORVN_RegisterUserDict(const char* path) noexcept {
  if (path == nullptr) return;
  std::snprintf(g_registeredDictionary.path, sizeof g_registeredDictionary.path, "%s", path);
  g_registeredDictionary.registered.store(1, std::memory_order_release);
}

ORVN_API(void) ORVN_DeleteUserDict(void) noexcept {
  g_registeredDictionary.registered.store(0, std::memory_order_release);
}

ORVN_API(int32_t)
ORVN_LoadUserEffDB(int32_t language, const char* effectPath, const char* indexPath, int32_t mode,
                   int32_t option) noexcept {
  if (int32_t check = ValidateLanguage(language); check != ORVN_OK) return check;
  if (IsNullOrEmpty(effectPath) || IsNullOrEmpty(indexPath)) return Fail(ORVN_ERR_INVALID_ARG);
  if (mode < 0 || mode >= kEffectModes) return Fail(ORVN_ERR_INVALID_ARG);
  UnloadEffectDatabaseChecked(language);  // the earlier database goes first; last error 0
  const int32_t result = EngineFor(language).loadEffectDb(effectPath, indexPath, mode, option);
  LanguageAt(language).effectDatabase.Set(result);
  return result;
}

ORVN_API(void) ORVN_UnLoadUserEffDB(int32_t language) noexcept { UnloadEffectDatabaseChecked(language); }

ORVN_API(void) ORVN_SetEffectTagRead(int32_t language, int32_t value) noexcept {
  if (CheckEffectTagLanguage(language) != ORVN_OK) return;
  if (LanguageAt(language).effectDatabase.Get() != 0) EngineFor(language).setEffectTagRead(value);
  SetLastError(ORVN_OK);
}

ORVN_API(int32_t) ORVN_GetEffectTagRead(int32_t language) noexcept {
  if (int32_t check = CheckEffectTagLanguage(language); check != ORVN_OK) return check;
  return EngineFor(language).getEffectTagRead();
}
