// G.721 32 kbit/s ADPCM transcoder in the recommendation's fixed point.
//
// Each step names the recommendation's block it computes. The recommendation
// describes every quantity as an unsigned bit pattern of a given width; here
// two's-complement patterns are carried as signed ints, and every modular
// add or shift is written as the signed operation it equals (the ranges noted
// show where no wrap can occur). The sums that can wrap, ACCUM and the zero
// predictor update, are kept to 16 bits as in the recommendation.
//
// Two forms of the zero predictor share everything else:
//  - the scalar one works on AdpcmState and serves the per-sample routines
//    (and the whole-buffer routines where SSE2 is missing);
//  - with SSE2, the whole-buffer routines keep B1..B6 and DQ1..DQ6 in vector
//    lanes and compute the six zero-section FMULT products at once. Their
//    state never leaves the call, since every call starts from reset.

// This file is part of the library: its exports are definitions, not imports.
#ifndef ORVEN_BUILDING_LIBRARY
#define ORVEN_BUILDING_LIBRARY
#endif

#include "audio/encoders/g721.h"

#include <algorithm>
#include <bit>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orven::audio {
namespace {

// RECONST: log2 of the inverse quantizer's normalized output (units of 2^-7)
// for each code I; |I| = 0 gives -2048, whose antilog is 0.
constexpr int16_t kDqln[16] = {-2048, 4, 135, 213, 273, 323, 373, 425, 425, 373, 323, 273, 213, 135, 4, -2048};
// FUNCTW: W(I), the scale factor multiplier (units of 2^-4).
static const int16_t kW[16] = {-12, 18, 41, 64, 112, 198, 355, 1122, 1122, 355, 198, 112, 64, 41, 18, -12};
// FUNCTF: F(I), already shifted left by 9 as FILTA takes it.
static const int16_t kF[16] = {0,      0,      0,      1 << 9, 1 << 9, 1 << 9, 3 << 9, 7 << 9,
                               7 << 9, 3 << 9, 1 << 9, 1 << 9, 1 << 9, 0,      0,      0};

// UPB's gain for each code where DQn >= 0: 0 when DQ is 0 (codes 0 and 15),
// else +-128 by DQ's sign. A table, as a branch on the code mispredicts.
struct BStepRows {
  alignas(16) int16_t lane[16][8];
};
constexpr BStepRows MakeBStepRows() {
  BStepRows t{};
  for (int code = 0; code < 16; ++code) {
    for (int k = 0; k < 8; ++k)
      t.lane[code][k] = static_cast<int16_t>(((code + 1) & 15) < 2 ? 0 : code < 8 ? 128 : -128);
  }
  return t;
}
// Each gain repeated over eight lanes, so the vector form takes one load.
constexpr BStepRows kBStep = MakeBStepRows();

// LOG: DL, the base-2 logarithm of a magnitude below 2^15 (4-bit exponent
// floor(log2), 7-bit mantissa; 0 and 1 both give 0).
constexpr int LogMagnitude(uint32_t mag) {
  const int exp = 31 - std::countl_zero(mag | 1);
  return (exp << 7) + (static_cast<int>((mag << 7) >> exp) & 127);
}

// The quantizer's decision levels in the DLN domain (units of 2^-7).
constexpr int kQuanLevels[7] = {-124, 80, 178, 246, 300, 349, 400};
// Every threshold DL >= level + (Y >> 2) the quantizer can meet: Y is
// 544..5120, so Y >> 2 is 136..1280.
constexpr int kMinThreshold = kQuanLevels[0] + (544 >> 2);
constexpr int kMaxThreshold = kQuanLevels[6] + (5120 >> 2);

// QUAN without LOG: DL is non-decreasing in |D|, so DL >= T exactly when |D|
// is at least the smallest magnitude whose DL reaches T. This table holds
// that magnitude for every T the quantizer uses, found by running LOG over
// all magnitudes.
struct LogThresholds {
  uint16_t mag[kMaxThreshold - kMinThreshold + 1];
};
constexpr LogThresholds MakeLogThresholds() {
  LogThresholds t{};
  uint32_t mag = 0;
  for (int dl = kMinThreshold; dl <= kMaxThreshold; ++dl) {
    while (LogMagnitude(mag) < dl) ++mag;
    t.mag[dl - kMinThreshold] = static_cast<uint16_t>(mag);
  }
  return t;
}
static const LogThresholds kLogThresholds = MakeLogThresholds();

inline int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

// Exponent of the floating format: 0 for 0, else floor(log2 x) + 1. The
// argument of countl_zero is never 0, so it needs no branch; 31 ^ n equals
// 31 - n for n in 0..31 and compiles to a single bit scan.
constexpr int BitLength(uint32_t x) { return 31 ^ std::countl_zero((x << 1) | 1); }

// FLOATA / FLOATB: sign and magnitude to the 11-bit floating format (bit 10
// sign, bits 6-9 exponent, bits 0-5 mantissa). A non-zero magnitude has
// mantissa bit 5 set; a zero one gets mantissa 32 as the recommendation sets.
constexpr int16_t ToFloat(int sign, int mag) {
  const int exp = BitLength(static_cast<uint32_t>(mag));
  return static_cast<int16_t>((sign << 10) | (exp << 6) | ((mag << 6) >> exp) | 32);
}

// ANTILOG of DQL = DQLN + (Y >> 2), which lies in -1920..1705: the
// exponent is at most 13, so the magnitude fits 14 bits. A negative DQL (the
// recommendation's sign bit, giving 0) shifts right by 15 to 29 places here,
// which leaves 0 as well.
constexpr int Antilog(int dql) { return ((128 + (dql & 127)) << 7) >> (14 - (dql >> 7)); }

// RECONST, ADDA, ANTILOG and FLOATA for every Y >> 2 (136..1280, as Y is
// 544..5120) and every |I|: the magnitude of DQ and its floating form
// without the sign. Once the code is known they take one load, where
// computing them takes two dependent loads and the antilog's shifts.
struct DqEntry {
  int16_t mag;
  int16_t flt;
};
struct DqTable {
  DqEntry e[(5120 >> 2) - (544 >> 2) + 1][8];
};
constexpr DqTable MakeDqTable() {
  DqTable t{};
  for (int y4 = 544 >> 2; y4 <= 5120 >> 2; ++y4) {
    for (int i = 0; i < 8; ++i) {
      const int dql = kDqln[i] + y4;
      t.e[y4 - (544 >> 2)][i] = {static_cast<int16_t>(Antilog(dql)), ToFloat(0, Antilog(dql))};
    }
  }
  return t;
}
constexpr DqTable kDqTable = MakeDqTable();

// ACCUM's outputs: the signal estimate SE and its zero section SEZ (15 bits).
struct Estimate {
  int se;
  int sez;
};

// ---------------------------------------------------------------------------
// Scalar predictor

// FMULT: a 16-bit predictor coefficient times an 11-bit floating value. The
// coefficient is cut to 14 bits (An >> 2, a 13-bit magnitude) and made
// floating; the mantissas multiply with rounding (+48, >> 4) and the product
// is scaled by 2^(AnEXP + SRnEXP - 19), keeping 15 bits of magnitude.
[[gnu::always_inline]] inline int Fmult(int an, int srn) {
  const int shifted = an >> 2;
  const int anSign = shifted >> 31;  // -1 when An < 0
  const int anMag = ((shifted ^ anSign) - anSign) & 8191;
  const int anExp = BitLength(static_cast<uint32_t>(anMag));
  const int anMant = ((anMag << 6) >> anExp) | 32;      // 32 for a zero An
  const int wanMant = ((srn & 63) * anMant + 48) >> 4;  // at most 251
  const int wanExp = anExp + ((srn >> 6) & 15);         // 0..28
  const int mag = static_cast<int>((static_cast<uint64_t>(wanMant) << wanExp) >> 19) & 32767;
  const int sign = anSign ^ -((srn >> 10) & 1);  // -1 when WAn < 0
  return (mag ^ sign) - sign;
}

// ACCUM over the six zero-section and two pole-section products.
[[gnu::always_inline]] inline Estimate Predict(const AdpcmState& s) {
  int zeros = 0;
  for (int i = 0; i < 6; ++i) zeros += Fmult(s.b[i], s.dq[i]);
  const int sezi = static_cast<int16_t>(zeros);
  const int sei = static_cast<int16_t>(sezi + Fmult(s.a1, s.sr1) + Fmult(s.a2, s.sr2));
  return {sei >> 1, sezi >> 1};
}

// What the adaptation leaves for the zero predictor and the delay line.
struct Reconstructed {
  int16_t dq;  // DQ in the floating format
  int bStep;   // UPB's gain where DQn >= 0: 0 when DQ is 0, else +-128 by DQ's sign
  int code;    // the code I, which indexes kBStep
  int sr;      // reconstructed signal SR (16 bits)
  bool tr;     // transition detected
};

// FLOATB of SR.
[[gnu::always_inline]] inline int16_t SrFloat(int sr) { return ToFloat(sr < 0 ? 1 : 0, (sr < 0 ? -sr : sr) & 32767); }

// UPB with TRIGB, then FLOATA, FLOATB and DELAY of the values.
[[gnu::always_inline]] inline void AdaptZeros(AdpcmState& s, const Reconstructed& r) {
  if (r.tr) {
    for (int i = 0; i < 6; ++i) s.b[i] = 0;
  } else {
    // Leak B >> 8 (code size 4), then +-128 by the sign agreement of DQ and
    // DQn when DQ is not zero. The 16-bit store wraps like the
    // recommendation's modular add.
    for (int i = 0; i < 6; ++i) {
      const int dqnSign = -((s.dq[i] >> 10) & 1);
      s.b[i] = static_cast<int16_t>(s.b[i] - (s.b[i] >> 8) + ((r.bStep ^ dqnSign) - dqnSign));
    }
  }
  for (int i = 5; i > 0; --i) s.dq[i] = s.dq[i - 1];
  s.dq[0] = r.dq;
  s.sr2 = s.sr1;
  s.sr1 = SrFloat(r.sr);
}

// ---------------------------------------------------------------------------
// SSE2 predictor

#if defined(__SSE2__)
// The whole-buffer routines' state: the scalar fields as AdpcmState has
// them, with B1..B6 and DQ1..DQ6 (floating format) as the low six 16-bit
// lanes of two vectors; the two top lanes hold whatever the lane operations
// leave there and are never used. The pole section stays scalar, so the
// decoder's short recurrence through it does not wait for the vector work.
struct VectorState {
  int yl = 34816;
  int yu = 544;
  int dms = 0;
  int dml = 0;
  int ap = 0;
  int a1 = 0;
  int a2 = 0;
  int pk1 = 0;
  int pk2 = 0;
  int td = 0;
  int sr1 = 32;
  int sr2 = 32;
  __m128i b = _mm_setzero_si128();
  __m128i dq = _mm_set1_epi16(32);
};

// The zero section's six FMULT products (lanes 0..5), as the scalar Fmult
// computes them, summed in 32 bits: the low 16 bits of the result are
// ACCUM's wrapped sum. Two exponents are found through single-precision floats, where every
// value involved is exact:
//  - the coefficient's magnitude (13 bits) converts exactly; its biased
//    exponent minus 126 is AnEXP and its five leading fraction bits under
//    an implicit 1 are AnMANT. A zero magnitude is taken as 0.5, whose
//    fields give the recommendation's AnEXP 0 and AnMANT 32.
//  - WAnMANT (8 bits) times 2^(AnEXP + SRnEXP - 19) is exact, and the
//    truncating conversion back takes the integer part, which is the
//    recommendation's shift.
[[gnu::always_inline]] inline int ZeroSection(__m128i coef, __m128i values) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i anSign = _mm_srai_epi16(coef, 15);
  const __m128i shifted = _mm_srai_epi16(coef, 2);
  const __m128i anMag = _mm_and_si128(_mm_sub_epi16(_mm_xor_si128(shifted, anSign), anSign), _mm_set1_epi16(8191));
  const __m128i bitsLo = _mm_castps_si128(_mm_cvtepi32_ps(_mm_unpacklo_epi16(anMag, zero)));
  const __m128i bitsHi = _mm_castps_si128(_mm_cvtepi32_ps(_mm_unpackhi_epi16(anMag, zero)));
  // Biased exponent << 5 | five fraction bits: at most 139 * 32 + 31.
  const __m128i fields = _mm_packs_epi32(_mm_srli_epi32(bitsLo, 18), _mm_srli_epi32(bitsHi, 18));
  // 0.0 has exponent field 0; raising it to 126 gives the fields of 0.5.
  const __m128i biased = _mm_max_epi16(_mm_srli_epi16(fields, 5), _mm_set1_epi16(126));
  const __m128i anMant = _mm_or_si128(_mm_and_si128(fields, _mm_set1_epi16(31)), _mm_set1_epi16(32));

