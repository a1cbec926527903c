// The generated tables against glibc's iconv (independent of the codecs they come from), plus their additions. (Their
// concurrent first use is checked with the threads tests.)
#include <iconv.h>

#include <stdexcept>

#include "tables/code_tables.h"
#include "test_support.h"

namespace orven::codepage {
namespace {

constexpr uint16_t kNone = 0xFFFF;

bool In(unsigned v, unsigned lo, unsigned hi) { return lo <= v && v <= hi; }

std::string Convert(const char* to, const char* from, std::string in) {             // with iconv; empty on failure
  static auto& open = *new std::map<std::pair<std::string, std::string>, iconv_t>;  // kept to the end
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

uint16_t Encode(const char* charset, uint32_t c) {  // iconv's code for `c` as a table entry holds it, or kNone
  const std::string out = Convert(charset, "UTF-32LE", {char(c), char(c >> 8), 0, 0});
  if (out.size() == 1) return uint8_t(out[0]);
  return out.size() == 2 ? uint16_t(uint8_t(out[0]) << 8 | uint8_t(out[1])) : kNone;
}

uint32_t Decode(const char* charset, uint16_t code) {  // the one code point iconv gives for `code`, or 0
  const std::string out = Convert("UTF-32LE", charset, {char(code >> 8), char(code)});
  return out.size() == 4 ? uint8_t(out[0]) | uint8_t(out[1]) << 8 | uint8_t(out[2]) << 16 : 0;
}

// Codes that no code page gives and the engines expect; Hangul as cp949 gives it.
TEST(TextTables, FixedAdditionsAndHangul) {
  const uint16_t *zh = ChineseTable(), *ja = JapaneseTable();
  const std::tuple<const uint16_t*, uint32_t, uint16_t> rows[] = {
      {zh, 0x1200, 0xAAA1}, {zh, 0x2E81, 0xFE50}, {zh, 0xE816, 0xFE51}, {ja, 0x4FCF, 0xF040}, {ja, 0xFA06, 0xF190}};
  for (const auto& [table, unit, code] : rows) EXPECT_EQ(table[unit], code) << std::hex << "U+" << unit;
  for (uint32_t c = 0xAC00; c <= 0xD7A3; ++c) EXPECT_EQ(kHangulCp949[c - 0xAC00], Encode("CP949", c)) << std::hex << c;
}

// The Chinese additions: three user-defined areas in fill order, and the FE 50..FE A0 row.
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
  std::set<uint16_t> seen;
  std::map<std::pair<Area, uint16_t>, uint32_t> added;  // (area, code) -> unit, in fill order
  int perArea[kNotAdded] = {}, laterEdition = 0;
  for (uint32_t u = 0; u < 0x10000; ++u) {
    if (In(u, 0xD800, 0xDFFF)) continue;
    const uint16_t code = zh[u], cp936 = Encode("CP936", u);
    const Area area = AreaOf(code);
    EXPECT_TRUE(code == kNone || seen.insert(code).second) << std::hex << "code " << code << " repeated at U+" << u;
    if (area != kNotAdded) {
      ++perArea[area];
      if (area != kFeRow) added[{area, code}] = u;
      EXPECT_EQ(cp936, kNone) << std::hex << "U+" << u << " is in code page 936";
      // The FE row as GB 18030 decodes it, but for up to 14 codes that later editions moved out of private use.
      const uint32_t c = area == kFeRow ? Decode("GB18030", code) : u;
      laterEdition += c != u;
      EXPECT_TRUE(c == u || (In(u, 0xE000, 0xF8FF) && (In(c, 0x9FB4, 0x9FBB) || c > 0xFFFF))) << std::hex << u;
    } else {
      EXPECT_EQ(code, u < 0x80 ? kNone : cp936) << std::hex << "U+" << u;  // ASCII entries are never read
    }
  }
  EXPECT_EQ(std::vector<int>(perArea, perArea + kNotAdded), (std::vector<int>{564, 658, 580, 80}));
  EXPECT_LE(laterEdition, 14);
  std::vector<uint32_t> units;  // ascending through AA..AF, F8..FE, A1..A7, starting with U+1200..U+14CE
  for (const auto& entry : added) units.push_back(entry.second);
  EXPECT_TRUE(std::is_sorted(units.begin(), units.end()));
  for (uint32_t k = 0; k <= 0x14CE - 0x1200 && k < units.size(); ++k) EXPECT_EQ(units[k], 0x1200 + k);
}

TEST(TextTables, JapaneseIsCp932PlusTheAdditions) {
  const uint16_t* ja = JapaneseTable();
  // glibc's one-way mappings (their codes decode as other characters) stay unmapped.
  const std::set<uint32_t> oneWay = {0xA2, 0xA3, 0xA5, 0xAC, 0x203E, 0x2014, 0x2016, 0x2212, 0x301C};
  uint16_t nextAdded = 0xF040;
  for (uint32_t u = 0; u < 0x10000; ++u) {
    if (In(u, 0xD800, 0xDFFF)) continue;
    const uint16_t code = ja[u], cp932 = Encode("CP932", u);
    const unsigned l = code >> 8, t = code & 0xFF;
    if (In(l, 0xF0, 0xF9)) {
      // 268 ideographs cp932 lacks, from F0 40 on ascending; between the fixed ends, kanji that are also hanja.
      EXPECT_EQ(code, nextAdded) << std::hex << "U+" << u;
      nextAdded = uint16_t(t == 0xFC ? (code & 0xFF00) + 0x140 : code + (t == 0x7E ? 2 : 1));
      EXPECT_EQ(cp932, kNone) << std::hex << "U+" << u;
      const bool hanja = Encode("SHIFT_JISX0213", u) > 0xFF && Encode("CP949", u) != kNone;
      EXPECT_TRUE(hanja || u == 0x4FCF || u == 0xFA06) << std::hex << "U+" << u;
    } else if (u < 0x80 || In(u, 0xFF61, 0xFF9F)) {  // single bytes
      EXPECT_EQ(code, u < 0x80 ? u : u - 0xFF61 + 0xA1) << std::hex << "U+" << u;
    } else if (u == 0xB7 || oneWay.count(u) || In(u, 0xE000, 0xE757)) {
      EXPECT_EQ(code, u == 0xB7 ? 0x2E : kNone) << std::hex << "U+" << u;
    } else {
      EXPECT_EQ(code, cp932) << std::hex << "U+" << u;
    }
  }
  EXPECT_EQ(nextAdded, 0xF191);  // F0 40..F1 90: 268 codes
}

// Among a character's cp932 codes: JIS X 0208, then NEC row 13, IBM extension, NEC-selected IBM extension.
TEST(TextTables, JapanesePrefersAmongCp932Duplicates) {
  const auto rank = [](unsigned l) { return l == 0x87 ? 1 : In(l, 0xFA, 0xFC) ? 2 : In(l, 0xED, 0xEE) ? 3 : 0; };
  const uint16_t* ja = JapaneseTable();
  std::map<uint32_t, std::vector<uint16_t>> codesOf;
  for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
    const unsigned l = code >> 8, t = code & 0xFF;
    if (!(In(l, 0x81, 0x9F) || In(l, 0xE0, 0xFC)) || !In(t, 0x40, 0xFC) || t == 0x7F) continue;
    if (const uint32_t c = Decode("CP932", uint16_t(code))) codesOf[c].push_back(uint16_t(code));
  }
  int duplicated = 0;
  for (const auto& [c, codes] : codesOf) {
    if (codes.size() < 2) continue;
    ++duplicated;
    const auto best = *std::ranges::min_element(codes, {}, [&](unsigned code) { return rank(code >> 8); });
    EXPECT_EQ(ja[c], best) << std::hex << "U+" << c;
  }
  EXPECT_EQ(duplicated, 396);
}

}  // namespace
}  // namespace orven::codepage
