// UTF-8 to code page 949 Hangul, code page 936 and Shift_JIS.
//
// Each routine measures the text, allocates its copy and its output, and
// then copies the text a chunk at a time; after each chunk, the conversion
// walks as far as the copy reaches, checking the text as it goes (the check
// is CheckUtf8's: the walk accepts exactly the texts that CheckUtf8 does).
// So the copy, the check and the conversion each cover the whole text, and
// the part of the copy being converted is still in the cache. An invalid
// text gives nothing, wherever the fault lies.
//
// The copy ends in kPadding zero bytes, so a step may read a few bytes past
// the sequence it starts without bounds checks: a sequence cut off by the end
// meets a zero byte where a continuation byte is owed, which the check
// rejects as it rejects any other.
//
// Every step writes at most as many output bytes as it consumes input bytes,
// so the output offset never passes the input offset; the stores a step
// makes beyond its own bytes stay inside the output buffer (see the bounds at
// each loop). Bytes past the terminator are left as they are: no caller reads
// beyond it, and zeroing megabytes of output would cost more than the
// conversion.
//
// Three-byte sequences index the tables through SequenceIndex: one multiply
// of the sequence's bytes as they lie in memory, with no decoding to a code
// point. Each table entry holds its code's bytes in output order (the first
// in the low eight bits, the second zero for a one-byte code); a step stores
// the entry as it is and counts one byte more when it is above 0xFF.
#include "text/code_pages.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "tables/code_tables.h"

// SSE2 where the target has it (always on x86-64; not by default on 32-bit
// x86); defining ORVEN_TEXT_PORTABLE selects the portable code anyway, so
// that its tests can run on any machine.
#if defined(__SSE2__) && !defined(ORVEN_TEXT_PORTABLE)
#define ORVEN_TEXT_SSE2 1
#include <emmintrin.h>
#else
#define ORVEN_TEXT_SSE2 0
#endif

#if defined(__GNUC__)
#define ORVEN_INLINE inline __attribute__((always_inline))
#define ORVEN_NOINLINE __attribute__((noinline))
#else
#define ORVEN_INLINE inline
#define ORVEN_NOINLINE
#endif

namespace orven::text {
using codepage::ChineseTable;
using codepage::JapaneseTable;
using codepage::kHangulCp949;

using detail::kHighBits;
using detail::Load64;
using detail::Store16;
using detail::Store64;

namespace {

constexpr uint32_t kHangulFirst = 0xAC00;
constexpr uint32_t kHangulCount = 11172;
constexpr uint32_t kSpace = 0x20;
constexpr uint32_t kReplacement = 0xFFFD;

// Zero bytes after the copy; covers every read ahead below (at most 64 bytes
// from a position inside the text).
constexpr size_t kPadding = 72;
// Bytes copied at a time; the walk stays kLookAhead bytes behind the end of
// what is copied until the last chunk.
constexpr size_t kChunk = 16384;
constexpr size_t kLookAhead = 128;

// Four bytes, byte 0 in the low bits whatever the machine's order.
ORVEN_INLINE uint32_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) {
    v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
  }
  return v;
}

// The table index of the three-byte sequence whose bytes are the low 24 bits
// of `w` (byte 0 lowest): bits 15..31 of w * 0x100B00 modulo 2^32. Over the
// 65536 forms E0..EF, 80..BF, 80..BF this is one-to-one into 2^17 slots
// (the tests run every form through the converters). The factor's lowest bit
// is 2^8, so the byte in bits 24..31 of `w` only reaches bits 32 and up of
// the product, which the 32-bit multiply drops: a load of four bytes serves.
constexpr uint32_t kIndexSlots = 1u << 17;
constexpr uint32_t SequenceIndex(uint32_t w) { return (w * 0x100B00u) >> 15; }

