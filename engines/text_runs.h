// text_runs.h - cutting a decoded text into what a synthesiser is handed:
// runs of text with their prosody (inline attribute tags change it from
// where they stand), and pieces of a run small enough to synthesise at once.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "text_rules.h"  // Attributes

namespace syn {

// A stretch of text spoken with one prosody.
struct TextRun {
  std::u32string_view text;
  Attributes prosody;
};

// The longest tag we look for; a '<' without a '>' this close is plain text.
inline constexpr std::size_t kMaxTagLength = 64;

// Appends to `out` the runs of `text`, starting with `prosody`. A tag is a
// '<' with a '>' at most kMaxTagLength characters later and no '<' or
// control character between them. <volume="N">, <speed="N"> and <pitch="N">
// (several may stand in one tag text, as ChangeTTSAttr takes them) change the
// prosody from that point on, clamped like ChangeTTSAttr's values; every
// other tag is dropped unspoken. Runs are never empty; their views point
// into `text`.
void SplitTaggedText(std::u32string_view text, Attributes prosody, std::vector<TextRun>& out);

// The length of the first piece of `text`: up to and including the first
// sentence end (. ! ? and their full-width forms, 。, a line feed) and the
// sentence ends, closing quotes or brackets and blanks right after it; at a clause mark (, ; : 、 ，) once the piece
// has kMinClauseCut characters; at a blank once it has kSoftPieceLimit; and never longer than kHardPieceLimit. 0 only
// for an empty text.
inline constexpr std::size_t kMinClauseCut = 40;
inline constexpr std::size_t kSoftPieceLimit = 160;
inline constexpr std::size_t kHardPieceLimit = 240;
std::size_t FirstPieceLength(std::u32string_view text) noexcept;

// The length of the opening piece of a request, whose synthesis stands
// between the request and its first audio: as FirstPieceLength, but cut at
// any clause mark, and at a blank once the piece has kOpeningSoftLimit
// characters, so that a long first sentence does not hold the first chunk
// back (a synthesiser analyses a whole piece before it makes any sound).
inline constexpr std::size_t kOpeningSoftLimit = 60;
std::size_t OpeningPieceLength(std::u32string_view text) noexcept;

}  // namespace syn
