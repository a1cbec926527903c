// UTF-8 to the national codes of the Korean, Chinese and Japanese engines.
#pragma once

#include <cstddef>

#include "text/utf8.h"

namespace orven::text {

// Output buffer sizes, from the input's byte length L.
constexpr size_t KoreanCapacity(size_t length) { return 2 * length + 2; }
constexpr size_t ChineseCapacity(size_t length) { return 2 * length + 20; }
constexpr size_t JapaneseCapacity(size_t length) { return 2 * length + 2; }

// Each routine takes a zero-terminated text, gives nothing when it is not
// valid UTF-8 (CheckUtf8), when it is null, or when memory runs out, and
// otherwise a new zero-terminated text in a buffer of the capacity above.
// The bytes after the terminator are unspecified (callers read up to the
// terminator). None sets the last error.

// Code page 949: ASCII as it is, each Hangul syllable U+AC00..U+D7A3 as its
// two bytes, every other three-byte character as one space, and every byte
// of any other character as one space (a two-byte character gives two). A
// leading byte-order mark stays and becomes one space.
Converted Utf8ToKorean(const char* text);

// Code page 936, through Utf8ToUtf16 (which drops a leading byte-order
// mark): units below U+0100 give their low byte, the others the Chinese
// table's entry: one byte, two bytes, or FF FF when unmapped.
Converted Utf8ToChinese(const char* text);

// Shift_JIS, through Utf8ToUtf16: every unit gives the Japanese table's
// entry, one byte or two, and "?" when unmapped.
Converted Utf8ToJapanese(const char* text);

}  // namespace orven::text