// The three-byte form of a unit (overlong for units below U+0800), as
// SequenceIndex takes it.
constexpr uint32_t ThreeByteForm(uint32_t unit) {
  return (0xE0 | (unit >> 12)) | ((0x80 | ((unit >> 6) & 0x3F)) << 8) | ((0x80 | (unit & 0x3F)) << 16);
}

// The index of the lowest set bit of a non-zero word.
ORVEN_INLINE size_t LowestBit(uint64_t nonZero) {
#if defined(__GNUC__)
  return static_cast<unsigned>(__builtin_ctzll(nonZero));
#else
  return static_cast<unsigned>(std::countr_zero(nonZero));
#endif
}

// Bytes a table entry stands for: 2 above 0xFF, else 1.
inline size_t EntryLength(uint32_t entry) { return (entry + 0x1FF00u) >> 16; }

// The two bytes of a two-byte code `code` (lead byte high) in store order.
constexpr uint16_t StoreOrder(uint32_t code) { return static_cast<uint16_t>(((code & 0xFF) << 8) | (code >> 8)); }

// Builds a table once, thread-safely, in static storage.
template <size_t N, class Fill>
const uint16_t* BuildOnce(uint16_t (&table)[N], Fill fill) {
  static const bool kBuilt = [&] {
    fill(table);
    return true;
  }();
  (void)kBuilt;
  return table;
}

struct Buffers {
  unsigned char* copy = nullptr;
  unsigned char* output = nullptr;
  ~Buffers() {
    std::free(copy);
    std::free(output);
  }
};

// Measures the text and allocates its padded copy (the padding zeroed) and
// an output of `capacity(L)` bytes. False without memory or text.
bool Allocate(const char* text, size_t (*capacity)(size_t), Buffers& b, size_t& length) {
  if (text == nullptr) return false;
  length = std::strlen(text);
  b.copy = static_cast<unsigned char*>(std::malloc(length + kPadding));
  b.output = static_cast<unsigned char*>(std::malloc(capacity(length)));
  if (b.copy == nullptr || b.output == nullptr) return false;
  std::memset(b.copy + length, 0, kPadding);
  return true;
}

// Copies the text into the copy a chunk at a time.
class ChunkedCopy {
 public:
  ChunkedCopy(const char* text, unsigned char* copy, size_t length) : text_(text), copy_(copy), length_(length) {}

  // Copies the next chunk; returns false when all was copied before.
  bool Next() {
    if (copied_ == length_ && started_) return false;
    started_ = true;
    const size_t to = length_ - copied_ > kChunk ? copied_ + kChunk : length_;
    std::memcpy(copy_ + copied_, text_ + copied_, to - copied_);
    copied_ = to;
    return true;
  }
  bool Last() const { return copied_ == length_; }
  // How far the walk may go before the next chunk: the whole text after the
  // last chunk, else kLookAhead bytes short of the copied end.
  size_t Reach() const { return Last() ? length_ : copied_ - kLookAhead; }

 private:
  const char* text_;
  unsigned char* copy_;
  size_t length_;
  size_t copied_ = 0;
  bool started_ = false;
};

Converted Hand(Buffers& b, size_t length) {
  Converted result;
  result.bytes.reset(reinterpret_cast<char*>(b.output));
  result.length = length;
  b.output = nullptr;
  return result;
}

inline bool IsContinuation(uint32_t b) { return (b & 0xC0) == 0x80; }

// The sequence at `p` checked as CheckUtf8 does: its length (1 to 6) when
// its lead byte starts one and the continuation bytes it owes are there, else
// 0. `unit` gets what Utf8ToUtf16 decodes it to: the code unit of a one- to
// three-byte sequence, U+FFFD for a longer one.
inline size_t CheckedSequence(const unsigned char* p, uint32_t& unit) {
  const uint32_t b0 = p[0];
  if (b0 < 0x80) {
    unit = b0;
    return 1;
  }
  if (b0 < 0xC0 || b0 >= 0xFE) return 0;
  const size_t length = b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : b0 < 0xF8 ? 4 : b0 < 0xFC ? 5 : 6;
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(p[k])) return 0;
  }
  if (length == 2)
    unit = ((b0 & 0x1F) << 6) | (p[1] & 0x3Fu);
  else if (length == 3)
    unit = ((b0 & 0x0F) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
  else
    unit = kReplacement;
  return length;
}

