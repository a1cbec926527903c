// text_decoding.cpp - the engines' national codes back to characters.
#include "text_decoding.h"

#include <cstddef>
#include <cstdint>

#include "tables/code_tables.h"

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
    Clear();
    for (uint32_t k = 0; k < kHangulCount; ++k) units_[hangul[k]] = static_cast<uint16_t>(kHangulFirst + k);
  }

  // The entries of `forward` (indexed by unit) from `firstUnit` on. Where
  // several units share a code, the lowest unit of U+0100 and above takes
  // it, else the lowest unit: a lone '.' reads as U+002E, not U+00B7.
  ReverseTable(const uint16_t* forward, uint32_t firstUnit) noexcept {
    Clear();
    for (uint32_t u = firstUnit; u < 0x10000; ++u) {
      const uint16_t code = forward[u];
      if (code == kUnmapped) continue;
      uint16_t& slot = units_[code];
      if (slot == kUnmapped || (slot < 0x100 && u >= 0x100)) slot = static_cast<uint16_t>(u);
    }
  }

  // The unit of `code`, or kUnmapped.
  uint16_t Unit(uint32_t code) const noexcept { return units_[code & 0xFFFF]; }

 private:
  void Clear() noexcept {
    for (uint16_t& u : units_) u = kUnmapped;
  }
  uint16_t units_[0x10000];
};

// Function-local statics: built on first use, the compiler guards the
// initialisation against concurrent first calls, never destroyed early
// (they hold no resources).
const ReverseTable& HangulCodes() noexcept {
  static const ReverseTable kTable(orven::codepage::kHangulCp949);
  return kTable;
}

// The library sends units below U+0100 as their own byte and reads the
// table only for the others, so only those are reversed.
const ReverseTable& ChineseCodes() noexcept {
  static const ReverseTable kTable(orven::codepage::ChineseTable(), 0x100);
  return kTable;
}

// The library sends every unit through the table.
const ReverseTable& JapaneseCodes() noexcept {
  static const ReverseTable kTable(orven::codepage::JapaneseTable(), 0);
  return kTable;
}

constexpr bool Within(uint32_t b, uint32_t lo, uint32_t hi) noexcept { return b >= lo && b <= hi; }

// Code page 949: leads 0x81..0xC6 take the extended trails (the Hangul
// syllables beyond KS X 1001) as well as the KS X 1001 ones.
constexpr bool IsKoreanLead(uint32_t b) noexcept { return Within(b, 0x81, 0xFE); }
constexpr bool IsKoreanTrail(uint32_t lead, uint32_t b) noexcept {
  if (Within(b, 0xA1, 0xFE)) return true;
  return lead <= 0xC6 && (Within(b, 0x41, 0x5A) || Within(b, 0x61, 0x7A) || Within(b, 0x81, 0xA0));
}

constexpr bool IsShiftJisLead(uint32_t b) noexcept { return Within(b, 0x81, 0x9F) || Within(b, 0xE0, 0xFC); }
constexpr bool IsShiftJisTrail(uint32_t b) noexcept { return Within(b, 0x40, 0x7E) || Within(b, 0x80, 0xFC); }

const unsigned char* BytesOf(std::string_view s) noexcept { return reinterpret_cast<const unsigned char*>(s.data()); }

// Starts `out` afresh with room for one character per byte.
void Prepare(std::string_view bytes, std::u32string& out) {
  out.clear();
  out.reserve(bytes.size());
}

}  // namespace

void DecodeKorean(std::string_view bytes, std::u32string& out) {
  Prepare(bytes, out);
  const ReverseTable& table = HangulCodes();
  const unsigned char* p = BytesOf(bytes);
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const uint32_t b = p[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
    } else if (IsKoreanLead(b) && i + 1 < n && IsKoreanTrail(b, p[i + 1])) {
      const uint16_t u = table.Unit((b << 8) | p[i + 1]);
      out.push_back(u == kUnmapped ? kReplacementChar : u);
      i += 2;
    } else {
      out.push_back(kReplacementChar);
      ++i;
    }
  }
}

void DecodeChinese(std::string_view bytes, std::u32string& out) {
  Prepare(bytes, out);
  const ReverseTable& table = ChineseCodes();
  const unsigned char* p = BytesOf(bytes);
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
      const uint16_t u = table.Unit((b << 8) | next);
      if (u != kUnmapped) {
        out.push_back(u);
        i += 2;
        continue;
      }
    }
    // A single byte: its code in the table (0x80, the euro sign), else the
    // unit of the same value (ASCII, Latin-1).
    const uint16_t u = table.Unit(b);
    out.push_back(u != kUnmapped ? u : b);
    ++i;
  }
}

void DecodeJapanese(std::string_view bytes, std::u32string& out) {
  Prepare(bytes, out);
  const ReverseTable& table = JapaneseCodes();
  const unsigned char* p = BytesOf(bytes);
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const uint32_t b = p[i];
    uint16_t u;
    if (IsShiftJisLead(b) && i + 1 < n && IsShiftJisTrail(p[i + 1])) {
      u = table.Unit((b << 8) | p[i + 1]);
      i += 2;
    } else {
      u = table.Unit(b);  // no lead byte is a single-byte code
      ++i;
    }
    out.push_back(u == kUnmapped ? kReplacementChar : u);
  }
}

void DecodeEnglish(std::string_view bytes, std::u32string& out) {
  Prepare(bytes, out);
  const unsigned char* p = BytesOf(bytes);
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
    } else if (Within(b, 0xC2, 0xDF)) {
      length = 2, value = b & 0x1F;
    } else if (Within(b, 0xE0, 0xEF)) {
      length = 3, value = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (Within(b, 0xF0, 0xF4)) {
      length = 4, value = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    }
    bool whole = length != 0 && i + length <= n;
    for (std::size_t k = 1; whole && k < length; ++k) {
      const uint32_t c = p[i + k];
      whole = k == 1 ? Within(c, lo, hi) : Within(c, 0x80, 0xBF);
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

void DecodeText(int language, std::string_view bytes, std::u32string& out) {
  switch (language) {
    case 0:
      DecodeKorean(bytes, out);
      break;
    case 2:
      DecodeChinese(bytes, out);
      break;
    case 3:
      DecodeJapanese(bytes, out);
      break;
    default:
      DecodeEnglish(bytes, out);
      break;
  }
}

void AppendUtf8(std::u32string_view text, std::string& out) {
  for (char32_t c : text) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

}  // namespace syn