  const __m128i srMant = _mm_and_si128(values, _mm_set1_epi16(63));
  const __m128i srExp = _mm_and_si128(_mm_srli_epi16(values, 6), _mm_set1_epi16(15));
  const __m128i srSign = _mm_srai_epi16(_mm_slli_epi16(values, 5), 15);

  const __m128i wanMant = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(srMant, anMant), _mm_set1_epi16(48)), 4);
  // Biased exponent of 2^(AnEXP + SRnEXP - 19): AnEXP + SRnEXP + 108, with
  // AnEXP = (fields >> 5) - 126.
  const __m128i scale = _mm_add_epi16(biased, _mm_sub_epi16(srExp, _mm_set1_epi16(18)));
  const __m128i mask = _mm_set1_epi32(32767);
  const __m128i magLo =
      _mm_and_si128(_mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(wanMant, zero)),
                                                _mm_castsi128_ps(_mm_slli_epi32(_mm_unpacklo_epi16(scale, zero), 23)))),
                    mask);
  const __m128i magHi =
      _mm_and_si128(_mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(wanMant, zero)),
                                                _mm_castsi128_ps(_mm_slli_epi32(_mm_unpackhi_epi16(scale, zero), 23)))),
                    mask);
  // Each product's sign as a factor +-1 (0 in lanes 6 and 7, which ACCUM
  // leaves out), applied by the multiply-add that starts the sum: the
  // magnitudes are below 2^15, so their 32-bit lanes read as a 16-bit
  // magnitude over a zero.
  const __m128i factor = _mm_and_si128(_mm_or_si128(_mm_xor_si128(anSign, srSign), _mm_set1_epi16(1)),
                                       _mm_setr_epi16(-1, -1, -1, -1, -1, -1, 0, 0));
  const __m128i sum = _mm_add_epi32(_mm_madd_epi16(magLo, _mm_unpacklo_epi16(factor, zero)),
                                    _mm_madd_epi16(magHi, _mm_unpackhi_epi16(factor, zero)));
  const __m128i h = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm_cvtsi128_si32(_mm_add_epi32(h, _mm_shuffle_epi32(h, _MM_SHUFFLE(2, 3, 0, 1))));
}

