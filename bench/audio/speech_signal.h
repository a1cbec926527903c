// A deterministic speech-like test signal for the audio benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orven_bench {

// `n` samples of 16-bit mono audio at 16000 Hz that look like running speech
// to a filter: voiced syllables (a glottal pulse train with a falling,
// jittered pitch of 90..230 Hz through three moving formant resonators),
// fricatives (noise through a 4..6.5 kHz resonator), and pauses holding a
// recording's noise floor of a few LSB rather than digital silence. Peaks
// reach about -3 dBFS. The same `seed` gives the same samples.
std::vector<int16_t> SpeechLikeSignal(size_t n, uint32_t seed);

}  // namespace orven_bench
