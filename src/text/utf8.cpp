// UTF-8 validity check and UTF-8 to UTF-16LE decoding.
#include "text/utf8.h"

#include <bit>
#include <cstdlib>
#include <cstring>

namespace orven::text {

using detail::kHighBits;
using detail::Load64;

void FreeDeleter::operator()(char* p) const noexcept { std::free(p); }

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Bytes consumed by a sequence with this lead byte, before clipping at the
// end of the input: 1 for ASCII and for bytes that start no sequence.
inline size_t SequenceLength(uint32_t lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  if (lead < 0xFC) return 5;
  if (lead < 0xFE) return 6;
  return 1;
}

// One sequence at `in`, with `left` >= 1 bytes remaining; stores its unit at
// `out` and returns the bytes consumed. The careful path: used near the end
// of the input and for everything that is not a complete two- or three-byte
// sequence.
inline size_t DecodeOne(const unsigned char* in, size_t left, unsigned char* out) {
  const uint32_t b0 = in[0];
  if (b0 < 0x80) {
    detail::Store16(out, b0);
    return 1;
  }
  size_t length = SequenceLength(b0);
  uint32_t unit = kReplacement;
  if (b0 < 0xC0 || b0 >= 0xFE) {
    length = 1;
  } else if (length > left) {
    length = left;
  } else if (length == 2) {
    unit = ((b0 & 0x1F) << 6) | (in[1] & 0x3Fu);
  } else if (length == 3) {
    unit = ((b0 & 0x0F) << 12) | ((in[1] & 0x3Fu) << 6) | (in[2] & 0x3Fu);
  }
  detail::Store16(out, unit);
  return length;
}

// Spreads eight ASCII bytes into eight UTF-16LE units (sixteen bytes).
inline void Widen8(uint64_t w, unsigned char* out) {
  uint64_t lo = w & 0xFFFFFFFFull;
  uint64_t hi = w >> 32;
  lo = (lo | (lo << 16)) & 0x0000FFFF0000FFFFull;
  lo = (lo | (lo << 8)) & 0x00FF00FF00FF00FFull;
  hi = (hi | (hi << 16)) & 0x0000FFFF0000FFFFull;
  hi = (hi | (hi << 8)) & 0x00FF00FF00FF00FFull;
  detail::Store64(out, lo);
  detail::Store64(out + 8, hi);
}

}  // namespace

