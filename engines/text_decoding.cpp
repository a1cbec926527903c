// text_decoding.cpp - the engines' national codes back to characters.
#include "text_decoding.h"

#include <cstddef>
#include <cstdint>

#include "code_tables/code_tables.h"

namespace syn {
namespace {

constexpr uint32_t kHangulFirst = 0xAC00;
constexpr uint32_t kHangulCount = 11172;
constexpr uint16_t kUnmapped = 0xFFFF;  // in the library's tables and in the reverse ones

// Code -> unit, indexed by the code: a single byte as itself, two bytes with
// the lead byte high (so every two-byte index is at least 0x8100). No table
// maps U+FFFF, so that value can mark a code without a unit.
class ReverseTable {
 public:
  // The codes of the Hangul syllables.
  explicit ReverseTable(const uint16_t (&hangul)[kHangulCount]) noexcept {
    clear();
    for (uint32_t k = 0; k < kHangulCount; ++k) units_[hangul[k]] = static_cast<uint16_t>(kHangulFirst + k);
  }

  // The entries of `forward` (indexed by unit) from `firstUnit` on. Where
  // several units share a code, the lowest unit of U+0100 and above takes
  // it, else the lowest unit: a lone '.' reads as U+002E, not U+00B7.
  ReverseTable(const uint16_t* forward, uint32_t firstUnit) noexcept {
    clear();
    for (uint32_t u = firstUnit; u < 0x10000; ++u) {
      const uint16_t code = forward[u];
      if (code == kUnmapped) continue;
      uint16_t& slot = units_[code];
      if (slot == kUnmapped || (slot < 0x100 && u >= 0x100)) slot = static_cast<uint16_t>(u);
    }
  }

  // The unit of `code`, or kUnmapped.
  uint16_t unit(uint32_t code) const noexcept { return units_[code & 0xFFFF]; }

 private:
  void clear() noexcept {
    for (uint16_t& u : units_) u = kUnmapped;
  }
  uint16_t units_[0x10000];
};

// Function-local statics: built on first use, the compiler guards the
// initialisation against concurrent first calls, never destroyed early
// (they hold no resources).
const ReverseTable& hangulCodes() noexcept {
  static const ReverseTable table(orven::codepage::kHangulCp949);
  return table;
}

// The library sends units below U+0100 as their own byte and reads the
// table only for the others, so only those are reversed.
const ReverseTable& chineseCodes() noexcept {
  static const ReverseTable table(orven::codepage::ChineseTable(), 0x100);
  return table;
}

// The library sends every unit through the table.
const ReverseTable& japaneseCodes() noexcept {
  static const ReverseTable table(orven::codepage::JapaneseTable(), 0);
  return table;
}

constexpr bool within(uint32_t b, uint32_t lo, uint32_t hi) noexcept { return b >= lo && b <= hi; }

// Code page 949: leads 0x81..0xC6 take the extended trails (the Hangul
// syllables beyond KS X 1001) as well as the KS X 1001 ones.
constexpr bool isKoreanLead(uint32_t b) noexcept { return within(b, 0x81, 0xFE); }
constexpr bool isKoreanTrail(uint32_t lead, uint32_t b) noexcept {
  if (within(b, 0xA1, 0xFE)) return true;
  return lead <= 0xC6 && (within(b, 0x41, 0x5A) || within(b, 0x61, 0x7A) || within(b, 0x81, 0xA0));
}

constexpr bool isShiftJisLead(uint32_t b) noexcept { return within(b, 0x81, 0x9F) || within(b, 0xE0, 0xFC); }
constexpr bool isShiftJisTrail(uint32_t b) noexcept { return within(b, 0x40, 0x7E) || within(b, 0x80, 0xFC); }

const unsigned char* bytesOf(std::string_view s) noexcept { return reinterpret_cast<const unsigned char*>(s.data()); }

// Starts `out` afresh with room for one character per byte.
void prepare(std::string_view bytes, std::u32string& out) {
  out.clear();
  out.reserve(bytes.size());
}

}  // namespace

void decodeKorean(std::string_view bytes, std::u32string& out) {
  prepare(bytes, out);
  const ReverseTable& table = hangulCodes();
  const unsigned char* p = bytesOf(bytes);
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const uint32_t b = p[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
    } else if (isKoreanLead(b) && i + 1 < n && isKoreanTrail(b, p[i + 1])) {
      const uint16_t u = table.unit((b << 8) | p[i + 1]);
      out.push_back(u == kUnmapped ? kReplacementChar : u);
      i += 2;
    } else {
      out.push_back(kReplacementChar);
      ++i;
    }
  }
}