// ACCUM.
[[gnu::always_inline]] inline Estimate Predict(const VectorState& s) {
  const int sezi = static_cast<int16_t>(ZeroSection(s.b, s.dq));
  const int sei = static_cast<int16_t>(sezi + Fmult(s.a1, s.sr1) + Fmult(s.a2, s.sr2));
  return {sei >> 1, sezi >> 1};
}

[[gnu::always_inline]] inline void AdaptZeros(VectorState& s, const Reconstructed& r) {
  if (r.tr) {
    s.b = _mm_setzero_si128();
  } else {
    const __m128i dqnSign = _mm_srai_epi16(_mm_slli_epi16(s.dq, 5), 15);
    const __m128i step = _mm_load_si128(reinterpret_cast<const __m128i*>(kBStep.lane[r.code]));
    const __m128i update = _mm_sub_epi16(_mm_xor_si128(step, dqnSign), dqnSign);
    s.b = _mm_add_epi16(_mm_sub_epi16(s.b, _mm_srai_epi16(s.b, 8)), update);
  }
  // DELAY: every lane moves up one.
  s.dq = _mm_insert_epi16(_mm_slli_si128(s.dq, 2), r.dq, 0);
  s.sr2 = s.sr1;
  s.sr1 = SrFloat(r.sr);
}
#endif  // __SSE2__