// ---------------------------------------------------------------------------
// Code page 949

// The Korean table: at SequenceIndex of each three-byte form, a Hangul
// syllable's code or a space; at kKoreanSingles + b, what the single byte b
// gives (ASCII itself, anything else a space).
constexpr uint32_t kKoreanSingles = kIndexSlots;
uint16_t g_korean[kKoreanSingles + 256];

const uint16_t* KoreanTable() {
  return BuildOnce(g_korean, [](uint16_t(&t)[kKoreanSingles + 256]) {
    for (uint32_t cp = 0; cp < 0x10000; ++cp) {
      const uint32_t index = cp - kHangulFirst;
      t[SequenceIndex(ThreeByteForm(cp))] = index < kHangulCount ? StoreOrder(kHangulCp949[index]) : kSpace;
    }
    for (uint32_t b = 0; b < 256; ++b) t[kKoreanSingles + b] = static_cast<uint16_t>(b < 0x80 ? b : kSpace);
  });
}

// One bit per position of a 64-byte block (bit k for byte k): the classes
// the Korean walk and its check need.
struct Classes {
  uint64_t high = 0;    // 80..FF
  uint64_t cont = 0;    // 80..BF
  uint64_t fromE0 = 0;  // E0..FF
  uint64_t lead3 = 0;   // E0..EF
};

#if ORVEN_TEXT_SSE2

inline uint64_t Mask16(__m128i flags, int shift) {
  return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(flags))) << shift;
}

// The classes of the 16 bytes at `p`, into bits `shift`.. of `c`.
ORVEN_INLINE void Classify16(const unsigned char* p, int shift, Classes& c) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Signed compares: 80..BF are below C0 (-64); E0..FF, and ASCII, are above
  // DF (-33).
  c.high |= Mask16(x, shift);
  c.cont |= Mask16(_mm_cmplt_epi8(x, _mm_set1_epi8(-64)), shift);
  c.fromE0 |= Mask16(_mm_cmpgt_epi8(x, _mm_set1_epi8(-33)), shift);
  c.lead3 |= Mask16(
      _mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xF0))), _mm_set1_epi8(static_cast<char>(0xE0))),
      shift);
}

ORVEN_INLINE Classes Classify(const unsigned char* p) {
  Classes c;
  Classify16(p, 0, c);
  Classify16(p + 16, 16, c);
  Classify16(p + 32, 32, c);
  Classify16(p + 48, 48, c);
  c.fromE0 &= c.high;
  return c;
}

// Positions holding a byte at least `lowest` (one of F8, FC, FE).
inline uint64_t AtLeast(const unsigned char* p, unsigned char lowest) {
  const __m128i below = _mm_set1_epi8(static_cast<char>(lowest - 1));
  uint64_t m = 0;
  for (int j = 0; j < 4; ++j) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * j));
    // Signed: `lowest`..FF are above lowest - 1, and so is ASCII, which the
    // caller removes with `high`.
    m |= Mask16(_mm_cmpgt_epi8(x, below), 16 * j);
  }
  return m;
}

#else

// One bit per byte of an eight-byte word, from the top bit of each byte.
inline uint64_t TopBits(uint64_t flags) { return ((flags >> 7) * 0x0102040810204080ull) >> 56; }

ORVEN_INLINE Classes Classify(const unsigned char* p) {
  Classes c;
  for (int k = 0; k < 8; ++k) {
    const uint64_t w = Load64(p + 8 * k);
    const uint64_t two = w & (w << 1);  // top bit set where the byte's top two bits are
    const uint64_t three = two & (w << 2);
    c.high |= TopBits(w & kHighBits) << (8 * k);
    c.cont |= TopBits(w & ~(w << 1) & kHighBits) << (8 * k);
    c.fromE0 |= TopBits(three & kHighBits) << (8 * k);
    c.lead3 |= TopBits(three & ~(w << 3) & kHighBits) << (8 * k);
  }
  return c;
}

