// Dialogic VOX (OKI) ADPCM encoder.
#include "audio/encoders/vox_adpcm.h"

#include <array>

namespace orven::audio {
namespace {

// The format's step sizes: each about 1.1 times the one before.
constexpr std::array<int16_t, 49> kStepSizes = {16,  17,  19,  21,  23,  25,   28,   31,   34,   37,  41,  45,  50,
                                                55,  60,  66,  73,  80,  88,   97,   107,  118,  130, 143, 157, 173,
                                                190, 209, 230, 253, 279, 307,  337,  371,  408,  449, 494, 544, 598,
                                                658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
constexpr int32_t kLastIndex = static_cast<int32_t>(kStepSizes.size()) - 1;

// Step index change by the code's three magnitude bits: small codes shrink
// the step, large ones grow it.
constexpr std::array<int8_t, 8> kIndexChange = {-1, -1, -1, -1, 2, 4, 6, 8};

// The reconstructed value stays within -2048..2048 (2048, one above the
// largest 12-bit sample, is reachable).
constexpr int32_t kLimit = 2048;

constexpr int32_t ClampIndex(int32_t index) { return index < 0 ? 0 : index > kLastIndex ? kLastIndex : index; }

// For each step index, the five steps that the next code can lead to, 12
// bits each: bits 0..11 for magnitudes 0..3 (index - 1), then bits
// 12 * (k + 1) for magnitude 4 + k (index + 2, 4, 6, 8), clamped to 0..48.
// The word is loaded as soon as the index is known and the next step is cut
// out of it by a shift, which keeps a table load off the chain that runs
// from one sample to the next.
constexpr std::array<uint64_t, 49> MakeNextSteps() {
  std::array<uint64_t, 49> table{};
  for (int32_t i = 0; i <= kLastIndex; ++i) {
    for (uint32_t slot = 0; slot < 5; ++slot) {
      const int32_t magnitude = slot == 0 ? 0 : static_cast<int32_t>(slot) + 3;
      const auto step = static_cast<uint64_t>(kStepSizes[ClampIndex(i + kIndexChange[magnitude])]);
      table[i] |= step << (12 * slot);
    }
  }
  return table;
}
constexpr std::array<uint64_t, 49> kNextSteps = MakeNextSteps();
static_assert(kStepSizes.back() < (1 << 12), "a step fits 12 bits");

// The coder's running state; `step` is always kStepSizes[index].
struct Coder {
  int32_t last;
  int32_t index;
  int32_t step;
};

// Codes one 12-bit sample and moves the state on as the decoder does.
//
// The three magnitude bits follow the rule "take a step, then half a step,
// then a quarter, each if what is left of |diff| reaches it", written as
// comparisons of |diff| with the running sums (b2 * step + b1 * half + ...),
// so that each bit needs one compare and one select. The selects are single
// values, which both compilers turn into conditional moves, and the sign is
// applied by masks: the code bits of speech are close to random, and
// branches on them would be mispredicted about half the time.
inline uint32_t CodeOne(Coder& c, int32_t sample) {
  const uint64_t nextSteps = kNextSteps[static_cast<size_t>(c.index)];
  const int32_t step = c.step, half = step >> 1, quarter = step >> 2, eighth = step >> 3;
  const int32_t diff = sample - c.last;
  const int32_t negative = diff >> 31;  // all ones for diff < 0
  const int32_t magnitude = (diff ^ negative) - negative;

  const bool b2 = magnitude >= step;
  const int32_t withHalf = b2 ? step + half : half;
  const bool b1 = magnitude >= withHalf;
  const int32_t upper = b1 ? withHalf : withHalf - half;  // b2 * step + b1 * half
  const int32_t withQuarter = upper + quarter;
  const bool b0 = magnitude >= withQuarter;
  const int32_t delta = eighth + (b0 ? withQuarter : upper);

  int32_t next = c.last + ((delta ^ negative) - negative);  // delta, negated for diff < 0
  next = next > kLimit ? kLimit : next;
  c.last = next < -kLimit ? -kLimit : next;

  const uint32_t bits = uint32_t{b2} << 2 | uint32_t{b1} << 1 | uint32_t{b0};
  const uint32_t shift = (12 + 12 * (bits & 3)) & (0u - uint32_t{b2});  // slot 0, or 1 + (bits & 3)
  c.step = static_cast<int32_t>((nextSteps >> shift) & 0xFFF);
  c.index = ClampIndex(c.index + kIndexChange[bits]);
  return (static_cast<uint32_t>(negative) & 8) | bits;
}

}  // namespace

uint8_t VoxCodeSample(VoxState& state, int32_t sample) {
  Coder c{state.last, state.stepIndex, kStepSizes[static_cast<size_t>(state.stepIndex)]};
  const uint32_t code = CodeOne(c, sample);
  state.last = static_cast<int16_t>(c.last);
  state.stepIndex = static_cast<int16_t>(c.index);
  return static_cast<uint8_t>(code);
}

size_t EncodeVox(int16_t* samples, size_t count, uint8_t* out) {
  const VoxState reset;
  Coder c{reset.last, reset.stepIndex, kStepSizes[static_cast<size_t>(reset.stepIndex)]};
  const size_t bytes = count / 2;
  for (size_t i = 0; i < bytes; ++i) {
    const int32_t first = samples[2 * i] >> 4;
    const int32_t second = samples[2 * i + 1] >> 4;
    samples[2 * i] = static_cast<int16_t>(first);
    samples[2 * i + 1] = static_cast<int16_t>(second);
    const uint32_t high = CodeOne(c, first);
    const uint32_t low = CodeOne(c, second);
    out[i] = static_cast<uint8_t>(high << 4 | low);
  }
  if (count % 2 != 0) samples[count - 1] = static_cast<int16_t>(samples[count - 1] >> 4);
  return bytes;
}

}  // namespace orven::audio