// ---------------------------------------------------------------------------
// Blocks shared by both state forms

// LIMA and MIX: the quantizer scale factor Y (13 bits) from YU, YL and the
// speed control AL, the difference multiplied in sign-magnitude. Y lies
// between YU and YL >> 6, both within 544..5120; the clamp changes nothing
// then, and keeps the table reads in bounds for any other state.
template <class State>
[[gnu::always_inline]] inline int ScaleFactor(const State& s) {
  const int yl6 = s.yl >> 6;
  const int al = s.ap >= 256 ? 64 : s.ap >> 2;
  // Division truncates toward zero: the sign-magnitude product's shift.
  return Clamp(yl6 + (s.yu - yl6) * al / 64, 544, 5120);
}

// SUBTB and QUAN turned around: for the scale factor Y, the smallest |D|
// that reaches each decision level (see kLogThresholds). They depend on Y
// only, so they are ready before the signal estimate is.
struct Decisions {
  int mag[7];
};
// Written out through index packs rather than loops: at -O2 the compiler
// keeps a seven-step loop, and these run once a sample.
template <size_t... K>
inline Decisions DecisionMagnitudes(int y, std::index_sequence<K...>) {
  const uint16_t* row = kLogThresholds.mag + (y >> 2) - (kMinThreshold - kQuanLevels[0]);
  return {{row[kQuanLevels[K] - kQuanLevels[0]]...}};
}
inline Decisions DecisionMagnitudes(int y) { return DecisionMagnitudes(y, std::make_index_sequence<7>()); }