// Positions holding a byte at least `lowest` (one of F8, FC, FE): the top
// 5, 6 or 7 bits set.
inline uint64_t AtLeast(const unsigned char* p, unsigned char lowest) {
  const int bits = lowest == 0xF8 ? 5 : lowest == 0xFC ? 6 : 7;
  uint64_t m = 0;
  for (int k = 0; k < 8; ++k) {
    const uint64_t w = Load64(p + 8 * k);
    uint64_t all = w;
    for (int s = 1; s < bits; ++s) all &= w << s;
    m |= TopBits(all & kHighBits) << (8 * k);
  }
  return m;
}

#endif

// CheckUtf8 over one block: every position owed a continuation byte holds
// one and no other does (`owed` carries the positions that leads in the
// block before owe this one, and is updated for the next), and no byte is
// FE or FF. A lead C0.., E0.., F0.., F8.. or FC..FD owes the 1, 2, 3, 4 or 5
// positions after it. Texts without leads of four bytes or more take only
// the first line; the rest runs for blocks that hold one.
ORVEN_INLINE bool CheckBlock(const unsigned char* p, const Classes& c, uint64_t& owed) {
  const uint64_t fromC0 = c.high & ~c.cont;
  uint64_t due = owed | (fromC0 << 1) | (c.fromE0 << 2);
  uint64_t next = (fromC0 >> 63) | (c.fromE0 >> 62);
  uint64_t fault = 0;
  const uint64_t fromF0 = c.fromE0 & ~c.lead3;
  if (fromF0 != 0) [[unlikely]] {
    const uint64_t fromF8 = AtLeast(p, 0xF8) & c.high;
    const uint64_t fromFC = AtLeast(p, 0xFC) & c.high;
    fault = AtLeast(p, 0xFE) & c.high;
    due |= (fromF0 << 3) | (fromF8 << 4) | (fromFC << 5);
    next |= (fromF0 >> 61) | (fromF8 >> 60) | (fromFC >> 59);
  }
  owed = next;
  return (fault | (due ^ c.cont)) == 0;
}

}  // namespace

