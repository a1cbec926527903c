// text_decoding.h - the engines' text, in each language's own code, back to
// characters: the exact inverse of the library's conversions from UTF-8
// (src/text/code_pages.h), built from the same tables
// (contract/tables/code_tables.h).
//
// Every routine replaces the contents of `out` (reusing its capacity) with
// one character per step; a step consumes one or two bytes (one to four for
// UTF-8), so `out` never holds more characters than `bytes` has bytes. The
// reverse tables are built once, thread-safely, on first use; decoding
// itself allocates nothing beyond growing `out` (which may throw
// std::bad_alloc).
#pragma once

#include <string>
#include <string_view>

namespace syn {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Code page 949 as the library produces it: ASCII, Hangul syllables and
// spaces. ASCII bytes stand for themselves. A lead byte 0x81..0xFE followed
// by one of code page 949's trail bytes for that lead (0x41..0x5A,
// 0x61..0x7A, 0x81..0xFE after leads up to 0xC6; 0xA1..0xFE after the
// others) is a two-byte code: a Hangul syllable's code gives the syllable,
// any other code U+FFFD. Any other byte of 0x80 and above (a lead without a
// trail after it, 0x80, 0xFF) gives U+FFFD for itself alone.
void DecodeKorean(std::string_view bytes, std::u32string& out);

// Code page 936 as the library produces it: bytes below 0x80 stand for
// themselves and 0x80 is U+20AC. A byte 0x81..0xFE and the byte after it
// that form a code of the Chinese table give the unit with that code; bytes
// 0x81..0xFF that do not start such a code give the Latin-1 unit of the same
// value (the library sends U+0081..U+00FF as one byte each), except that
// FF FF, which the library sends for a character it cannot encode, gives
// U+FFFD. Only the table's entries of units U+0100 and above are reversed:
// the library never sends the two-byte codes that the table also lists for
// some Latin-1 units.
void DecodeChinese(std::string_view bytes, std::u32string& out);

// Shift_JIS as the library produces it: every single-byte code of the
// Japanese table (ASCII, with 0x2E as '.' although U+00B7 is sent as 0x2E
// too; 0xA1..0xDF as the half-width katakana U+FF61..U+FF9F) and every
// two-byte code (leads 0x81..0x9F and 0xE0..0xFC, trails 0x40..0x7E and
// 0x80..0xFC) give their unit. A two-byte code the table lacks gives U+FFFD
// for both bytes; any other byte (0x80, 0xA0, 0xFD..0xFF, a lead without a
// trail after it) U+FFFD for itself alone.
void DecodeJapanese(std::string_view bytes, std::u32string& out);

// UTF-8: each well-formed sequence gives its code point; every byte that is
// not part of one (a stray continuation byte, a truncated or overlong
// sequence, a surrogate, a value above U+10FFFF, 0xC0, 0xC1, 0xF5..0xFF)
// gives one U+FFFD. A leading byte-order mark is skipped.
void DecodeEnglish(std::string_view bytes, std::u32string& out);

// Decodes the text of a language engine: 0 Korean, 1 English, 2 Chinese,
// 3 Japanese; any other value is read as UTF-8.
void DecodeText(int language, std::string_view bytes, std::u32string& out);

// The other way, for the synthesisers that read UTF-8: appends `text`;
// code points that are no characters (surrogates, above U+10FFFF) become U+FFFD.
void AppendUtf8(std::u32string_view text, std::string& out);

}  // namespace syn
