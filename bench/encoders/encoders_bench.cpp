// Throughput of the sample encoders against spandsp doing the same work on
// the same buffer in the same run:
//   - mu-law and A-law: ours, spandsp's linear_to_ulaw / linear_to_alaw
//     called per sample (inline from its header, compiled here), and a plain
//     65,536-entry lookup table filled from spandsp as a context figure;
//   - VOX ADPCM: ours, spandsp's OKI ADPCM encoder at 32 kbit/s (its
//     24 kbit/s mode resamples to 6 kHz first and is not the same work).
//
// The buffer is 2^20 samples of the benchmarks' speech-like signal at
// 8 kHz (common/speech_signal.h). Items/s counts input samples. After the
// runs a summary gives the best of the repetitions for each side and the
// ratios. Without --benchmark_repetitions, five repetitions are made.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/encoders/g711.h"
#include "audio/encoders/vox_adpcm.h"
#include "bench_support.h"
#include "speech_signal.h"

// spandsp's codec headers need its telephony and bit helpers first. Under
// C++ telephony.h redefines lrint and lrintf as truncating casts, which
// breaks <cmath>: it comes after every standard header, and the macros go.
// clang-format off
#include <spandsp/telephony.h>
#include <spandsp/bit_operations.h>
#include <spandsp/g711.h>
#include <spandsp/oki_adpcm.h>
// clang-format on
#undef lrint
#undef lrintf

namespace {

constexpr size_t kSamples = size_t{1} << 20;

const std::vector<int16_t>& Input() {
  static const std::vector<int16_t> input = orven_bench::SpeechLikeSignal(kSamples, 20240611u, 8000.0);
  return input;
}

// ---------------------------------------------------------------------------
// Benchmarks

void Done(benchmark::State& state) { state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSamples)); }

template <void (*encode)(const int16_t*, size_t, uint8_t*)>
void BM_Ours(benchmark::State& state) {
  const std::vector<int16_t>& in = Input();
  std::vector<uint8_t> out(kSamples);
  for (auto _ : state) {
    encode(in.data(), kSamples, out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  Done(state);
}

template <uint8_t (*code)(int)>
void BM_Spandsp(benchmark::State& state) {
  const std::vector<int16_t>& in = Input();
  std::vector<uint8_t> out(kSamples);
  for (auto _ : state) {
    for (size_t i = 0; i < kSamples; ++i) out[i] = code(in[i]);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  Done(state);
}

// A plain table of all 65,536 codes, filled from spandsp before timing.
template <uint8_t (*code)(int)>
void BM_Table(benchmark::State& state) {
  std::vector<uint8_t> table(65536);
  for (int32_t s = -32768; s < 32768; ++s) table[static_cast<uint16_t>(s)] = code(s);
  const std::vector<int16_t>& in = Input();
  std::vector<uint8_t> out(kSamples);
  for (auto _ : state) {
    for (size_t i = 0; i < kSamples; ++i) out[i] = table[static_cast<uint16_t>(in[i])];
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  Done(state);
}

// Ours shifts the caller's samples in place, so each run starts from a
// fresh copy, made outside the timing.
void BM_VoxOurs(benchmark::State& state) {
  const std::vector<int16_t>& in = Input();
  std::vector<int16_t> work(kSamples);
  std::vector<uint8_t> out(kSamples / 2);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(work.data(), in.data(), kSamples * sizeof(int16_t));
    state.ResumeTiming();
    orven::audio::EncodeVox(work.data(), kSamples, out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  Done(state);
}

// A fresh 32 kbit/s coder per run, as ours starts from the reset state.
void BM_VoxSpandsp(benchmark::State& state) {
  const std::vector<int16_t>& in = Input();
  std::vector<uint8_t> out(kSamples / 2);
  oki_adpcm_state_t* coder = oki_adpcm_init(nullptr, 32000);
  for (auto _ : state) {
    oki_adpcm_init(coder, 32000);  // resets the coder it is given
    oki_adpcm_encode(coder, out.data(), in.data(), static_cast<int>(kSamples));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  oki_adpcm_free(coder);
  Done(state);
}

// ---------------------------------------------------------------------------
// Agreement and summary

// Before measuring: where ours and spandsp differ on this buffer, and the
// signal's level.
void ReportAgreement() {
  const std::vector<int16_t>& in = Input();
  std::vector<uint8_t> out(kSamples);
  size_t muDiffer = 0, aDiffer = 0;
  orven::audio::EncodeMuLaw(in.data(), kSamples, out.data());
  for (size_t i = 0; i < kSamples; ++i) muDiffer += out[i] != linear_to_ulaw(in[i]);
  orven::audio::EncodeALaw(in.data(), kSamples, out.data());
  for (size_t i = 0; i < kSamples; ++i) aDiffer += out[i] != linear_to_alaw(in[i]);
  double power = 0;
  size_t silent = 0;
  for (int16_t s : in) {
    power += static_cast<double>(s) * s;
    silent += std::abs(s) < 64;
  }
  std::printf(
      "buffer: %zu samples, RMS %.1f dBFS, %.0f%% below 64; mu-law codes differing from spandsp: %zu; "
      "A-law: %zu\n",
      kSamples, 10 * std::log10(power / static_cast<double>(kSamples) / (32768.0 * 32768.0)),
      100.0 * static_cast<double>(silent) / static_cast<double>(kSamples), muDiffer, aDiffer);
}

// The best of the repetitions for each side, and the ratios.
void PrintSummary(const orven_bench::BestOfRepetitions& best) {
  using orven_bench::Ratio;
  std::printf("\nBest of the repetitions, Msamples/s:\n");
  std::printf("%-8s %10s %10s %10s %14s %12s\n", "", "orven", "spandsp", "table64K", "orven/spandsp", "orven/table");
  for (const char* codec : {"mulaw", "alaw"}) {
    const std::string c = codec;
    const double ours = best.Best(c + "/orven"), peer = best.Best(c + "/spandsp"), table = best.Best(c + "/table64K");
    std::printf("%-8s %10.0f %10.0f %10.0f %13.2fx %11.2fx\n", codec, ours / 1e6, peer / 1e6, table / 1e6,
                Ratio(ours, peer), Ratio(ours, table));
  }
  const double ours = best.Best("vox/orven"), peer = best.Best("vox/spandsp_oki32k");
  std::printf("%-8s %10.0f %10.0f %10s %13.2fx\n", "vox", ours / 1e6, peer / 1e6, "", Ratio(ours, peer));
}

}  // namespace

int main(int argc, char** argv) {
  if (!orven_bench::Initialize(argc, argv, {"--benchmark_repetitions=5"})) return 1;

  using orven::audio::EncodeALaw;
  using orven::audio::EncodeMuLaw;
  benchmark::RegisterBenchmark("mulaw/orven", BM_Ours<EncodeMuLaw>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("mulaw/spandsp", BM_Spandsp<linear_to_ulaw>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("mulaw/table64K", BM_Table<linear_to_ulaw>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("alaw/orven", BM_Ours<EncodeALaw>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("alaw/spandsp", BM_Spandsp<linear_to_alaw>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("alaw/table64K", BM_Table<linear_to_alaw>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("vox/orven", BM_VoxOurs)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("vox/spandsp_oki32k", BM_VoxSpandsp)->Unit(benchmark::kMicrosecond);

  ReportAgreement();
  orven_bench::BestOfRepetitions reporter("items_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSummary(reporter);
  benchmark::Shutdown();
  return 0;
}
