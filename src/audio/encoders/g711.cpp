// G.711 mu-law and A-law array encoders.
#include "audio/encoders/g711.h"

#include <bit>
#include <cstring>
#include <utility>

namespace orven::audio {
namespace {

using Coder = uint8_t (*)(int16_t);

// One 64 KiB table would take 65,536 evaluations of the coder in a single
// constant expression, more than clang allows one (2^20 steps). It is built
// as 16 rows of 4,096, each row its own constant expression; row r holds the
// codes of the 16-bit patterns r * 4096 to r * 4096 + 4095.
constexpr size_t kRowSize = 4096;
constexpr size_t kRows = 65536 / kRowSize;
using Row = std::array<uint8_t, kRowSize>;
using Table = std::array<Row, kRows>;

template <Coder code, size_t row>
constexpr Row MakeRow() {
  Row part{};
  for (size_t i = 0; i < kRowSize; ++i) part[i] = code(static_cast<int16_t>(row * kRowSize + i));
  return part;
}

template <Coder code, size_t row>
inline constexpr Row kRow = MakeRow<code, row>();

// Copying a finished row is one step, not 4,096.
template <Coder code, size_t... rows>
constexpr Table JoinRows(std::index_sequence<rows...>) {
  return Table{kRow<code, rows>...};
}

// Indexed by the sample's 16 bits read as unsigned: 0..32767, then
// -32768..-1. The rows lie end to end, so the flat table is their bytes.
static_assert(sizeof(Table) == 65536);
alignas(64) constexpr std::array<uint8_t, 65536> kMuLawTable =
    std::bit_cast<std::array<uint8_t, 65536>>(JoinRows<MuLawCode>(std::make_index_sequence<kRows>{}));

// The A-law code depends on the sample only through sample >> 4 (the
// arithmetic shift commutes with the one's complement), so 4,096 entries,
// indexed by the top 12 bits read as unsigned, hold every code.
constexpr std::array<uint8_t, 4096> MakeALawTable() {
  std::array<uint8_t, 4096> table{};
  for (uint32_t i = 0; i < 4096; ++i) table[i] = ALawCode(static_cast<int16_t>(i << 4));
  return table;
}
alignas(64) constexpr std::array<uint8_t, 4096> kALawTable = MakeALawTable();

static_assert(kMuLawTable[0x0000] == 0xFF && kMuLawTable[0x7FFF] == 0x80 && kMuLawTable[0x8000] == 0x02);
static_assert(kALawTable[0x000] == 0xD5 && kALawTable[0xFFF] == 0x55 && kALawTable[0x7FF] == 0xAA &&
              kALawTable[0x800] == 0x2A);

// Codes `count` samples through `table`, indexed by the sample's 16 bits
// read as unsigned and shifted right by `drop`. On little-endian machines
// eight samples are read as two 64-bit words and their eight codes written
// as one, a quarter of the memory operations of the plain loop, which does
// the rest. In place (`out` over `samples`) works: each group is read whole
// before its codes are written, and the codes never reach an unread sample.
template <unsigned drop>
inline void EncodeThrough(const uint8_t* table, const int16_t* samples, size_t count, uint8_t* out) {
  constexpr uint64_t kIndexMask = 0xFFFFu >> drop;
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= count; i += 8) {
      uint64_t low, high;  // samples i..i+3 and i+4..i+7, the first in the low bits
      std::memcpy(&low, samples + i, sizeof low);
      std::memcpy(&high, samples + i + 4, sizeof high);
      // Written out: g++ 12 at -O2 keeps a loop over k and loses half the speed.
      const auto code = [table](uint64_t word, unsigned k) {
        return uint64_t{table[(word >> (16 * k + drop)) & kIndexMask]};
      };
      const uint64_t codes = code(low, 0) | code(low, 1) << 8 | code(low, 2) << 16 | code(low, 3) << 24 |
                             code(high, 0) << 32 | code(high, 1) << 40 | code(high, 2) << 48 | code(high, 3) << 56;
      std::memcpy(out + i, &codes, sizeof codes);
    }
  }
  for (; i < count; ++i) out[i] = table[static_cast<uint16_t>(samples[i]) >> drop];
}

}  // namespace

void EncodeMuLaw(const int16_t* samples, size_t count, uint8_t* out) {
  EncodeThrough<0>(kMuLawTable.data(), samples, count, out);
}

void EncodeALaw(const int16_t* samples, size_t count, uint8_t* out) {
  EncodeThrough<4>(kALawTable.data(), samples, count, out);
}

}  // namespace orven::audio
