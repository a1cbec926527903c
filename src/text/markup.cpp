// Removal of angle-bracket markup.
//
// The "<" at offsets o(1) < ... < o(n) and the ">" at g(1) < ... < g(m) are
// well formed when n = m, o(k) < g(k) and g(k) < o(k+1): that is, when the
// brackets alternate "<", ">", "<", ">", ... So one pass with an in-tag flag
// both checks the text and copies what lies outside the tags.
#include "text/markup.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "api/library.h"

namespace orven::text {

using detail::kHighBits;
using detail::Load64;
using detail::Store64;

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;

// Top bit set in each byte of `w` equal to "<" or ">". Exact (no false
// positives), so the lowest flag always names a bracket.
inline uint64_t BracketBytes(uint64_t w) {
  const uint64_t low7 = ~kHighBits;
  auto equal = [&](uint64_t pattern) {
    const uint64_t x = w ^ pattern;
    return ~(((x & low7) + low7) | x) & kHighBits;
  };
  return equal(kOnes * '<') | equal(kOnes * '>');
}

// Walks the text; copies the bytes outside tags to `out` when it is given.
// Returns the bytes copied, or -1 when the markup is not well formed. With
// an output, eight-byte stores run ahead of the copied bytes by up to seven
// bytes; they stay inside a buffer of `length` bytes.
long long Walk(const unsigned char* in, size_t length, unsigned char* out) {
  bool inTag = false;
  size_t i = 0;
  size_t o = 0;
  for (;;) {
    // Skip or copy eight bytes at a time up to the next bracket.
    while (i + 8 <= length) {
      const uint64_t w = Load64(in + i);
      const uint64_t marks = BracketBytes(w);
      if (!inTag && out != nullptr) Store64(out + o, w);
      const size_t run = marks == 0 ? 8 : static_cast<size_t>(std::countr_zero(marks)) >> 3;
      i += run;
      if (!inTag) o += run;
      if (marks != 0) break;
    }
    if (i + 8 > length) {
      // Fewer than eight bytes left: find the next bracket byte by byte.
      while (i < length && in[i] != '<' && in[i] != '>') {
        if (!inTag && out != nullptr) out[o] = in[i];
        if (!inTag) ++o;
        ++i;
      }
      if (i == length) break;
    }
    // in[i] is a bracket.
    const bool open = in[i] == '<';
    if (open == inTag) return -1;  // "<" inside a tag or ">" outside one
    inTag = open;
    ++i;
  }
  if (inTag) return -1;  // a "<" without its ">"
  return static_cast<long long>(o);
}

}  // namespace

Converted StripMarkup(const char* text) {
  if (text == nullptr) return {};
  const size_t length = std::strlen(text);
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  auto* out = static_cast<unsigned char*>(std::malloc(MarkupCapacity(length)));
  // Without memory the walk still decides whether the markup was at fault.
  const long long kept = Walk(in, length, out);
  if (kept < 0) {
    std::free(out);
    Fail(ORVN_ERR_MARKUP);
    return {};
  }
  if (out == nullptr) return {};
  out[kept] = 0;
  Converted result;
  result.bytes.reset(reinterpret_cast<char*>(out));
  result.length = static_cast<size_t>(kept);
  return result;
}

}  // namespace orven::text
