// Helpers shared by the text tests.
#pragma once

#include <malloc.h>

#include <cstdint>
#include <string>

#include "text/utf8.h"

namespace orven::text::testing {

// The UTF-8 form of a code point up to 0x7FFFFFFF, in the shortest form the
// six-byte scheme allows.
inline std::string Utf8(uint32_t cp) {
  std::string s;
  auto add = [&s](uint32_t b) { s += static_cast<char>(b); };
  if (cp < 0x80) {
    add(cp);
  } else if (cp < 0x800) {
    add(0xC0 | (cp >> 6));
    add(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    add(0xE0 | (cp >> 12));
    add(0x80 | ((cp >> 6) & 0x3F));
    add(0x80 | (cp & 0x3F));
  } else if (cp < 0x200000) {
    add(0xF0 | (cp >> 18));
    add(0x80 | ((cp >> 12) & 0x3F));
    add(0x80 | ((cp >> 6) & 0x3F));
    add(0x80 | (cp & 0x3F));
  } else if (cp < 0x4000000) {
    add(0xF8 | (cp >> 24));
    for (int shift = 18; shift >= 0; shift -= 6) add(0x80 | ((cp >> shift) & 0x3F));
  } else {
    add(0xFC | (cp >> 30));
    for (int shift = 24; shift >= 0; shift -= 6) add(0x80 | ((cp >> shift) & 0x3F));
  }
  return s;
}

inline std::string Bytes(std::initializer_list<unsigned> list) {
  std::string s;
  for (unsigned b : list) s += static_cast<char>(b);
  return s;
}

// The converted text as a string, or "<nothing>".
inline std::string Text(const Converted& c) {
  if (!c) return "<nothing>";
  return std::string(c.bytes.get(), c.length);
}

// Hex dump for readable failure messages.
inline std::string Hex(const std::string& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : s) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// Bytes the heap block behind `c` holds (ASan reports the size asked for).
inline size_t BlockSize(const Converted& c) { return malloc_usable_size(c.bytes.get()); }

}  // namespace orven::text::testing
