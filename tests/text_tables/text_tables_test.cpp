// Checks the generated character-set tables against their stated rows and
// counts, and against glibc's iconv, a converter written independently of the
// Python codecs the tables are generated from.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "text/tables/code_tables.h"

namespace orven::text {
namespace {

constexpr uint16_t kNone = 0xFFFF;

bool In(unsigned v, unsigned lo, unsigned hi) { return lo <= v && v <= hi; }

// Converts `in` with iconv (descriptors opened once, closed at exit); empty on failure.
std::string Convert(const char* to, const char* from, std::string in) {
  static struct Open : std::map<std::pair<std::string, std::string>, iconv_t> {
    ~Open() {
      for (auto& entry : *this) iconv_close(entry.second);
    }
  } open;
  auto [it, added] = open.try_emplace({to, from});
  if (added) it->second = iconv_open(to, from);
  if (it->second == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(from);
  iconv(it->second, nullptr, nullptr, nullptr, nullptr);
  char out[16], *ip = in.data(), *op = out;
  size_t il = in.size(), ol = sizeof out;
  const bool ok = iconv(it->second, &ip, &il, &op, &ol) != size_t(-1) && il == 0 &&
                  iconv(it->second, nullptr, nullptr, &op, &ol) != size_t(-1);
  return ok ? std::string(out, op) : std::string();
}

// iconv's code for code point `c` in `charset` as a table entry holds it, or kNone.
uint16_t Encode(const char* charset, uint32_t c) {
  const std::string out = Convert(charset, "UTF-32LE", {char(c), char(c >> 8), 0, 0});
  if (out.size() == 1) return uint8_t(out[0]);
  return out.size() == 2 ? uint16_t(uint8_t(out[0]) << 8 | uint8_t(out[1])) : kNone;
}

// The one code point iconv decodes from the two-byte `code`, or 0.
uint32_t Decode(const char* charset, uint16_t code) {
  const std::string out = Convert("UTF-32LE", charset, {char(code >> 8), char(code)});
  uint32_t c = 0;
  for (size_t i = out.size() == 4 ? 4 : 0; i-- > 0;) c = c << 8 | uint8_t(out[i]);
  return c;
}

bool IsSjisLead(unsigned l) { return In(l, 0x81, 0x9F) || In(l, 0xE0, 0xFC); }
bool IsSjisTrail(unsigned t) { return In(t, 0x40, 0x7E) || In(t, 0x80, 0xFC); }

// A table's entry for `unit`; the Hangul table starts at U+AC00.
uint16_t At(const uint16_t* table, uint32_t unit) {
  return table == kHangulCp949 ? table[unit - 0xAC00] : table[unit];
}

TEST(TextTables, TellingRows) {
  const uint16_t *ko = kHangulCp949, *zh = ChineseTable(), *ja = JapaneseTable();
  const struct { const uint16_t* table; uint32_t unit; uint16_t code; } rows[] = {
      {ko, 0xAC00, 0xB0A1}, {ko, 0xAC01, 0xB0A2}, {ko, 0xAC02, 0x8141}, {ko, 0xC548, 0xBEC8},
      {ko, 0xD7A3, 0xC652}, {zh, 0x4E00, 0xD2BB}, {zh, 0x3000, 0xA1A1}, {zh, 0xFF01, 0xA3A1},
      {zh, 0x4E2D, 0xD6D0}, {zh, 0x20AC, 0x0080}, {zh, 0x1200, 0xAAA1}, {zh, 0x2E81, 0xFE50},
      {zh, 0xE816, 0xFE51}, {zh, 0xAC00, kNone},  {ja, 0x3042, 0x82A0}, {ja, 0x3000, 0x8140},
      {ja, 0xFF5E, 0x8160}, {ja, 0x2225, 0x8161}, {ja, 0xFF0D, 0x817C}, {ja, 0xFFE0, 0x8191},
      {ja, 0xFFE2, 0x81CA}, {ja, 0x2252, 0x81E0}, {ja, 0x2160, 0x8754}, {ja, 0x2170, 0xFA40},
      {ja, 0x4FCF, 0xF040}, {ja, 0x4FE0, 0xF041}, {ja, 0xFA06, 0xF190}, {ja, 0x005C, 0x005C},
      {ja, 0x007E, 0x007E}, {ja, 0x00B7, 0x002E}, {ja, 0xFF71, 0x00B1}, {ja, 0x301C, kNone},
      {ja, 0x2016, kNone},  {ja, 0x2212, kNone},  {ja, 0x00A2, kNone},  {ja, 0x00A5, kNone},
      {ja, 0x00E9, kNone}};
  for (const auto& row : rows) {
    EXPECT_EQ(At(row.table, row.unit), row.code) << std::hex << "U+" << row.unit;
  }
}

TEST(TextTables, HangulIsCp949) {
  std::bitset<0x10000> seen;
  int ks = 0, extension = 0;
  for (uint32_t c = 0xAC00; c <= 0xD7A3; ++c) {
    const unsigned code = kHangulCp949[c - 0xAC00], l = code >> 8, t = code & 0xFF;
    EXPECT_EQ(code, Encode("CP949", c)) << std::hex << "U+" << c;
    EXPECT_FALSE(seen[code]) << std::hex << "U+" << c;
    seen.set(code);
    ks += In(l, 0xA1, 0xFE) && In(t, 0xA1, 0xFE);
    extension += In(l, 0x81, 0xC6) && (In(t, 0x41, 0x5A) || In(t, 0x61, 0x7A) || In(t, 0x81, 0xA0) ||
                                       (In(t, 0xA1, 0xFE) && l < 0xA1));
  }
  EXPECT_EQ(ks, 2350);
  EXPECT_EQ(extension, 8822);
}

// The Chinese table's additions: the three user-defined areas in the order
// they are filled, and the FE 50..FE A0 row.
enum Area { kAreaAA, kAreaF8, kAreaA1, kFeRow, kNotAdded };
Area AreaOf(uint16_t code) {
  const unsigned l = code >> 8, t = code & 0xFF;
  if (code == kNone || t == 0x7F) return kNotAdded;
  if (In(l, 0xAA, 0xAF) && In(t, 0xA1, 0xFE)) return kAreaAA;
  if (In(l, 0xF8, 0xFE) && In(t, 0xA1, 0xFE)) return kAreaF8;
  if (In(l, 0xA1, 0xA7) && In(t, 0x40, 0xA0)) return kAreaA1;
  return l == 0xFE && In(t, 0x50, 0xA0) ? kFeRow : kNotAdded;
}

TEST(TextTables, ChineseIsCp936PlusTheAdditions) {
  const uint16_t* zh = ChineseTable();
  std::bitset<0x10000> seen;
  std::map<std::pair<Area, uint16_t>, uint32_t> added;  // (area, code) -> unit, in fill order
  int two_byte = 0, per_area[kNotAdded] = {};
  for (uint32_t u = 0; u < 0x10000; ++u) {
    if (In(u, 0xD800, 0xDFFF)) continue;
    const uint16_t code = zh[u], cp936 = Encode("CP936", u);
    const Area area = AreaOf(code);
    if (code != kNone) {
      EXPECT_FALSE(seen[code]) << std::hex << "code " << code << " repeated at U+" << u;
      seen.set(code);
      EXPECT_TRUE(In(code >> 8, 0x81, 0xFE) ? (code & 0xFF) >= 0x40 && (code & 0xFF) != 0x7F &&
                                                 (code & 0xFF) != 0xFF
                                           : u == 0x20AC && code == 0x80)
          << std::hex << "U+" << u << " has code " << code;
    }
    two_byte += cp936 > 0xFF && cp936 != kNone;
    if (area != kNotAdded) {
      ++per_area[area];
      if (area != kFeRow) added[{area, code}] = u;
      EXPECT_EQ(cp936, kNone) << std::hex << "U+" << u << " is in code page 936";
    } else {
      // ASCII entries are never read, so they are left unmapped.
      EXPECT_EQ(code, u < 0x80 ? kNone : cp936) << std::hex << "U+" << u;
    }
  }
  EXPECT_EQ(two_byte, 21791);
  EXPECT_EQ(per_area[kAreaAA], 564);
  EXPECT_EQ(per_area[kAreaF8], 658);
  EXPECT_EQ(per_area[kAreaA1], 580);
  EXPECT_EQ(per_area[kFeRow], 80);
  // Ascending code points through AA..AF, F8..FE, A1..A7, from U+1200..U+14CE on.
  std::vector<uint32_t> units;
  for (const auto& entry : added) units.push_back(entry.second);
  EXPECT_TRUE(std::is_sorted(units.begin(), units.end()));
  for (uint32_t k = 0; k <= 0x14CE - 0x1200 && k < units.size(); ++k) EXPECT_EQ(units[k], 0x1200 + k);
}

TEST(TextTables, ChineseFeRowFollowsGb18030) {
  const uint16_t* zh = ChineseTable();
  std::map<uint16_t, uint32_t> unit_of;
  for (uint32_t u = 0; u < 0x10000; ++u) unit_of[zh[u]] = u;
  int later_edition = 0;
  for (unsigned t = 0x50; t <= 0xA0; t += t == 0x7E ? 2 : 1) {
    const uint16_t code = uint16_t(0xFE00 | t);
    const uint32_t c = Decode("GB18030", code), u = unit_of.count(code) ? unit_of[code] : 0;
    if (c == u) continue;
    // Newer glibc follows later GB 18030 editions, which give 14 of these codes
    // U+9FB4..U+9FBB or supplementary characters; the table keeps the
    // private-use characters of the first edition there.
    ++later_edition;
    EXPECT_TRUE(In(u, 0xE000, 0xF8FF) && (In(c, 0x9FB4, 0x9FBB) || c > 0xFFFF))
        << std::hex << code << " decodes to U+" << c << ", table has U+" << u;
  }
  EXPECT_LE(later_edition, 14);
}

TEST(TextTables, JapaneseIsCp932PlusTheAdditions) {
  const uint16_t* ja = JapaneseTable();
  // glibc's one-way mappings (it encodes these but decodes their codes as
  // other characters); the table leaves them unmapped.
  const std::set<uint32_t> one_way = {0xA2, 0xA3, 0xA5, 0xAC, 0x203E, 0x2014, 0x2016, 0x2212, 0x301C};
  std::bitset<0x10000> seen;
  uint16_t next_added = 0xF040;
  for (uint32_t u = 0; u < 0x10000; ++u) {
    if (In(u, 0xD800, 0xDFFF)) continue;
    const uint16_t code = ja[u], cp932 = Encode("CP932", u);
    const unsigned l = code >> 8, t = code & 0xFF;
    if (l == 0) {  // single bytes: ASCII, the middle dot, halfwidth katakana
      EXPECT_TRUE(u < 0x80 ? code == u
                           : u == 0xB7 ? code == 0x2E : In(u, 0xFF61, 0xFF9F) && code == u - 0xFF61 + 0xA1)
          << std::hex << "U+" << u << " has " << code;
    } else if (code != kNone) {
      EXPECT_FALSE(seen[code]) << std::hex << "code " << code << " repeated at U+" << u;
      seen.set(code);
      EXPECT_TRUE(IsSjisLead(l) && l != 0xED && l != 0xEE && IsSjisTrail(t)) << std::hex << "U+" << u;
    }
    if (In(l, 0xF0, 0xF9)) {  // the additions: 268 ideographs cp932 lacks, F0 40 on
      EXPECT_EQ(code, next_added) << std::hex << "U+" << u;
      next_added = uint16_t(t == 0xFC ? (code & 0xFF00) + 0x140 : code + (t == 0x7E ? 2 : 1));
      EXPECT_TRUE(In(u, 0x4E00, 0x9FFF) || In(u, 0xF900, 0xFAFF)) << std::hex << "U+" << u;
      EXPECT_EQ(cp932, kNone) << std::hex << "U+" << u;
    } else if (u == 0xB7 || one_way.count(u) || In(u, 0xE000, 0xE757)) {
      EXPECT_EQ(code, u == 0xB7 ? 0x2E : kNone) << std::hex << "U+" << u;
    } else {
      EXPECT_EQ(code, cp932) << std::hex << "U+" << u;
    }
  }
  EXPECT_EQ(next_added, 0xF191);  // F0 40..F1 90: 268 codes
}

// Among a character's several cp932 codes: JIS X 0208 first, then NEC row 13,
// then the IBM extension; the NEC-selected IBM extension (ED, EE) last.
int Rank(uint16_t code) {
  const unsigned l = code >> 8;
  return l == 0x87 ? 1 : In(l, 0xFA, 0xFC) ? 2 : (l == 0xED || l == 0xEE) ? 3 : 0;
}

TEST(TextTables, JapanesePrefersAmongCp932Duplicates) {
  const uint16_t* ja = JapaneseTable();
  std::map<uint32_t, std::vector<uint16_t>> codes_of;
  for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
    if (IsSjisLead(code >> 8) && IsSjisTrail(code & 0xFF)) {
      if (const uint32_t c = Decode("CP932", uint16_t(code))) codes_of[c].push_back(uint16_t(code));
    }
  }
  int duplicated = 0;
  for (const auto& [c, codes] : codes_of) {
    if (codes.size() < 2) continue;
    ++duplicated;
    EXPECT_EQ(ja[c], *std::min_element(codes.begin(), codes.end(),
                                       [](uint16_t a, uint16_t b) { return Rank(a) < Rank(b); }))
        << std::hex << "U+" << c;
  }
  EXPECT_EQ(duplicated, 396);
}

TEST(TextTables, ConcurrentFirstUseBuildsOneTable) {
  const uint16_t* seen[8] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&seen, i] { seen[i] = i % 2 ? ChineseTable() : JapaneseTable(); });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(seen[i], i % 2 ? ChineseTable() : JapaneseTable());
    EXPECT_EQ(seen[i][0x3000], i % 2 ? 0xA1A1 : 0x8140);
  }
}

}  // namespace
}  // namespace orven::text
