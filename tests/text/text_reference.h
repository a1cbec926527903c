// The text routines' rules written out byte by byte (no blocks, no fast paths, no code shared with src/text), and a
// comparison of every routine with them on one text: the oracle of the text tests and of the text fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tables/code_tables.h"
#include "text/code_pages.h"
#include "text/markup.h"
#include "text/utf8.h"

namespace orven::text::reference {

inline unsigned At(const std::string& s, size_t i) { return static_cast<unsigned char>(s[i]); }

inline size_t SequenceLength(unsigned b) {  // of the sequence a lead byte starts; 0 for 80..BF, FE and FF
  if (b >= 0x80 && b < 0xC0) return 0;
  return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : b < 0xFC ? 5 : b < 0xFE ? 6 : 0;
}

inline uint32_t Decode(const std::string& t, size_t i, size_t n) {  // 2 or 3 bytes, continuation bits unchecked
  return n == 2 ? (At(t, i) & 0x1F) << 6 | (At(t, i + 1) & 0x3F)
                : (At(t, i) & 0x0F) << 12 | (At(t, i + 1) & 0x3F) << 6 | (At(t, i + 2) & 0x3F);
}

// Units after a leading mark: 1-3 byte sequences give theirs; a longer or cut one, or a stray byte, U+FFFD.
inline std::vector<uint32_t> Units(const std::string& t) {
  std::vector<uint32_t> units;
  for (size_t i = t.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < t.size();) {
    const size_t n = SequenceLength(At(t, i)), left = t.size() - i;
    units.push_back(n == 1 ? At(t, i) : (n == 2 || n == 3) && n <= left ? Decode(t, i, n) : 0xFFFD);
    i += n == 0 ? 1 : std::min(n, left);
  }
  return units;
}

inline std::string EntryBytes(uint16_t entry) {  // one or two bytes, high byte first
  return entry >> 8 ? std::string{char(entry >> 8), char(entry & 0xFF)} : std::string(1, char(entry));
}

inline bool CheckUtf8(const std::string& text) {  // every sequence whole, continuation bytes 80..BF
  for (size_t i = 0, n; i < text.size(); i += n) {
    n = SequenceLength(At(text, i));
    if (n == 0 || i + n > text.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if (At(text, i + k) < 0x80 || At(text, i + k) > 0xBF) return false;
  }
  return true;
}

// ASCII as it is, Hangul as its two bytes, another three-byte character as a space, any other byte as a space.
inline std::optional<std::string> Utf8ToKorean(const std::string& text) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t h = SequenceLength(At(text, i)) == 3 ? Decode(text, i, 3) - 0xAC00 : ~0u;  // wraps below U+AC00
    out += h <= 0xD7A3 - 0xAC00 ? EntryBytes(codepage::kHangulCp949[h])
                                : std::string(1, At(text, i) < 0x80 ? text[i] : ' ');
    if (SequenceLength(At(text, i)) == 3) i += 2;
  }
  return out;
}

// Chinese: units below U+0100 as their low byte, others as their entry. Japanese: the entry, "?" when unmapped.
inline std::optional<std::string> Utf8ToTable(const std::string& text, bool japanese) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  const uint16_t* table = japanese ? codepage::JapaneseTable() : codepage::ChineseTable();
  for (uint32_t u : Units(text))
    out += japanese && table[u] == 0xFFFF ? "?" : EntryBytes(!japanese && u < 0x100 ? u : table[u]);
  return out;
}

// Well formed when "<" and ">" alternate, starting with "<" and ending with ">"; every span <...> goes.
inline std::optional<std::string> StripMarkup(const std::string& text) {
  std::string out;
  bool inside = false;
  for (char c : text) {
    if (c == (inside ? '<' : '>')) return std::nullopt;
    if (!inside && c != '<') out += c;
    if (c == '<' || c == '>') inside = c == '<';
  }
  return inside ? std::nullopt : std::optional(out);
}

// Every routine against the rules on `in`: the length-taking ones on all of it, the zero-terminated ones on what
// comes before a zero byte. "" when all agree, else the first routine that does not. The routines see exactly n
// bytes in and 2n + 2 out, so that AddressSanitizer catches a step past either.
inline std::string Differences(const std::string& in) {
  const size_t n = in.size();
  std::unique_ptr<char[]> exact(new char[n]);
  std::memcpy(exact.get(), in.data(), n);
  if (text::CheckUtf8(exact.get(), n) != CheckUtf8(in)) return "CheckUtf8";
  std::string want16 = "\xFF\xFE";  // the mark, the units, zeros up to 2n, the rest untouched
  for (uint32_t unit : Units(in)) want16 += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  const size_t written = want16.size();
  want16.resize(std::max(written, 2 * n), '\0');
  want16.resize(2 * n + 2, '\x5A');
  std::vector<unsigned char> out16(Utf16Capacity(n), 0x5A);
  if (Utf8ToUtf16(exact.get(), n, out16.data()) != written || std::string(out16.begin(), out16.end()) != want16) {
    return "Utf8ToUtf16";
  }
  const std::string terminated = in.substr(0, in.find('\0'));
  const size_t length = terminated.size();
  // An overlong NUL gives a zero byte, where the text ends; the bytes after it are still in the buffer.
  const auto differs = [](const std::optional<std::string>& want, const Converted& got, size_t capacity) {
    if (static_cast<bool>(got) != want.has_value()) return true;
    return want && (got.length + 1 > capacity || got.length != std::strlen(want->c_str()) ||
                    std::string(got.bytes.get(), want->size() + 1) != *want + '\0');
  };
  if (differs(Utf8ToKorean(terminated), text::Utf8ToKorean(in.c_str()), KoreanCapacity(length))) return "Utf8ToKorean";
  if (differs(Utf8ToTable(terminated, false), text::Utf8ToChinese(in.c_str()), ChineseCapacity(length))) {
    return "Utf8ToChinese";
  }
  if (differs(Utf8ToTable(terminated, true), text::Utf8ToJapanese(in.c_str()), JapaneseCapacity(length))) {
    return "Utf8ToJapanese";
  }
  Converted stripped;
  const MarkupStatus status = text::StripMarkup(in.c_str(), stripped);
  const std::optional<std::string> wantStripped = StripMarkup(terminated);
  if (differs(wantStripped, stripped, MarkupCapacity(length)) ||
      status != (wantStripped ? MarkupStatus::kStripped : MarkupStatus::kMalformed)) {
    return "StripMarkup";
  }
  return "";
}

}  // namespace orven::text::reference