Converted Utf8ToKorean(const char* text) {
  Buffers b;
  size_t length = 0;
  if (!Allocate(text, KoreanCapacity, b, length)) return {};

  // Blocks of 64 positions from the start. In each, after the check, a step
  // begins at every position but the two after an E0..EF lead: such a lead
  // gives the entry of its sequence, any other byte the entry of the single
  // byte (ASCII itself, else a space). The copy's padding covers the block's
  // reads past the end; there zero bytes stand in the positions beyond the
  // text, which are neither steps nor owed. The output offset stays at or
  // below the position of the step being made.
  const unsigned char* in = b.copy;
  unsigned char* out = b.output;
  const uint16_t* table = KoreanTable();
  const size_t capacity = KoreanCapacity(length);
  ChunkedCopy copy(text, b.copy, length);
  size_t at = 0;  // block start
  size_t o = 0;
  uint64_t owed = 0;    // positions of this block owed by leads in the one before
  uint64_t inside = 0;  // positions of this block inside a three-byte sequence
  while (copy.Next()) {
    const size_t reach = copy.Reach();
    for (; copy.Last() ? at < length : at + 64 <= reach; at += 64) {
      const unsigned char* p = in + at;
      const Classes c = Classify(p);
      if (!CheckBlock(p, c, owed)) return {};
      const size_t left = length - at;
      const size_t end = left < 64 ? left : 64;
      if (c.high == 0 && inside == 0 && left >= 64) {
        std::memcpy(out + o, p, 64);
        o += 64;
        continue;
      }
      const uint64_t inText = left < 64 ? (uint64_t{1} << left) - 1 : ~uint64_t{0};
      uint64_t steps = ~((c.lead3 << 1) | (c.lead3 << 2) | inside) & inText;
      const size_t skip = (inside & 1) + ((inside >> 1) & 1);  // inside is 0, 1 or 3
      inside = (c.lead3 >> 62) | (c.lead3 >> 63);
      if ((c.high & steps & ~c.lead3) == 0 && at + 72 <= capacity) {
        // Every step but the three-byte ones is ASCII, which stays as it is:
        // between two three-byte sequences the bytes go out as a run, eight
        // at a time. The stores run up to seven bytes ahead of the output
        // offset, so they end before position at + 72 of the output.
        size_t pos = skip;
        uint64_t leads = c.lead3 & inText;
        while (leads != 0) {
          const size_t k = LowestBit(leads);
          leads &= leads - 1;
          const size_t run = k - pos;
          Store64(out + o, Load64(p + pos));
          if (run > 8) [[unlikely]] {
            for (size_t r = 8; r < run; r += 8) Store64(out + o + r, Load64(p + pos + r));
          }
          o += run;
          const uint32_t code = table[SequenceIndex(Load32(p + k))];
          Store16(out + o, code);
          o += EntryLength(code);
          pos = k + 3;
        }
        if (pos < end) {
          for (size_t r = 0; r < end - pos; r += 8) Store64(out + o + r, Load64(p + pos + r));
          o += end - pos;
        }
        continue;
      }
      // A step at a time, each storing two bytes, which end within the first
      // L + 1 bytes of the output.
      while (steps != 0) {
        const size_t k = LowestBit(steps);
        steps &= steps - 1;
        // Where a step begins is random in Korean text, so the choice is
        // made with a mask rather than a branch.
        const uint32_t three = SequenceIndex(Load32(p + k));
        const uint32_t single = kKoreanSingles + p[k];
        const uint32_t isThree = 0u - static_cast<uint32_t>((c.lead3 >> k) & 1);
        const uint32_t code = table[single ^ ((three ^ single) & isThree)];
        Store16(out + o, code);
        o += EntryLength(code);
      }
    }
  }
  // Nothing may be owed past the end: a sequence cut off.
  if (owed != 0) return {};
  out[o] = 0;
  return Hand(b, o);
}

namespace {

// ---------------------------------------------------------------------------
// Code pages 936 and 932, through the UTF-16 units of Utf8ToUtf16

// A table for SequenceIndex of the three-byte form of each unit, with what
// the conversion knows about it.
struct UnitTable {
  const uint16_t* entries;
  bool asciiItself;      // units 01..7F give themselves, one byte each
  bool zeroOnlyAtUnit0;  // no unit but U+0000 gives a zero byte, and U+0000 gives the one byte 00
};

uint16_t g_chinese[kIndexSlots];
uint16_t g_japanese[kIndexSlots];

// Fills `t` from `entry` (the code of each unit, lead byte high) and notes
// what the walk may rely on. Runs once per table, under the initialisation
// of the caller's static.
template <class Entry>
UnitTable MakeUnitTable(uint16_t (&t)[kIndexSlots], Entry entry) {
  UnitTable result{t, true, true};
  for (uint32_t u = 0; u < 0x10000; ++u) {
    const uint32_t e = entry(u);
    const auto stored = static_cast<uint16_t>(e <= 0xFF ? e : StoreOrder(e));
    t[SequenceIndex(ThreeByteForm(u))] = stored;
    if (u >= 1 && u < 0x80 && stored != u) result.asciiItself = false;
    // A stored entry above 0xFF has a non-zero second byte.
    if (u == 0 ? stored != 0 : (stored & 0xFF) == 0) result.zeroOnlyAtUnit0 = false;
  }
  return result;
}

// Units below U+0100 stand for themselves; the table is not consulted for
// them. Otherwise FF FF passes on like any two-byte code.
const UnitTable& ChineseUnits() {
  static const UnitTable kTable =
      MakeUnitTable(g_chinese, [](uint32_t u) -> uint32_t { return u <= 0xFF ? u : ChineseTable()[u]; });
  return kTable;
}

// Every unit through the table; unmapped gives "?".
const UnitTable& JapaneseUnits() {
  static const UnitTable kTable = MakeUnitTable(g_japanese, [](uint32_t u) -> uint32_t {
    const uint16_t e = JapaneseTable()[u];
    return e == 0xFFFF ? uint32_t{'?'} : e;
  });
  return kTable;
}

// The careful step of the walk below, kept out of line so that the walk's
// loop stays small: the length of the checked sequence at `p` (0 when it is
// not valid), its entry, and whether its unit is U+0000.
struct CarefulResult {
  uint32_t length;
  uint32_t entry;
  bool unitZero;
};

ORVEN_NOINLINE CarefulResult CarefulStep(const unsigned char* p, const uint16_t* entries) {
  uint32_t unit = 0;
  const size_t length = CheckedSequence(p, unit);
  if (length == 0) return {0, 0, false};
  return {static_cast<uint32_t>(length), entries[SequenceIndex(ThreeByteForm(unit))], unit == 0};
}

// The walk's state: positions in the copy and the output, and where the
// first zero byte went out (`nul`, or kNone). Its members are forced inline
// so that the state stays in registers.
struct Walk {
  static constexpr size_t kNone = ~size_t{0};
  const unsigned char* in;
  unsigned char* out;
  const uint16_t* entries;
  size_t i = 0;
  size_t o = 0;
  size_t nul = kNone;

