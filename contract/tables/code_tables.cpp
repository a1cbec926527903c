#include "code_tables.h"

#include <cstddef>

namespace orven::codepage {
namespace {

// Runs of consecutive mappings as written by the generator: (units skipped
// since the end of the previous run, units in the run, code of the first
// unit); each further unit of a run takes the next code.
constexpr uint16_t kChineseRuns[] = {
#include "chinese_cp936_runs.inc"
};

constexpr uint16_t kJapaneseRuns[] = {
#include "japanese_cp932_runs.inc"
};

constexpr uint16_t kUnmapped = 0xFFFF;
constexpr size_t kUnits = 0x10000;

template <size_t N>
constexpr bool RunsFit(const uint16_t (&runs)[N]) {
  if (N % 3 != 0) return false;
  size_t unit = 0;
  for (size_t i = 0; i < N; i += 3) {
    unit += runs[i] + size_t{runs[i + 1]};
    if (runs[i + 1] == 0 || unit > kUnits || runs[i + 2] + size_t{runs[i + 1]} > kUnmapped) {
      return false;
    }
  }
  return true;
}
// A malformed run list fails the build rather than writing out of bounds or
// producing the unmapped marker as a code.
static_assert(RunsFit(kChineseRuns));
static_assert(RunsFit(kJapaneseRuns));

class DirectTable {
 public:
  template <size_t N>
  explicit DirectTable(const uint16_t (&runs)[N]) {
    for (uint16_t& entry : entries_) entry = kUnmapped;
    size_t unit = 0;
    for (size_t i = 0; i < N; i += 3) {
      unit += runs[i];
      for (uint16_t k = 0; k < runs[i + 1]; ++k) {
        entries_[unit++] = static_cast<uint16_t>(runs[i + 2] + k);
      }
    }
  }
  const uint16_t* data() const { return entries_; }

 private:
  uint16_t entries_[kUnits];
};

}  // namespace

// Function-local statics: built once on first use, with the initialisation
// guarded by the compiler, so concurrent first calls are safe.
const uint16_t* ChineseTable() {
  static const DirectTable table(kChineseRuns);
  return table.data();
}

const uint16_t* JapaneseTable() {
  static const DirectTable table(kJapaneseRuns);
  return table.data();
}

}  // namespace orven::codepage
