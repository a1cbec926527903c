// UTF-8 to code page 949 Hangul, code page 936 and Shift_JIS.
//
// Each routine makes its passes in order: copy, validity check, conversion.
// The conversion relies on the check: every sequence in the copy is
// complete, so a step may read the two bytes after its lead without bounds
// checks (the copy is padded for the last one).
//
// The tables are read through output-order forms derived from them once:
// each entry holds the code's bytes as they are stored, the first in the
// low eight bits, with the second zero for a one-byte code. A step stores the
// entry as it is and counts one byte more when it is above 0xFF. Lookups are
// one direct index; nothing is allocated per character; output sizes are
// fixed from the input length up front.
#include "text/code_pages.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "text/tables/code_tables.h"

namespace orven::text {

using detail::kHighBits;
using detail::Load64;
using detail::Store16;

namespace {

constexpr uint32_t kHangulFirst = 0xAC00;
constexpr uint32_t kHangulCount = 11172;
constexpr uint32_t kSpace = 0x20;
constexpr uint32_t kReplacement = 0xFFFD;
constexpr size_t kBlock = 64;

// Bytes in a sequence by its lead byte, in a checked text (where no
// sequence starts with a continuation byte or FE/FF).
constexpr auto kSequenceLength = [] {
  struct Lengths {
    unsigned char n[256];
    constexpr unsigned char operator[](uint32_t b) const { return n[b]; }
  } t{};
  for (uint32_t b = 0; b < 256; ++b) t.n[b] = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : b < 0xFC ? 5 : b < 0xFE ? 6 : 1;
  return t;
}();

struct Buffers {
  unsigned char* copy = nullptr;
  unsigned char* output = nullptr;
  ~Buffers() {
    std::free(copy);
    std::free(output);
  }
};

// Copies and checks the text (CheckUtf8 on the copy) and allocates an
// output of `capacity(L)` bytes. False (and nothing kept) on invalid UTF-8
// or without memory.
bool Prepare(const char* text, size_t (*capacity)(size_t), Buffers& b, size_t& length) {
  if (text == nullptr) return false;
  length = std::strlen(text);
  b.copy = detail::CopyAndCheck(text, length);
  if (b.copy == nullptr) return false;
  b.output = static_cast<unsigned char*>(std::malloc(capacity(length)));
  return b.output != nullptr;
}

// Zero-fills the output past its `used` bytes (the terminator included) and
// hands it over.
Converted Finish(Buffers& b, size_t used, size_t capacity, size_t length) {
  std::memset(b.output + used, 0, capacity - used);
  Converted result;
  result.bytes.reset(reinterpret_cast<char*>(b.output));
  result.length = length;
  b.output = nullptr;
  return result;
}

// One bit per byte of an eight-byte word, from the top bit of each byte.
inline uint64_t TopBits(uint64_t flags) { return ((flags >> 7) * 0x0102040810204080ull) >> 56; }

// Top bit of each byte set where the byte is E0..EF.
inline uint64_t ThreeByteLeads(uint64_t w) { return w & (w << 1) & (w << 2) & ~(w << 3) & kHighBits; }

// Loads a block; returns true when it is all ASCII.
inline bool LoadBlock(const unsigned char* in, uint64_t (&w)[8]) {
  uint64_t any = 0;
  for (int k = 0; k < 8; ++k) {
    w[k] = Load64(in + 8 * k);
    any |= w[k];
  }
  return (any & kHighBits) == 0;
}

// Picks `a` where `mask` is all ones, `b` where it is zero: a select the
// compiler cannot turn into a jump.
inline uint32_t Select(uint32_t mask, uint32_t a, uint32_t b) { return b ^ ((a ^ b) & mask); }
inline uint32_t MaskOf(bool condition) { return 0u - static_cast<uint32_t>(condition); }

// Builds a table once, thread-safely, in static storage.
template <size_t N, class Fill>
const uint16_t* BuildOnce(uint16_t (&table)[N], Fill fill) {
  static const bool built = [&] {
    fill(table);
    return true;
  }();
  (void)built;
  return table;
}

// The two bytes of a two-byte code `code` (lead byte high) in store order.
constexpr uint16_t StoreOrder(uint32_t code) { return static_cast<uint16_t>(((code & 0xFF) << 8) | (code >> 8)); }

// The Korean step's table: entries 0..FFFF for the code point of a
// three-byte sequence (a Hangul syllable's code, else a space), then one
// entry per single byte a step emits (ASCII itself, 0x20 for a space).
constexpr uint32_t kKoreanSingles = 0x10000;
uint16_t g_koreanOut[kKoreanSingles + 256];
uint16_t g_chineseOut[65536];
uint16_t g_japaneseOut[65536];

const uint16_t* KoreanOutput() {
  return BuildOnce(g_koreanOut, [](uint16_t (&t)[kKoreanSingles + 256]) {
    for (uint32_t cp = 0; cp < kKoreanSingles; ++cp) {
      const uint32_t index = cp - kHangulFirst;
      t[cp] = index < kHangulCount ? StoreOrder(kHangulCp949[index]) : kSpace;
    }
    for (uint32_t b = 0; b < 256; ++b) t[kKoreanSingles + b] = static_cast<uint16_t>(b);
  });
}

// Units below U+0100 stand for themselves; the table is not consulted for
// them. Otherwise FF FF passes on like any two-byte code.
const uint16_t* ChineseOutput() {
  return BuildOnce(g_chineseOut, [](uint16_t (&t)[65536]) {
    const uint16_t* table = ChineseTable();
    for (uint32_t u = 0; u < 65536; ++u) {
      const uint32_t e = u <= 0xFF ? u : table[u];
      t[u] = e <= 0xFF ? static_cast<uint16_t>(e) : StoreOrder(e);
    }
  });
}

// Every unit through the table; unmapped gives "?".
const uint16_t* JapaneseOutput() {
  return BuildOnce(g_japaneseOut, [](uint16_t (&t)[65536]) {
    const uint16_t* table = JapaneseTable();
    for (uint32_t u = 0; u < 65536; ++u) {
      const uint32_t e = table[u] == 0xFFFF ? uint32_t{'?'} : table[u];
      t[u] = e <= 0xFF ? static_cast<uint16_t>(e) : StoreOrder(e);
    }
  });
}

// What a step's first byte contributes to its index into the Korean table:
// for an E0..EF lead, the code point's top four bits, with the low twelve
// from the two continuation bytes (`low`); for any other byte, the entry of
// the single byte it emits (ASCII itself, anything else a space), with no
// bits from the bytes after it.
constexpr auto kKoreanLead = [] {
  struct Lead {
    uint32_t base[256];
    uint32_t low[256];
  } t{};
  for (uint32_t b = 0; b < 256; ++b) {
    const bool three = (b & 0xF0) == 0xE0;
    t.base[b] = three ? (b & 0x0F) << 12 : kKoreanSingles + (b < 0x80 ? b : kSpace);
    t.low[b] = three ? 0xFFF : 0;
  }
  return t;
}();

// The Korean step at a position that starts a step: a three-byte sequence
// decodes; a Hangul syllable gives its two bytes, another three-byte
// character one space; ASCII gives itself; any other byte one space. Stores
// two bytes (the second is overwritten by the next step or zeroed by Finish
// when it does not count) and returns the bytes that count.
inline size_t KoreanStep(const unsigned char* p, const uint16_t* table, unsigned char* out) {
  const uint32_t b0 = p[0];
  const uint32_t low = ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
  const uint32_t code = table[kKoreanLead.base[b0] | (low & kKoreanLead.low[b0])];
  Store16(out, code);
  return 1 + (code > 0xFF);
}

}  // namespace

Converted Utf8ToKorean(const char* text) {
  Buffers b;
  size_t length = 0;
  if (!Prepare(text, KoreanCapacity, b, length)) return {};

  // Every step writes at most as many bytes as it consumes, so the output
  // offset never passes the input offset, and the two-byte stores stay
  // inside the 2L + 2 bytes. The copy's padding covers reading the two bytes
  // after the last position.
  const unsigned char* in = b.copy;
  unsigned char* out = b.output;
  const uint16_t* table = KoreanOutput();
  size_t i = 0;
  size_t o = 0;
  uint64_t inside = 0;  // positions at the start of this block inside a three-byte sequence
  for (; i + kBlock <= length; i += kBlock) {
    uint64_t w[8];
    if (LoadBlock(in + i, w) && inside == 0) {
      std::memcpy(out + o, in + i, kBlock);
      o += kBlock;
      continue;
    }
    // Steps begin everywhere except at the two bytes after an E0..EF lead.
    uint64_t leads = 0;
    for (int k = 0; k < 8; ++k) leads |= TopBits(ThreeByteLeads(w[k])) << (8 * k);
    uint64_t steps = ~((leads << 1) | (leads << 2) | inside);
    inside = (leads >> 62) | (leads >> 63);
    while (steps != 0) {
      const size_t at = i + static_cast<size_t>(std::countr_zero(steps));
      steps &= steps - 1;
      o += KoreanStep(in + at, table, out + o);
    }
  }
  i += static_cast<size_t>(std::popcount(inside));
  while (i < length) {
    const bool three = (in[i] & 0xF0) == 0xE0;
    o += KoreanStep(in + i, table, out + o);
    i += three ? 3 : 1;
  }
  return Finish(b, o, KoreanCapacity(length), o);
}

namespace {

// The UTF-16 unit of the sequence starting at `p` in a checked text, as
// Utf8ToUtf16 decodes it: one- to three-byte sequences give their unit,
// longer ones U+FFFD.
inline uint32_t UnitAt(const unsigned char* p) {
  const uint32_t b0 = p[0];
  const uint32_t b1 = p[1] & 0x3Fu;
  const uint32_t b2 = p[2] & 0x3Fu;
  const uint32_t two = ((b0 & 0x1F) << 6) | b1;
  const uint32_t three = ((b0 & 0x0F) << 12) | (b1 << 6) | b2;
  const uint32_t multi = Select(MaskOf(b0 < 0xE0), two, Select(MaskOf(b0 < 0xF0), three, kReplacement));
  return Select(MaskOf(b0 < 0x80), b0, multi);
}

// Shared by the Chinese and Japanese conversions: copy, check, then the
// UTF-16 pass of Utf8ToUtf16 (which drops a leading byte-order mark) and the
// table pass, fused: each unit goes to the output-order table as soon as it
// is decoded, rather than through a UTF-16 buffer of 2L bytes. The units and
// the bytes are the same; the routine touches no memory beyond its copy and
// its output (with texts of megabytes, fresh pages cost more than the
// conversion itself).
Converted ThroughUtf16(const char* text, size_t (*capacity)(size_t), const uint16_t* table) {
  Buffers b;
  size_t length = 0;
  if (!Prepare(text, capacity, b, length)) return {};

  const unsigned char* in = b.copy;
  unsigned char* out = b.output;
  // At most one unit per input byte and two bytes per unit: the two-byte
  // stores stay within 2L + 2 bytes.
  size_t o = 0;
  size_t i = length >= 3 && in[0] == 0xEF && in[1] == 0xBB && in[2] == 0xBF ? 3 : 0;
  // Chinese and Japanese text is mostly three-byte sequences, so that is
  // the case the branch predicts.
  while (i < length) {
    const uint32_t b0 = in[i];
    uint32_t unit;
    if ((b0 & 0xF0) == 0xE0) {
      unit = ((b0 & 0x0F) << 12) | ((in[i + 1] & 0x3Fu) << 6) | (in[i + 2] & 0x3Fu);
      i += 3;
    } else {
      unit = UnitAt(in + i);
      i += kSequenceLength[b0];
    }
    const uint32_t code = table[unit];
    Store16(out + o, code);
    o += 1 + (code > 0xFF);
  }
  // An overlong NUL (C0 80) gives the unit 0 and the byte 0, where the text
  // then ends.
  const void* nul = std::memchr(out, 0, o);
  const size_t textLength = nul == nullptr ? o : static_cast<size_t>(static_cast<const unsigned char*>(nul) - out);
  return Finish(b, o, capacity(length), textLength);
}

}  // namespace

Converted Utf8ToChinese(const char* text) { return ThroughUtf16(text, ChineseCapacity, ChineseOutput()); }

Converted Utf8ToJapanese(const char* text) { return ThroughUtf16(text, JapaneseCapacity, JapaneseOutput()); }

}  // namespace orven::text