  ORVEN_INLINE void Put(uint32_t entry) {
    Store16(out + o, entry);
    o += EntryLength(entry);
  }

  // One step at a sequence start, storing two bytes at o. A sequence E1..EF
  // with its two continuation bytes goes straight to the table (E0 is left
  // to the careful path: it alone gives U+0000, from the overlong E0 80 80).
  // False when the text is not valid UTF-8 there.
  ORVEN_INLINE bool Step() {
    const uint32_t w = Load32(in + i);
    if (((w & 0xC0C0FF) - 0x8080E1u) < 0x0F) [[likely]] {
      Put(entries[SequenceIndex(w)]);
      i += 3;
      return true;
    }
    const CarefulResult r = CarefulStep(in + i, entries);
    if (r.length == 0) return false;
    if (r.unitZero && nul == kNone) nul = o;
    Put(r.entry);
    i += r.length;
    return true;
  }

  // ASCII from `i` on, eight bytes at a time while eight bytes remain
  // before `reach`, for a table that gives ASCII itself: stores eight bytes
  // at o, which must have room for them. The end of the run leaves the loop
  // through a branch, so that eight ASCII bytes advance by a constant and
  // the next load need not wait for this one's search.
  ORVEN_INLINE void AsciiRun(size_t reach) {
    do {
      const uint64_t w = Load64(in + i);
      Store64(out + o, w);
      const uint64_t high = w & kHighBits;
      if (high != 0) {
        const size_t run = LowestBit(high) >> 3;
        i += run;
        o += run;
        return;
      }
      i += 8;
      o += 8;
    } while (i + 8 <= reach);
  }
};

#if ORVEN_TEXT_SSE2

// Sixteen three-byte sequences in a row, the lead bytes at 0, 3, ..., 45:
// for each 16-byte part of the 48 bytes, the mask of the bits checked and
// their values (F0/E0 at a lead, C0/80 at a continuation).
struct RunPattern {
  __m128i mask[3];
  __m128i value[3];
};

inline RunPattern MakeRunPattern() {
  RunPattern r;
  for (int j = 0; j < 3; ++j) {
    alignas(16) unsigned char mask[16];
    alignas(16) unsigned char value[16];
    for (int k = 0; k < 16; ++k) {
      const bool lead = (16 * j + k) % 3 == 0;
      mask[k] = lead ? 0xF0 : 0xC0;
      value[k] = lead ? 0xE0 : 0x80;
    }
    r.mask[j] = _mm_load_si128(reinterpret_cast<const __m128i*>(mask));
    r.value[j] = _mm_load_si128(reinterpret_cast<const __m128i*>(value));
  }
  return r;
}

// The count of whole three-byte sequences (0 to 16) at the start of the 48
// bytes at `p`.
ORVEN_INLINE size_t ThreeByteRun(const unsigned char* p, const RunPattern& r) {
  const auto fits = [&](int j) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * j));
    return _mm_cmpeq_epi8(_mm_and_si128(x, r.mask[j]), r.value[j]);
  };
  const __m128i a = fits(0), b = fits(1), c = fits(2);
  // A branch rather than a data dependency: in running text the whole run
  // is the rule, and the prediction lets the next block's loads start at
  // once, before this block's are checked.
  if (_mm_movemask_epi8(_mm_and_si128(_mm_and_si128(a, b), c)) == 0xFFFF) [[likely]]
    return 16;
  const uint64_t fit = Mask16(a, 0) | Mask16(b, 16) | Mask16(c, 32);
  return LowestBit(~fit) / 3;
}

