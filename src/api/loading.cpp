// Loading and unloading voices.
#include "api/loading.h"

#include "api/checks.h"
#include "api/engine_table.h"
#include "api/library.h"
#include "api/voice_capacity.h"
#include "engine/engine_ops.h"
#include "platform/fullpath.h"

namespace orven {
namespace {

constexpr int32_t kLoadableSpeakers = 10;  // speaker 10 passes the range check but never loads

// The Korean engine reports a load with 0, the others with 1.
bool LoadSucceeded(int32_t language, int32_t result) {
  return language == ORVN_KOREAN ? result == 0 : result == 1;
}

// Takes the speaker's capacity into the table; true when it offers channels.
bool TakeCapacity(int32_t language, int32_t speaker) {
  Capacity capacity = VoiceCapacity(language, speaker);
  VoiceSlot& slot = SlotAt(language, speaker);
  slot.channelLimit.set(capacity.channelLimit);
  slot.textLimit.set(capacity.textLimit);
  return capacity.channelLimit > 0;
}

// Asks the engine for one speaker and records the outcome in its slot.
bool LoadSpeaker(int32_t language, int32_t speaker, const std::string& directory, uint32_t option) {
  VoiceSlot& slot = SlotAt(language, speaker);
  int32_t result = EngineFor(language).load(directory.c_str(), option, speaker);
  if (!LoadSucceeded(language, result)) {
    slot.Clear();
    return false;
  }
  LanguageAt(language).channelCapacity.add(slot.channelLimit.get());
  slot.openChannels.set(0);
  slot.loaded.set(1);
  return true;
}

bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

}  // namespace

std::string BuildDatabaseDirectory(const char* path) {
  std::string directory;
  if (!platform::ResolveFullPath(path, directory)) directory = path;
  if (directory.empty() || directory.back() != platform::kPathSeparator) {
    directory.push_back(platform::kPathSeparator);
  }
  return directory;
}

void UnloadEffectDatabase(int32_t language) {
  LanguageEntry& entry = LanguageAt(language);
  if (entry.effectDatabase.get() == 0) return;
  EngineFor(language).unloadEffectDb();
  entry.effectDatabase.set(0);
}

}  // namespace orven

using namespace orven;

ORVN_API(int32_t) ORVN_LoadEngine(int32_t language, const char* databasePath, uint32_t loadOption) {
  if (int32_t check = CheckLanguageIndex(language); check != ORVN_OK) return check;
  LanguageEntry& entry = LanguageAt(language);
  if (entry.loadedSpeakers.get() != 0) {
    SetLastError(ORVN_OK);
    return 0;
  }
  if (IsEmpty(databasePath)) return Fail(ORVN_ERR_INVALID_ARG);

  const std::string directory = BuildDatabaseDirectory(databasePath);
  int32_t loaded = 0;
  for (int32_t speaker = 0; speaker < kLoadableSpeakers; ++speaker) {
    if (!TakeCapacity(language, speaker)) continue;
    if (LoadSpeaker(language, speaker, directory, loadOption)) ++loaded;
  }
  entry.loadedSpeakers.add(loaded);
  return loaded > 0 ? 0 : 1;
}

ORVN_API(int32_t) ORVN_LoadEngineEx(int32_t language, int32_t speaker, const char* databasePath,
                                    uint32_t loadOption) {
  if (int32_t check = CheckVoiceIndex(language, speaker); check != ORVN_OK) return check;
  VoiceSlot& slot = SlotAt(language, speaker);
  if (slot.loaded.get() == 1) {
    SetLastError(ORVN_OK);
    return 0;
  }
  if (IsEmpty(databasePath)) return Fail(ORVN_ERR_INVALID_ARG);

  const std::string directory = BuildDatabaseDirectory(databasePath);
  // A speaker without channels (speaker 10 always) is refused like an engine
  // refusal, without troubling the engine: a voice nobody can open a channel
  // on would only hold engine memory.
  if (!TakeCapacity(language, speaker)) {
    slot.Clear();
    return 1;
  }
  if (!LoadSpeaker(language, speaker, directory, loadOption)) return 1;
  LanguageAt(language).loadedSpeakers.add(1);
  return 0;
}

ORVN_API(void) ORVN_UnLoadEngine(int32_t language) {
  if (CheckLanguageIndex(language) != ORVN_OK) return;
  LanguageEntry& entry = LanguageAt(language);
  if (entry.loadedSpeakers.get() != 0) {
    UnloadEffectDatabase(language);
    for (int32_t speaker = 0; speaker < kLoadableSpeakers; ++speaker) {
      VoiceSlot& slot = entry.speakers[speaker];
      if (slot.loaded.get() != 1) continue;
      EngineFor(language).unload(speaker);
      slot.Clear();
    }
    entry.channelCapacity.set(0);
    entry.channelsInUse.set(0);
    entry.loadedSpeakers.set(0);
  }
  SetLastError(ORVN_OK);
}

ORVN_API(void) ORVN_UnLoadEngineEx(int32_t language, int32_t speaker) {
  if (CheckVoiceIndex(language, speaker) != ORVN_OK) return;
  LanguageEntry& entry = LanguageAt(language);
  VoiceSlot& slot = entry.speakers[speaker];
  if (slot.loaded.get() != 0) {
    if (entry.loadedSpeakers.get() == 1) UnloadEffectDatabase(language);
    EngineFor(language).unload(speaker);
    entry.channelCapacity.add(-slot.channelLimit.get());
    entry.channelsInUse.add(-slot.openChannels.get());
    slot.Clear();
    entry.loadedSpeakers.add(-1);
  }
  SetLastError(ORVN_OK);
}
