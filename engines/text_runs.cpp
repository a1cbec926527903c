// text_runs.cpp - inline tags and sentence pieces.
#include "text_runs.h"

#include <algorithm>
#include <string>

namespace syn {
namespace {

bool IsControl(char32_t c) noexcept { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
bool IsBlank(char32_t c) noexcept { return c == U' ' || c == U'\t' || c == 0x3000 || c == U'\r'; }

bool IsSentenceEnd(char32_t c) noexcept {
  switch (c) {
    case U'.':
    case U'!':
    case U'?':
    case U'\n':
    case 0x3002:
    case 0xFF01:
    case 0xFF0E:
    case 0xFF1F:
      return true;
    default:
      return false;
  }
}

bool IsClauseMark(char32_t c) noexcept {
  switch (c) {
    case U',':
    case U';':
    case U':':
    case 0x3001:
    case 0xFF0C:
    case 0xFF1B:
    case 0xFF1A:
      return true;
    default:
      return false;
  }
}

bool IsCloser(char32_t c) noexcept {
  return c == U'"' || c == U'\'' || c == U')' || c == 0x300D || c == 0x300F || c == 0xFF09;
}

// Where the tag starting at text[0] == '<' ends (one past its '>'), or 0 when it is no tag.
std::size_t TagLength(std::u32string_view text) noexcept {
  const std::size_t limit = std::min(text.size(), kMaxTagLength + 1);
  for (std::size_t i = 1; i < limit; ++i) {
    if (text[i] == U'>') return i + 1;
    if (text[i] == U'<' || IsControl(text[i])) return 0;
  }
  return 0;
}

// Applies a tag's attributes when it is one of ours and well formed; anything else changes nothing.
void ApplyTag(std::u32string_view tag, Attributes& prosody) noexcept {
  char narrow[kMaxTagLength + 2];
  for (std::size_t i = 0; i < tag.size(); ++i) {
    if (tag[i] >= 0x80) return;
    narrow[i] = static_cast<char>(tag[i]);
  }
  ParseAttributeTags(std::string_view(narrow, tag.size()), prosody);
}

}  // namespace

void SplitTaggedText(std::u32string_view text, Attributes prosody, std::vector<TextRun>& out) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t tag = text[i] == U'<' ? TagLength(text.substr(i)) : 0;
    if (tag == 0) {
      ++i;
      continue;
    }
    if (i > start) out.push_back({text.substr(start, i - start), prosody});
    ApplyTag(text.substr(i, tag), prosody);
    i += tag;
    start = i;
  }
  if (start < text.size()) out.push_back({text.substr(start), prosody});
}

namespace {

// The first cut of `text` no later than its hard limit, where a clause mark cuts once the piece has `minClause`
// characters and a blank once it has `softLimit`; the sentence ends, closers and blanks right after a cut stay with
// the piece.
std::size_t PieceLength(std::u32string_view text, std::size_t minClause, std::size_t softLimit) noexcept {
  const std::size_t limit = std::min(text.size(), kHardPieceLimit);
  std::size_t cut = 0;
  for (std::size_t i = 0; i < limit && cut == 0; ++i) {
    const char32_t c = text[i];
    if (IsSentenceEnd(c) || (IsClauseMark(c) && i + 1 >= minClause) || (IsBlank(c) && i >= softLimit)) cut = i + 1;
  }
  if (cut == 0) return limit;
  // "?!", "...", a closing quote or bracket and the blanks after them stay with the piece.
  while (cut < text.size() && (IsBlank(text[cut]) || IsSentenceEnd(text[cut]) || IsCloser(text[cut]))) ++cut;
  return cut;
}

}  // namespace

std::size_t FirstPieceLength(std::u32string_view text) noexcept {
  return PieceLength(text, kMinClauseCut, kSoftPieceLimit);
}

std::size_t OpeningPieceLength(std::u32string_view text) noexcept { return PieceLength(text, 1, kOpeningSoftLimit); }

}  // namespace syn
