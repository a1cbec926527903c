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

// SSE2 where the target has it (always on x86-64; not by default on 32-bit
// x86); defining ORVEN_TEXT_PORTABLE selects the portable code anyway, so
// that its tests can run on any machine.
#if defined(__SSE2__) && !defined(ORVEN_TEXT_PORTABLE)
#define ORVEN_MARKUP_SSE2 1
#include <emmintrin.h>
#else
#define ORVEN_MARKUP_SSE2 0
#endif

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
// an output, wide stores run ahead of the copied bytes; they stay inside a
// buffer of `length` bytes, since each ends by the input offset it copies
// from plus its width, which is at most `length`.
long long Walk(const unsigned char* in, size_t length, unsigned char* out) {
  bool inTag = false;
  size_t i = 0;
  size_t o = 0;
  for (;;) {
    // Skip or copy up to the next bracket: sixteen bytes at a time where
    // SSE2 is at hand, then eight, then one. Sixteen-byte stores run ahead
    // of the copied bytes by up to fifteen bytes and stay inside the buffer
    // as the eight-byte ones do.
    bool found = false;
#if ORVEN_MARKUP_SSE2
    const __m128i opens = _mm_set1_epi8('<');
    const __m128i closes = _mm_set1_epi8('>');
    // A bracket ends a loop through a branch: a block without one then
    // advances by a constant, so that the next load need not wait for this
    // block's search.
    while (!found && i + 16 <= length) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      const auto marks =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, opens), _mm_cmpeq_epi8(x, closes))));
      if (!inTag && out != nullptr) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), x);
      if (marks != 0) {
        const auto run = static_cast<size_t>(std::countr_zero(marks));
        i += run;
        if (!inTag) o += run;
        found = true;
        break;
      }
      i += 16;
      if (!inTag) o += 16;
    }
#endif
    while (!found && i + 8 <= length) {
      const uint64_t w = Load64(in + i);
      const uint64_t marks = BracketBytes(w);
      if (!inTag && out != nullptr) Store64(out + o, w);
      if (marks != 0) {
        const auto run = static_cast<size_t>(std::countr_zero(marks)) >> 3;
        i += run;
        if (!inTag) o += run;
        found = true;
        break;
      }
      i += 8;
      if (!inTag) o += 8;
    }
    while (!found && i < length) {
      found = in[i] == '<' || in[i] == '>';
      if (found) break;
      if (!inTag && out != nullptr) out[o] = in[i];
      if (!inTag) ++o;
      ++i;
    }
    if (!found) break;
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

MarkupStatus StripMarkup(const char* text, Converted& out) {
  out = Converted{};
  if (text == nullptr) return MarkupStatus::kNoMemory;
  const size_t length = std::strlen(text);
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  auto* buffer = static_cast<unsigned char*>(std::malloc(MarkupCapacity(length)));
  const long long kept = Walk(in, length, buffer);
  if (kept < 0) {
    std::free(buffer);
    return MarkupStatus::kMalformed;
  }
  if (buffer == nullptr) return MarkupStatus::kNoMemory;
  buffer[kept] = 0;
  out.bytes.reset(reinterpret_cast<char*>(buffer));
  out.length = static_cast<size_t>(kept);
  return MarkupStatus::kStripped;
}

}  // namespace orven::text
