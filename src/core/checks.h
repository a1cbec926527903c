// The shared checks that open nearly every export. Each stores its failure
// code in the last error and returns it; 0 means the check passed.
#pragma once

#include <cstdint>

#include "orven_api.h"

namespace orven {

// The language and speaker read from a channel handle that passed the check.
struct ChannelSlot {
  int32_t language;
  int32_t speaker;
};

// The index checks every entry starts with: -100 not initialised, -13
// language index outside 0..3, and for a voice -7 speaker outside 0..10.
int32_t CheckLanguageIndex(int32_t language);
int32_t CheckVoiceIndex(int32_t language, int32_t speaker);

// -100 not initialised, -8 null handle, -13 language, -7 speaker, -10 not loaded.
int32_t ValidateChannel(ORVN_CHANNEL handle, ChannelSlot* slot);
// -100, -13, -7, -10.
int32_t ValidateVoice(int32_t language, int32_t speaker);
// -100, -13, -10 (no speaker of the language loaded).
int32_t ValidateLanguage(int32_t language);

// Reads the two leading fields of an engine's channel record.
ChannelSlot ReadChannelHead(ORVN_CHANNEL handle);

// A required text or path that is missing: null or empty (-6 for its caller).
inline bool IsNullOrEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

}  // namespace orven
