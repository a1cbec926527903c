// Removal of angle-bracket markup from a text.
#pragma once

#include <cstddef>

#include "text/utf8.h"

namespace orven::text {

// Output buffer size for a text of `length` bytes (one byte for the empty
// text, whose copy still needs its terminator).
constexpr size_t MarkupCapacity(size_t length) { return length == 0 ? 1 : 2 * length; }

// Gives the text without its tags: every span from a "<" to the next ">",
// both included, is removed and nothing takes its place; a text without
// tags comes back as a copy. The tags are well formed when the "<" and ">"
// of the text alternate, starting with "<" and ending with ">"; otherwise
// the last error becomes ORVN_ERR_MARKUP (-22) and nothing is given. A null
// text, or no memory, gives nothing and leaves the last error alone.
Converted StripMarkup(const char* text);

}  // namespace orven::text
