// UTF-8 validity check and UTF-8 to UTF-16LE decoding, plus the owned-text
// result shared by the text conversion and markup routines.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace orven::text {

// Every routine that hands back a new text allocates it with std::malloc, so
// that the request path can release it like any other runtime buffer.
struct FreeDeleter {
  void operator()(char* p) const noexcept;
};
using OwnedText = std::unique_ptr<char[], FreeDeleter>;

// A converted or stripped text. `bytes` is null when the routine gives
// nothing (invalid input, malformed markup or no memory); otherwise it is
// zero-terminated and `length` equals strlen(bytes.get()).
struct Converted {
  OwnedText bytes;
  size_t length = 0;

  explicit operator bool() const noexcept { return bytes != nullptr; }
};

// Buffer sizes the routines work with, from the input's byte length. They fix
// the worst case, so no routine ever grows a buffer.
constexpr size_t Utf16Capacity(size_t length) { return 2 * length + 2; }

// True when `length` bytes at `text` walk as UTF-8 sequences of one to six
// bytes: a lead byte 00..7F, C0..DF, E0..EF, F0..F7, F8..FB or FC..FD followed
// by 0, 1, 2, 3, 4 or 5 bytes in 80..BF, none cut off by the end. Overlong
// forms, surrogates and values above U+10FFFF pass. The empty text is valid.
bool CheckUtf8(const char* text, size_t length);

// Writes the mark FF FE and the UTF-16LE units of `text` to `output`, which
// must hold at least Utf16Capacity(length) bytes, and returns the bytes
// written, the mark included. A leading EF BB BF is skipped. The first
// 2 * length bytes of `output` end up zero wherever no unit was written.
//
// Sequences of one to three bytes give their code unit, with the continuation
// bytes' low six bits taken as they are. Everything that cannot become one
// unit gives one U+FFFD (the replacement character, which the Chinese and
// Japanese tables leave unmapped, so it ends as FF FF or "?" there):
//   - a four-, five- or six-byte sequence (lead F0..F7, F8..FB, FC..FD) is
//     consumed whole (as far as the input goes) for one U+FFFD: no
//     surrogate pairs are made;
//   - a two- or three-byte sequence cut off by the end of the input is
//     consumed to the end for one U+FFFD;
//   - a byte that starts no sequence (80..BF, FE, FF) is consumed alone for
//     one U+FFFD.
// Each unit consumes at least one byte, so the output never passes
// 2 + 2 * length bytes.
size_t Utf8ToUtf16(const char* text, size_t length, unsigned char* output);

namespace detail {

// Eight bytes at a time, byte 0 in the low bits whatever the machine's order,
// for the ASCII fast paths and the block-wise validity check.
inline constexpr uint64_t kHighBits = 0x8080808080808080ull;

inline uint64_t SwapBytes(uint64_t v) {
  v = ((v & 0x00FF00FF00FF00FFull) << 8) | ((v >> 8) & 0x00FF00FF00FF00FFull);
  v = ((v & 0x0000FFFF0000FFFFull) << 16) | ((v >> 16) & 0x0000FFFF0000FFFFull);
  return (v << 32) | (v >> 32);
}

inline uint64_t Load64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = SwapBytes(v);
  return v;
}

inline void Store64(unsigned char* p, uint64_t v) {
  if constexpr (std::endian::native == std::endian::big) v = SwapBytes(v);
  std::memcpy(p, &v, sizeof v);
}

// Two bytes, low byte first (one 16-bit store).
inline void Store16(unsigned char* p, uint32_t v) {
  auto x = static_cast<uint16_t>(v);
  if constexpr (std::endian::native == std::endian::big) x = static_cast<uint16_t>((x >> 8) | (x << 8));
  std::memcpy(p, &x, sizeof x);
}

inline uint32_t Load16(const unsigned char* p) { return p[0] | (static_cast<uint32_t>(p[1]) << 8); }

// Utf8ToUtf16 without zeroing the rest of the output; returns the count of
// units after the mark.
size_t Utf8ToUtf16Units(const unsigned char* text, size_t length, unsigned char* output);

// The decoding alone: the units of `length` bytes, from the first byte on,
// to `output` (at least 2 * length bytes). Returns the count of units.
size_t DecodeUtf16(const unsigned char* text, size_t length, unsigned char* output);

// CheckUtf8 over positions [from, to) of `length` bytes, in successive
// ranges from 0; `longLeadBefore` starts false and carries between ranges.
bool CheckRange(const unsigned char* p, size_t length, size_t from, size_t to, bool& longLeadBefore);

}  // namespace detail

}  // namespace orven::text