template <size_t... K>
inline int LevelsReached(int dqm, const Decisions& levels, std::index_sequence<K...>) {
  return ((dqm >= levels.mag[K] ? 1 : 0) + ...);
}

// SUBTA, LOG, SUBTB, QUAN: the code I for the difference D = SL - SE.
[[gnu::always_inline]] inline int Quantize(int d, const Decisions& levels) {
  const int ds = d < 0 ? 1 : 0;
  const int dqm = ds != 0 ? -d : d;  // < 2^15: D fits 16 bits
  const int mag = LevelsReached(dqm, levels, std::make_index_sequence<7>());
  // A negative magnitude is coded 15 - |I|; zero is 1111 whatever the sign.
  return (mag ^ (ds * 15)) | (mag == 0 ? 15 : 0);
}

// RECONST, ADDA, ANTILOG, ADDB, ADDC, TRANS, FUNCTW, FILTD, LIMB, FILTE,
// FUNCTF, FILTA, FILTB, UPA2, LIMC, UPA1, LIMD, TONE, SUBTC, FILTC, TRIGB and
// the delay of PK: everything once the code I is known except the zero
// predictor and the delay line (AdaptZeros).
template <class State>
[[gnu::always_inline]] inline Reconstructed Adapt(State& s, int code, int y, Estimate e) {
  const int dqs = code >> 3;
  const DqEntry dqe = kDqTable.e[(y >> 2) - (544 >> 2)][code ^ (-dqs & 15)];
  const int dqMag = dqe.mag;
  const int dq = (dqMag ^ -dqs) + dqs;  // no branch on the code's sign

  // SR and the partial reconstruction DQ + SEZ (no 16-bit wrap).
  const int sr = e.se + dq;
  const int dqsez = e.sez + dq;
  const int pk0 = dqsez < 0 ? 1 : 0;

  // TRANS, on the previous YL and TD: a large difference while a tone was
  // seen marks a transition, which resets the predictor.
  bool tr = false;
  if (s.td != 0) {
    const int ylint = s.yl >> 15;
    const int ylfrac = (s.yl >> 10) & 31;
    const int thr2 = ylint > 9 ? 31 << 10 : (32 + ylfrac) << ylint;
    tr = dqMag > (thr2 + (thr2 >> 1)) >> 1;
  }

  // YU moves 1/32 of the way to W(I), within 544..5120; YL moves 1/64 of
  // the way to the new YU.
  const int yu = Clamp(y + ((kW[code] * 32 - y) >> 5), 544, 5120);
  s.yl = s.yl + yu + ((-s.yl) >> 6);
  s.yu = static_cast<int16_t>(yu);

  // Short- and long-term averages of F(I).
  const int fi = kF[code];
  const int dms = s.dms + ((fi - s.dms) >> 5);
  const int dml = s.dml + (((fi << 2) - s.dml) >> 7);
  s.dms = static_cast<int16_t>(dms);
  s.dml = static_cast<int16_t>(dml);

  // Pole predictor and tone detector; a transition zeroes the coefficients.
  int tdp = 0;
  if (tr) {
    s.a1 = 0;
    s.a2 = 0;
  } else {
    const int pks1 = pk0 ^ s.pk1;
    const int pks2 = pk0 ^ s.pk2;
    int a2 = s.a2 - (s.a2 >> 7);
    int a1 = s.a1 - (s.a1 >> 8);
    if (dqsez != 0) {
      // -f(A1) by the sign agreement PKS1, f(A1) = 4 A1 within +-4 * 8191,
      // plus +-2^14 by PKS2, over 2^7.
      const int fa1 = 4 * Clamp(s.a1, -8191, 8191);
      const int same1 = pks1 - 1;  // -1 when PKS1 = 0
      a2 += ((16384 - (pks2 << 15)) + ((fa1 ^ same1) - same1)) >> 7;
      a1 += 192 - 384 * pks1;
    }
    a2 = Clamp(a2, -12288, 12288);
    const int a1Limit = 15360 - a2;
    a1 = Clamp(a1, -a1Limit, a1Limit);
    s.a2 = static_cast<int16_t>(a2);
    s.a1 = static_cast<int16_t>(a1);
    tdp = a2 < -11776 ? 1 : 0;
  }

  // AP heads for 1 (512) unless the signal looks stationary, and is set to
  // 256 on a transition.
  const int dif = (dms << 2) - dml;
  const int magDif = dif < 0 ? -dif : dif;
  const int ax = (y >= 1536 && magDif < (dml >> 3) && tdp == 0) ? 0 : 1;
  s.ap = static_cast<int16_t>(tr ? 256 : s.ap + (((ax << 9) - s.ap) >> 4));
  s.td = static_cast<uint8_t>(tdp);
  s.pk2 = s.pk1;
  s.pk1 = static_cast<int16_t>(pk0);
  // DQ is 0 exactly for |I| = 0 (codes 0 and 15), as every other DQLN is
  // positive and so is Y >> 2; taken from the code (kBStep), the gain does
  // not wait for the antilog.
  return {static_cast<int16_t>(dqe.flt | dqs << 10), kBStep.lane[code][0], code, sr, tr};
}

