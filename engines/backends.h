// backends.h - the synthesisers behind SpeechBackend (internal to SYNCORE).
#pragma once

#include <memory>

#include "speech_backend.h"

namespace syn {

// The deterministic tone voice (tone.h) at the voice's own rate.
std::shared_ptr<const SpeechBackend> MakeToneBackend(int32_t rate);

#if ORVEN_HAVE_SPEECH
// libespeak-ng: one synthesiser for the whole process, used under one lock.
// `kanaReadings` first turns Japanese text into katakana through MeCab.
BackendError MakeEspeakBackend(const char* voice, bool kanaReadings, std::shared_ptr<const SpeechBackend>& out);
// libflite with one of its linked-in English voices.
BackendError MakeFliteBackend(const char* voice, std::shared_ptr<const SpeechBackend>& out);
#endif

}  // namespace syn
