// What live playback takes from the rest of the library, in one place. The
// controller is written against these; the library's playback family
// (src/api/playback.cpp) defines them over its own steps, so playback
// reaches no export and no library state directly.
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

// Whether a user dictionary is registered for playback, and its path.
bool DictionaryRegistered();
void RegisteredDictionaryPath(char* path, size_t size);

// The playback channel's life, through the library's own steps (the same
// as the exports of the same purpose): the voice's database information,
// channel creation, the attribute tag, the registered dictionary, the
// option defaults a playback channel takes, a request in PCM buffer mode,
// the stop, and deletion.
void ReadVoiceInfo(int32_t language, int32_t speaker, ORVN_DbInfo* info);
ORVN_CHANNEL OpenChannel(void* userData, ORVN_SynthesisCallback callback, int32_t language, int32_t speaker);
void ApplyAttributeTag(ORVN_CHANNEL channel, const char* tag);
void LoadRegisteredDictionary(ORVN_CHANNEL channel, const char* path);
void UnloadRegisteredDictionary(ORVN_CHANNEL channel);
void ApplyPlaybackOptionDefaults(ORVN_CHANNEL channel);
int32_t SpeakInChunks(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t chunkBytes);
void StopChannel(ORVN_CHANNEL channel);
void CloseChannel(ORVN_CHANNEL channel);

}  // namespace orven::playback
