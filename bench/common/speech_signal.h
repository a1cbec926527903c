// A deterministic speech-like test signal for the benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orven_bench {

// `n` samples of 16-bit mono audio at `rate` Hz (8000 or more) that look
// like running speech to a filter: voiced syllables (a glottal pulse train with a
// falling, jittered pitch of 90..230 Hz through three moving formant
// resonators), fricatives (noise through a 4..6.5 kHz resonator, moved down
// in proportion below 16000 Hz to stay under half the rate), and pauses
// holding a recording's noise floor of a few LSB rather than digital
// silence. Peaks reach about -3 dBFS. The same `seed` and `rate` give the
// same samples.
std::vector<int16_t> SpeechLikeSignal(size_t n, uint32_t seed, double rate = 16000.0);

}  // namespace orven_bench
