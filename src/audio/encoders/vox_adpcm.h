// Dialogic VOX (OKI) 4-bit ADPCM encoding of 16-bit linear PCM.
//
// The coder works on 12-bit samples (the 16-bit input shifted right by 4)
// with an adaptive step from the format's 49-entry table (16 to 1552). Each
// call codes its input as a stream of its own, from the reset state.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::audio {

// What the coder and a decoder both track: the last reconstructed 12-bit
// value (-2048..2048) and the index of the current step (0..48).
struct VoxState {
  int16_t last = 0;
  int16_t stepIndex = 0;
};

// Codes one 12-bit sample (-2048..2047) against `state` and moves the state
// on as a decoder of the returned 4-bit code does: bit 3 is the sign of the
// difference from the last value, bits 2..0 its size in steps, halves and
// quarters of a step.
uint8_t VoxCodeSample(VoxState& state, int32_t sample);

// Shifts every sample right by 4 (arithmetic) in the caller's array, then
// codes the samples from a reset state, two per byte: sample 2i in the high
// nibble of out[i], sample 2i + 1 in the low nibble. With an odd count the
// last sample is shifted but not coded. Returns count / 2, the bytes
// written. `out` must not overlap `samples`.
size_t EncodeVox(int16_t* samples, size_t count, uint8_t* out);

}  // namespace orven::audio
