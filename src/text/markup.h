// Removal of angle-bracket markup from a text.
#pragma once

#include <cstddef>

#include "text/utf8.h"

namespace orven::text {

// Output buffer size for a text of `length` bytes (one byte for the empty
// text, whose copy still needs its terminator).
constexpr size_t MarkupCapacity(size_t length) { return length == 0 ? 1 : 2 * length; }

enum class MarkupStatus {
  kStripped,   // `out` holds the text without its tags
  kMalformed,  // the "<" and ">" do not alternate; `out` is empty
  kNoMemory,   // no memory for the result (or a null text); `out` is empty
};

// Gives the text without its tags: every span from a "<" to the next ">",
// both included, is removed and nothing takes its place; a text without
// tags comes back as a copy. The tags are well formed when the "<" and ">"
// of the text alternate, starting with "<" and ending with ">". Without
// memory the text is still checked, so a malformed text is reported as
// such either way.
MarkupStatus StripMarkup(const char* text, Converted& out);

}  // namespace orven::text