// The entries of the sixteen sequences at `p` (of which the first `n` are
// whole), stored as sixteen two-byte codes at `out`. Returns true when the
// first `n` entries are all two-byte codes, so that the 2n bytes stored are
// the output.
ORVEN_INLINE bool PutSixteen(const unsigned char* p, size_t n, const uint16_t* entries, unsigned char* out) {
  // Keeps the compiler from taking the sequences out of the vectors
  // ThreeByteRun loaded, which costs more than loading them again.
#if defined(__GNUC__)
  __asm__("" : "+r"(p));
#endif
  __m128i lo = _mm_cvtsi32_si128(entries[SequenceIndex(Load32(p))]);
  __m128i hi = _mm_cvtsi32_si128(entries[SequenceIndex(Load32(p + 24))]);
#define ORVEN_PUT_PAIR(k)                                                    \
  lo = _mm_insert_epi16(lo, entries[SequenceIndex(Load32(p + 3 * (k)))], k); \
  hi = _mm_insert_epi16(hi, entries[SequenceIndex(Load32(p + 24 + 3 * (k)))], k);
  ORVEN_PUT_PAIR(1)
  ORVEN_PUT_PAIR(2)
  ORVEN_PUT_PAIR(3)
  ORVEN_PUT_PAIR(4)
  ORVEN_PUT_PAIR(5)
  ORVEN_PUT_PAIR(6)
  ORVEN_PUT_PAIR(7)
#undef ORVEN_PUT_PAIR
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), lo);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), hi);
  // Two bits per entry whose second byte is zero: a one-byte code.
  const __m128i second = _mm_set1_epi16(static_cast<short>(0xFF00));
  const __m128i zero = _mm_setzero_si128();
  const uint64_t single = Mask16(_mm_cmpeq_epi16(_mm_and_si128(lo, second), zero), 0) |
                          Mask16(_mm_cmpeq_epi16(_mm_and_si128(hi, second), zero), 16);
  return (single & ((uint64_t{1} << (2 * n)) - 1)) == 0;
}

