// G.721 32 kbit/s ADPCM: 16-bit linear PCM to 4-bit codes and back, with the
// recommendation's fixed-point transcoder (adaptive quantizer, scale factor
// adaptation with speed control, 2-pole/6-zero predictor, tone and
// transition detectors), bit for bit.
//
// The coder works on 14-bit linear values: input samples are taken as s >> 2
// and decoded values are handed back shifted left by 2 (modulo 2^16).
//
// The whole-buffer routines start every call from the reset state, so each
// call codes a stream of its own. The per-sample routines carry a state the
// caller owns, for code that needs to continue a stream; that state must come
// from G721InitialState() and these routines.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::audio {

// The coder state, field by field as the recommendation names it. Values are
// kept as signed numbers where the recommendation uses two's complement;
// DQ1..DQ6 and SR1..SR2 hold its 11-bit floating format (bit 10 sign, bits
// 6-9 exponent, bits 0-5 mantissa).
struct AdpcmState {
  int32_t yl;   // YL, locked quantizer scale factor (19 bits)
  int16_t yu;   // YU, unlocked scale factor (13 bits, 544..5120)
  int16_t dms;  // DMS, short-term average of F(I)
  int16_t dml;  // DML, long-term average of F(I)
  int16_t ap;   // AP, speed control (10 bits)
  int16_t a1;   // A1, A2: pole predictor coefficients
  int16_t a2;
  int16_t b[6];   // B1..B6: zero predictor coefficients
  int16_t pk1;    // PK1, PK2: signs of the two previous partial
  int16_t pk2;    //   reconstructions (1 negative)
  int16_t dq[6];  // DQ1..DQ6: previous quantized differences, floating
  int16_t sr1;    // SR1, SR2: previous reconstructed signals, floating
  int16_t sr2;
  uint8_t td;  // TD, tone detect flag
};

// The reset state: YL 34816, YU 544, DQn and SRn 32 (+0 in the floating
// format), everything else 0.
AdpcmState G721InitialState();

// Codes one 16-bit sample and updates the state; returns the code 0..15
// (never 0: a zero magnitude is coded as 15).
uint8_t G721EncodeSample(AdpcmState& state, int16_t sample);

// Decodes one code (low four bits used) and updates the state; returns the
// reconstructed 14-bit value shifted left by 2, wrapped to 16 bits.
int16_t G721DecodeSample(AdpcmState& state, uint8_t code);

// Output sizes of the whole-buffer routines.
constexpr size_t G721EncodedBytes(size_t samples) { return (samples + 1) / 2; }
constexpr size_t G721DecodedSamples(size_t bytes) { return 2 * bytes; }

// Codes `n` samples from the reset state into G721EncodedBytes(n) bytes, the
// first sample's code in the high nibble of the first byte; an odd sample
// count leaves a 0 low nibble in the last byte. Returns the bytes written.
size_t G721Encode(const int16_t* in, size_t n, uint8_t* out);

// Decodes `n` bytes from the reset state, high nibble first, into
// G721DecodedSamples(n) samples. Returns the samples written.
size_t G721Decode(const uint8_t* in, size_t n, int16_t* out);

}  // namespace orven::audio
