// Loading voices: every speaker of a language, or one; and unloading them.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "api/internal.h"
#include "core/checks.h"
#include "core/engine_table.h"
#include "core/library.h"
#include "core/voice_capacity.h"
#include "engine/engine_ops.h"
#include "platform/fullpath.h"

using namespace orven;

namespace {

constexpr int32_t kLoadableSpeakers = 10;  // speaker 10 passes the range check but never loads
constexpr int32_t kNothingLoaded = 1;

struct FreeDeleter {
  void operator()(char* p) const noexcept { std::free(p); }
};
using Directory = std::unique_ptr<char[], FreeDeleter>;

// The directory string an engine's load operation receives: the path made
// absolute when it can be (else as given), ending in one path separator.
// Null without memory.
Directory BuildDatabaseDirectory(const char* path) {
  char resolved[platform::kFullPathCapacity];
  const char* base = platform::ResolveFullPath(path, resolved) ? resolved : path;
  const std::size_t length = std::strlen(base);
  Directory directory(static_cast<char*>(std::malloc(length + 2)));
  if (!directory) return directory;
  std::memcpy(directory.get(), base, length);
  std::size_t end = length;
  if (end == 0 || directory[end - 1] != platform::kPathSeparator) directory[end++] = platform::kPathSeparator;
  directory[end] = '\0';
  return directory;
}

// The Korean engine reports a load with 0, the others with 1.
bool LoadSucceeded(int32_t language, int32_t result) { return language == ORVN_KOREAN ? result == 0 : result == 1; }

// Takes the speaker's capacity into the table; true when it offers channels.
bool TakeCapacity(int32_t language, int32_t speaker) {
  const Capacity capacity = VoiceCapacity(language, speaker);
  VoiceSlot& slot = SlotAt(language, speaker);
  slot.channelLimit.Set(capacity.channelLimit);
  slot.textLimit.Set(capacity.textLimit);
  return capacity.channelLimit > 0;
}

// Asks the engine for one speaker and records the outcome in its slot.
bool LoadSpeaker(int32_t language, int32_t speaker, const char* directory, uint32_t option) {
  VoiceSlot& slot = SlotAt(language, speaker);
  const int32_t result = EngineFor(language).load(directory, option, speaker);
  if (!LoadSucceeded(language, result)) {
    slot.Clear();
    return false;
  }
  LanguageAt(language).channelCapacity.Add(slot.channelLimit.Get());
  slot.openChannels.Set(0);
  slot.loaded.Set(1);
  return true;
}

}  // namespace

ORVN_API(int32_t) ORVN_LoadEngine(int32_t language, const char* databasePath, uint32_t loadOption) noexcept {
  if (int32_t check = CheckLanguageIndex(language); check != ORVN_OK) return check;
  LanguageEntry& entry = LanguageAt(language);
  if (entry.loadedSpeakers.Get() != 0) {
    SetLastError(ORVN_OK);
    return 0;
  }
  if (IsNullOrEmpty(databasePath)) return Fail(ORVN_ERR_INVALID_ARG);

  // Without memory for the directory string no engine can be asked: nothing
  // is loaded, as when every speaker is refused.
  const Directory directory = BuildDatabaseDirectory(databasePath);
  if (!directory) return kNothingLoaded;
  int32_t loaded = 0;
  for (int32_t speaker = 0; speaker < kLoadableSpeakers; ++speaker) {
    if (!TakeCapacity(language, speaker)) continue;
    if (LoadSpeaker(language, speaker, directory.get(), loadOption)) ++loaded;
  }
  entry.loadedSpeakers.Add(loaded);
  return loaded > 0 ? 0 : kNothingLoaded;
}

ORVN_API(int32_t)
ORVN_LoadEngineEx(int32_t language, int32_t speaker, const char* databasePath, uint32_t loadOption) noexcept {
  if (int32_t check = CheckVoiceIndex(language, speaker); check != ORVN_OK) return check;
  VoiceSlot& slot = SlotAt(language, speaker);
  if (slot.loaded.Get() == 1) {
    SetLastError(ORVN_OK);
    return 0;
  }
  if (IsNullOrEmpty(databasePath)) return Fail(ORVN_ERR_INVALID_ARG);

  const Directory directory = BuildDatabaseDirectory(databasePath);
  // A speaker without channels (speaker 10 always) is refused like an engine
  // refusal, without troubling the engine: a voice nobody can open a channel
  // on would only hold engine memory.
  if (!TakeCapacity(language, speaker) || !directory) {
    slot.Clear();
    return kNothingLoaded;
  }
  if (!LoadSpeaker(language, speaker, directory.get(), loadOption)) return kNothingLoaded;
  LanguageAt(language).loadedSpeakers.Add(1);
  return 0;
}

ORVN_API(void) ORVN_UnLoadEngine(int32_t language) noexcept {
  if (CheckLanguageIndex(language) != ORVN_OK) return;
  LanguageEntry& entry = LanguageAt(language);
  if (entry.loadedSpeakers.Get() != 0) {
    api::UnloadEffectDatabase(language);
    for (int32_t speaker = 0; speaker < kLoadableSpeakers; ++speaker) {
      VoiceSlot& slot = entry.speakers[speaker];
      if (slot.loaded.Get() != 1) continue;
      EngineFor(language).unload(speaker);
      slot.Clear();
    }
    entry.channelCapacity.Set(0);
    entry.channelsInUse.Set(0);
    entry.loadedSpeakers.Set(0);
  }
  SetLastError(ORVN_OK);
}

ORVN_API(void) ORVN_UnLoadEngineEx(int32_t language, int32_t speaker) noexcept {
  if (CheckVoiceIndex(language, speaker) != ORVN_OK) return;
  LanguageEntry& entry = LanguageAt(language);
  VoiceSlot& slot = entry.speakers[speaker];
  if (slot.loaded.Get() != 0) {
    if (entry.loadedSpeakers.Get() == 1) api::UnloadEffectDatabase(language);
    EngineFor(language).unload(speaker);
    entry.channelCapacity.Add(-slot.channelLimit.Get());
    entry.channelsInUse.Add(-slot.openChannels.Get());
    slot.Clear();
    entry.loadedSpeakers.Add(-1);
  }
  SetLastError(ORVN_OK);
}