// The walk while 64 bytes remain before `reach`: its reads stay within the
// copied bytes, and its stores (32 bytes at most, from o <= i) end before
// i + 32 < L. Sixteen three-byte sequences at a time, the common case of
// Chinese and Japanese text; a run cut short is done up to where it stops,
// followed by the ASCII after it (for a table that gives ASCII itself).
// Anything else takes a careful step. False when the text is not valid
// UTF-8.
template <bool kAsciiItself>
ORVEN_INLINE bool FastWalk(Walk& walk, size_t reach, const RunPattern& pattern) {
  while (walk.i + 64 <= reach) {
    const unsigned char* p = walk.in + walk.i;
    const size_t n = ThreeByteRun(p, pattern);
    if (n != 0) [[likely]] {
      if (PutSixteen(p, n, walk.entries, walk.out + walk.o)) [[likely]] {
        walk.i += 3 * n;
        walk.o += 2 * n;
      } else {
        // A one-byte code among them, or U+0000: one at a time.
        for (size_t k = 0; k < n; ++k) walk.Step();
      }
      if (n == 16) continue;
    }
    size_t run = 0;
    if constexpr (kAsciiItself) {
      // Up to seven ASCII bytes (none when a lead byte comes first).
      const uint64_t w = Load64(walk.in + walk.i);
      Store64(walk.out + walk.o, w);
      run = LowestBit((w & kHighBits) | (uint64_t{1} << 63)) >> 3;
      walk.i += run;
      walk.o += run;
    }
    if ((n | run) == 0) [[unlikely]] {
      if (!walk.Step()) return false;
    }
  }
  return true;
}

#endif

// Copy, check and conversion of the Chinese and Japanese routines: the
// UTF-16 units of Utf8ToUtf16 (which drops a leading byte-order mark) through
// the table, each unit's entry looked up as soon as its sequence is read,
// rather than through a UTF-16 buffer of 2L bytes.
Converted ThroughUtf16(const char* text, size_t (*capacity)(size_t), const UnitTable& table) {
  Buffers b;
  size_t length = 0;
  if (!Allocate(text, capacity, b, length)) return {};

  Walk walk{b.copy, b.output, table.entries};
  ChunkedCopy copy(text, b.copy, length);
#if ORVEN_TEXT_SSE2
  const RunPattern pattern = MakeRunPattern();
#endif
  bool first = true;
  while (copy.Next()) {
    if (first) {
      first = false;
      // The byte-order mark is a valid sequence; only its unit is dropped.
      if (length >= 3 && b.copy[0] == 0xEF && b.copy[1] == 0xBB && b.copy[2] == 0xBF) walk.i = 3;
    }
    // While 64 bytes remain before the reach, the steps' reads stay within
    // the copied bytes, and their stores (eight bytes at most from o <= i,
    // or 32 in FastWalk) within the first L bytes of the output.
    const size_t reach = copy.Reach();
#if ORVEN_TEXT_SSE2
    if (table.asciiItself) {
      if (!FastWalk<true>(walk, reach, pattern)) return {};
    } else if (!FastWalk<false>(walk, reach, pattern)) {
      return {};
    }
#else
    while (walk.i + 64 <= reach) {
      if (walk.in[walk.i] < 0x80 && table.asciiItself) {
        walk.AsciiRun(reach);
      } else if (!walk.Step()) {
        return {};
      }
    }
#endif
    if (copy.Last()) {
      while (walk.i < length) {
        if (!walk.Step()) return {};
      }
    }
  }
  walk.out[walk.o] = 0;
  // Where a zero byte went out, the text ends there (the overlong NUL C0 80
  // or E0 80 80 gives U+0000, which both tables give as the byte 0).
  size_t textLength = walk.nul == Walk::kNone ? walk.o : walk.nul;
  if (!table.zeroOnlyAtUnit0) textLength = std::strlen(reinterpret_cast<const char*>(walk.out));
  return Hand(b, textLength);
}

// The tables are built while the library is loaded, not on first use. A
// first use would guard the build with the C++ runtime's lock for statics,
// which the mingw-w64 runtime creates on demand and without checking its
// memory: a conversion short of memory would end the process there instead
// of failing.
[[maybe_unused]] const bool kTablesBuilt = [] {
  KoreanTable();
  ChineseUnits();
  JapaneseUnits();
  return true;
}();

}  // namespace

Converted Utf8ToChinese(const char* text) { return ThroughUtf16(text, ChineseCapacity, ChineseUnits()); }

Converted Utf8ToJapanese(const char* text) { return ThroughUtf16(text, JapaneseCapacity, JapaneseUnits()); }

}  // namespace orven::text
