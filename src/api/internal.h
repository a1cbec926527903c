// The steps that several export families share: the library's own channels
// (file synthesis, live playback) are opened, shaped, spoken on and closed
// through these, exactly as through the exports of the same names, which
// are thin wrappers over them.
#pragma once

#include <cstdint>

#include "orven_api.h"

namespace orven::api {

enum class Reading { Text, Name, Sms };

// channels.cpp
ORVN_CHANNEL CreateChannel(void* userData, ORVN_SynthesisCallback callback, int32_t language, int32_t speaker);
void DeleteChannel(ORVN_CHANNEL channel);

// attributes.cpp
int32_t ChangeAttribute(ORVN_CHANNEL channel, const char* tag);

// information.cpp
void ReadDbInfo(int32_t language, int32_t speaker, ORVN_DbInfo* info);

// requests.cpp: a text, name or SMS request, and the same in PCM buffer mode.
int32_t Speak(ORVN_CHANNEL channel, const char* text, int32_t mode, Reading reading);
int32_t SpeakBuffered(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size, Reading reading);
int32_t StopSpeaking(ORVN_CHANNEL channel);

// dictionaries.cpp
int32_t LoadDictionary(ORVN_CHANNEL channel, const char* path, int32_t* entriesOrReason, int32_t* faultLine);
void UnloadDictionary(ORVN_CHANNEL channel);
// Unloads the language's user effect database if one is loaded. Takes no
// lock and leaves the last error alone.
void UnloadEffectDatabase(int32_t language);

// options.cpp. Which of the library's own channels the defaults go to:
// text-to-file channels also take lip sync, playback channels do not;
// neither takes the highlight default.
enum class DefaultsFor { TextToFile, Playback };
// Applies the library-wide option defaults to a channel the library has
// just created, through the option setters, in a fixed order: byte swap,
// character set, text format, lip sync (text-to-file only), pause length
// (always), read-gwalho, sentence delimiter. A default other than 1 is not
// passed on, so the channel keeps its engine's own setting.
void ApplyOptionDefaults(ORVN_CHANNEL channel, DefaultsFor target);

}  // namespace orven::api