void decodeChinese(std::string_view bytes, std::u32string& out) {
  prepare(bytes, out);
  const ReverseTable& table = chineseCodes();
  const unsigned char* p = bytesOf(bytes);
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const uint32_t b = p[i];
    if (b > 0x80 && i + 1 < n) {
      // The two-byte reading wins whenever the pair is a code the library
      // sends; the byte alone can only be a Latin-1 unit.
      const uint32_t next = p[i + 1];
      if (b == 0xFF && next == 0xFF) {
        out.push_back(kReplacementChar);
        i += 2;
        continue;
      }
      const uint16_t u = table.unit((b << 8) | next);
      if (u != kUnmapped) {
        out.push_back(u);
        i += 2;
        continue;
      }
    }
    // A single byte: its code in the table (0x80, the euro sign), else the
    // unit of the same value (ASCII, Latin-1).
    const uint16_t u = table.unit(b);
    out.push_back(u != kUnmapped ? u : b);
    ++i;
  }
}

void decodeJapanese(std::string_view bytes, std::u32string& out) {
  prepare(bytes, out);
  const ReverseTable& table = japaneseCodes();
  const unsigned char* p = bytesOf(bytes);
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const uint32_t b = p[i];
    uint16_t u;
    if (isShiftJisLead(b) && i + 1 < n && isShiftJisTrail(p[i + 1])) {
      u = table.unit((b << 8) | p[i + 1]);
      i += 2;
    } else {
      u = table.unit(b);  // no lead byte is a single-byte code
      ++i;
    }
    out.push_back(u == kUnmapped ? kReplacementChar : u);
  }
}

void decodeEnglish(std::string_view bytes, std::u32string& out) {
  prepare(bytes, out);
  const unsigned char* p = bytesOf(bytes);
  const std::size_t n = bytes.size();
  std::size_t i = n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF ? 3 : 0;
  while (i < n) {
    const uint32_t b = p[i];
    // The well-formed sequences: the length from the lead byte, the range of
    // the second byte (narrower after E0, ED, F0 and F4, which rules out
    // overlong forms, surrogates and values above U+10FFFF), and 80..BF for
    // the rest.
    std::size_t length = 0;
    uint32_t lo = 0x80, hi = 0xBF, value = 0;
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    } else if (within(b, 0xC2, 0xDF)) {
      length = 2, value = b & 0x1F;
    } else if (within(b, 0xE0, 0xEF)) {
      length = 3, value = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (within(b, 0xF0, 0xF4)) {
      length = 4, value = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    }
    bool whole = length != 0 && i + length <= n;
    for (std::size_t k = 1; whole && k < length; ++k) {
      const uint32_t c = p[i + k];
      whole = k == 1 ? within(c, lo, hi) : within(c, 0x80, 0xBF);
      value = (value << 6) | (c & 0x3F);
    }
    if (whole) {
      out.push_back(value);
      i += length;
    } else {
      out.push_back(kReplacementChar);  // this byte alone; the next starts afresh
      ++i;
    }
  }
}

void decodeText(int language, std::string_view bytes, std::u32string& out) {
  switch (language) {
    case 0: decodeKorean(bytes, out); break;
    case 2: decodeChinese(bytes, out); break;
    case 3: decodeJapanese(bytes, out); break;
    default: decodeEnglish(bytes, out); break;
  }
}

}  // namespace syn