template <class State>
[[gnu::always_inline]] inline int EncodeOne(State& s, int sample) {
  const int y = ScaleFactor(s);
  const Decisions levels = DecisionMagnitudes(y);
  const Estimate e = Predict(s);
  const int code = Quantize((sample >> 2) - e.se, levels);
  AdaptZeros(s, Adapt(s, code, y, e));
  return code;
}

// The reconstructed 14-bit value shifted left by 2, wrapped to 16 bits.
template <class State>
[[gnu::always_inline]] inline int16_t DecodeOne(State& s, int code) {
  const Estimate e = Predict(s);
  const int y = ScaleFactor(s);
  const Reconstructed r = Adapt(s, code, y, e);
  AdaptZeros(s, r);
  return static_cast<int16_t>(r.sr * 4);
}

#if defined(__SSE2__)
using BufferState = VectorState;
inline VectorState ResetBufferState() { return VectorState{}; }
#else
using BufferState = AdpcmState;
inline AdpcmState ResetBufferState() { return G721InitialState(); }
#endif

}  // namespace

AdpcmState G721InitialState() {
  AdpcmState s{};
  s.yl = 34816;
  s.yu = 544;
  for (int i = 0; i < 6; ++i) s.dq[i] = 32;
  s.sr1 = 32;
  s.sr2 = 32;
  return s;
}

uint8_t G721EncodeSample(AdpcmState& state, int16_t sample) { return static_cast<uint8_t>(EncodeOne(state, sample)); }

int16_t G721DecodeSample(AdpcmState& state, uint8_t code) { return DecodeOne(state, code & 15); }

// The state is a local whose address never escapes, so the compiler can
// keep it in registers across the output stores.
size_t G721Encode(const int16_t* in, size_t n, uint8_t* out) {
  BufferState s = ResetBufferState();
  size_t i = 0;
  uint8_t* o = out;
  // One sample a turn, the codes gathered in a register: two copies of
  // the coder in the loop leave too few registers for the state.
  unsigned pair = 0;
  for (; i < n; ++i) {
    pair = (pair << 4) | static_cast<unsigned>(EncodeOne(s, in[i]));
    if (i & 1) *o++ = static_cast<uint8_t>(pair);
  }
  if (n & 1) *o++ = static_cast<uint8_t>(pair << 4);
  return static_cast<size_t>(o - out);
}

size_t G721Decode(const uint8_t* in, size_t n, int16_t* out) {
  BufferState s = ResetBufferState();
  for (size_t i = 0; i < n; ++i) {
    out[2 * i] = DecodeOne(s, in[i] >> 4);
    out[2 * i + 1] = DecodeOne(s, in[i] & 15);
  }
  return 2 * n;
}

}  // namespace orven::audio