// The text walks as UTF-8 exactly when every position that a lead byte
// before it owes a continuation byte holds one (80..BF), no other position
// holds one, nothing is owed past the end, and FE/FF occur nowhere: a lead
// landing where a continuation is owed, or a continuation nobody owes, shows
// as a difference. A lead owes the 1..5 positions after it when it is at
// least C0, E0, F0, F8 or FC respectively. Put that way each position is
// checked on its own from the five bytes before it, which the compiler turns
// into vector code for the bulk of the text; the first eight positions and
// the last ones are checked one by one.
namespace {

constexpr unsigned char kOwesAtDistance[6] = {0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};

inline bool OwedAt(const unsigned char* p, size_t n, size_t k) {
  bool owed = false;
  for (size_t d = 1; d <= 5; ++d) owed |= k >= d && k - d < n && p[k - d] >= kOwesAtDistance[d];
  return owed;
}

inline bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

// Checks positions [from, to) of the `length` bytes at `p`, reading up to
// five bytes before each. `longLeadBefore` carries, from one range to the
// next, whether the last block held a byte F0..FF.
bool detail::CheckRange(const unsigned char* p, size_t length, size_t from, size_t to, bool& longLeadBefore) {
  size_t k = from;
  for (; k < to && k < 8; ++k) {
    if (IsContinuation(p[k]) != OwedAt(p, length, k) || p[k] >= 0xFE) return false;
    longLeadBefore |= p[k] >= 0xF0;
  }
  // Blocks of 64 positions. Most text has no lead of four bytes or more
  // (F0..FF), and then only the two bytes before a position can owe it a
  // continuation byte; a block where one of F0..FF occurs, or did in the
  // block before (its leads reach up to five positions ahead), is checked
  // again with all five.
  for (; k + 64 <= to; k += 64) {
    unsigned char fault = 0;
    unsigned char highest = 0;
    for (size_t j = 0; j < 64; ++j) {
      const unsigned char* q = p + k + j;
      const auto owed = static_cast<unsigned char>((q[-1] >= 0xC0) | (q[-2] >= 0xE0));
      fault |= static_cast<unsigned char>(owed ^ static_cast<unsigned char>(IsContinuation(q[0])));
      highest = q[0] > highest ? q[0] : highest;
    }
    const bool longLead = highest >= 0xF0;
    if (longLead || longLeadBefore) {
      fault = 0;
      for (size_t j = 0; j < 64; ++j) {
        const unsigned char* q = p + k + j;
        const auto owed = static_cast<unsigned char>((q[-1] >= 0xC0) | (q[-2] >= 0xE0) | (q[-3] >= 0xF0) |
                                                     (q[-4] >= 0xF8) | (q[-5] >= 0xFC));
        const auto continuation = static_cast<unsigned char>(IsContinuation(q[0]));
        fault |= static_cast<unsigned char>((owed ^ continuation) | (q[0] >= 0xFE));
      }
    }
    if (fault != 0) return false;
    longLeadBefore = longLead;
  }
  for (; k < to; ++k) {
    if (IsContinuation(p[k]) != OwedAt(p, length, k) || p[k] >= 0xFE) return false;
    longLeadBefore |= p[k] >= 0xF0;
  }
  // Nothing may be owed past the end: a sequence cut off.
  if (to == length) {
    for (; k < length + 5; ++k) {
      if (OwedAt(p, length, k)) return false;
    }
  }
  return true;
}

bool CheckUtf8(const char* text, size_t length) {
  if (length == 0) return true;
  if (text == nullptr) return false;
  bool longLeadBefore = false;
  return detail::CheckRange(reinterpret_cast<const unsigned char*>(text), length, 0, length, longLeadBefore);
}

size_t detail::Utf8ToUtf16Units(const unsigned char* in, size_t n, unsigned char* output) {
  output[0] = 0xFF;
  output[1] = 0xFE;
  if (n >= 3 && in[0] == 0xEF && in[1] == 0xBB && in[2] == 0xBF) {
    in += 3;
    n -= 3;
  }
  return DecodeUtf16(in, n, output + 2);
}

size_t detail::DecodeUtf16(const unsigned char* in, size_t n, unsigned char* out) {
  size_t i = 0;
  size_t o = 0;  // bytes of units written
  // While nine input bytes remain, reads of the next eight need no bounds
  // checks, and the sixteen bytes Widen8 stores end within the first 2n
  // bytes of the output (each unit so far consumed at least one byte; the
  // mark and the skipped byte-order mark only widen the margin), which
  // Utf8ToUtf16 zeroes beyond the last unit anyway.
  while (i + 9 <= n) {
    const uint64_t w = Load64(in + i);
    const uint64_t high = w & kHighBits;
    Widen8(w, out + o);
    if (high == 0) {
      i += 8;
      o += 16;
      continue;
    }
    // Keep the ASCII bytes before the first non-ASCII one; the rest of what
    // Widen8 stored is overwritten below.
    const size_t ascii = static_cast<size_t>(std::countr_zero(high)) >> 3;
    i += ascii;
    o += 2 * ascii;
    // A run of multi-byte sequences, each starting at least nine bytes
    // before the end. Two- and three-byte ones take the straight path; the
    // rest go through DecodeOne.
    while (i + 9 <= n && in[i] >= 0x80) {
      const uint32_t b0 = in[i];
      if (b0 - 0xC0u < 0x30u) {
        const uint32_t b1 = in[i + 1] & 0x3Fu;
        const uint32_t b2 = in[i + 2] & 0x3Fu;
        const bool three = b0 >= 0xE0;
        const uint32_t unit = three ? ((b0 & 0x0F) << 12) | (b1 << 6) | b2 : ((b0 & 0x1F) << 6) | b1;
        detail::Store16(out + o, unit);
        i += three ? 3 : 2;
      } else {
        i += DecodeOne(in + i, n - i, out + o);
      }
      o += 2;
    }
  }
  while (i < n) {
    i += DecodeOne(in + i, n - i, out + o);
    o += 2;
  }
  return o / 2;
}

size_t Utf8ToUtf16(const char* text, size_t length, unsigned char* output) {
  if (output == nullptr) return 0;
  if (text == nullptr) length = 0;
  const size_t units = detail::Utf8ToUtf16Units(reinterpret_cast<const unsigned char*>(text), length, output);
  const size_t written = 2 + 2 * units;
  if (written < 2 * length) std::memset(output + written, 0, 2 * length - written);
  return written;
}

}  // namespace orven::text
