#include "playback/library_link.h"

#include <cstdio>

#include "api/checks.h"
#include "api/library.h"
#include "options/option_defaults.h"
#include "options/user_dictionaries.h"

namespace orven::playback {

int32_t CheckPlaybackVoice(int32_t language, int32_t speaker) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (!IsValidLanguage(language)) return Fail(ORVN_ERR_LANGUAGE);
  // Playback reports a bad speaker index with a code of its own.
  if (!IsValidSpeaker(speaker)) return Fail(ORVN_ERR_PLAY_SPEAKER);
  return ValidateVoice(language, speaker);
}

int32_t FailPlayback(int32_t code) { return Fail(code); }

int32_t PlaybackRate() { return g_library.playbackRate.load(std::memory_order_relaxed); }

void SetPlaybackRate(int32_t rate) { g_library.playbackRate.store(rate, std::memory_order_relaxed); }

void ApplyPlaybackOptionDefaults(ORVN_CHANNEL channel) { ApplyOptionDefaults(channel, DefaultsFor::Playback); }

bool DictionaryRegistered() { return g_registeredDictionary.registered.load(std::memory_order_acquire) != 0; }

void RegisteredDictionaryPath(char* path, size_t size) {
  std::snprintf(path, size, "%s", g_registeredDictionary.path);
}

}  // namespace orven::playback
