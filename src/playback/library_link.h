// What live playback needs of the rest of the library, in one place: the
// voice check, the last error, the playback rate, the option defaults and
// the registered user dictionary.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orven_api.h"

namespace orven::playback {

// -100 not initialised, -13 language outside 0..3, -14 speaker outside
// 0..10, -10 voice not loaded; each stored in the last error. 0: playable.
int32_t CheckPlaybackVoice(int32_t language, int32_t speaker);
// Stores a failure code in the last error and hands it back.
int32_t FailPlayback(int32_t code);

// The library-wide playback rate, shared with the file entries.
int32_t PlaybackRate();
void SetPlaybackRate(int32_t rate);

// The library-wide option defaults that a playback channel takes.
void ApplyPlaybackOptionDefaults(ORVN_CHANNEL channel);

// Whether a user dictionary is registered for playback, and its path.
bool DictionaryRegistered();
void RegisteredDictionaryPath(char* path, size_t size);

}  // namespace orven::playback
