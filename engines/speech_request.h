// speech_request.h - one request's text through a backend to the channel's
// chunks: inline tags, pieces, and where the audio waits (if it waits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pcm_output.h"      // ChunkTarget
#include "speech_backend.h"  // SpeechBackend, Attributes

namespace syn {

// Speaks `characters` (decoded text with its inline tags) through `backend`,
// starting with `prosody`. Tags cut the text into runs (SplitTaggedText),
// runs are cut into pieces of a sentence or less (the opening piece by
// OpeningPieceLength, the others by FirstPieceLength), and each piece goes
// to the backend on its own. The audio is converted to
// `rate` and leaves in chunks of `chunkSamples` (the last one shorter) to
// `target`, whose stop flag is checked before every chunk.
//
// A Serialised backend's piece is collected first and delivered after Speak
// returns, so the callback never runs under the backend's lock; any other
// backend's audio goes on to the callback as the backend writes it.
// False when the request was stopped or a step failed.
bool SpeakText(const SpeechBackend& backend, std::u32string_view characters, const Attributes& prosody, int32_t rate,
               std::size_t chunkSamples, const ChunkTarget& target);

}  // namespace syn
