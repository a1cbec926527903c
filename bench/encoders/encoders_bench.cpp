// Throughput of the sample encoders against spandsp doing the same work on
// the same buffer in the same run:
//   - mu-law and A-law: ours, spandsp's linear_to_ulaw / linear_to_alaw
//     called per sample (inline from its header, compiled here), and a plain
//     65,536-entry lookup table filled from spandsp as a context figure;
//   - VOX ADPCM: ours, spandsp's OKI ADPCM encoder at 32 kbit/s (its
//     24 kbit/s mode resamples to 6 kHz first and is not the same work).
//
// The buffer is 2^20 samples of a deterministic speech-like signal at
// 8 kHz: voiced stretches (a pulse train at a drifting pitch through three
// formant resonators), fricatives (shaped noise) and pauses, under a
// syllable envelope. Items/s counts input samples. After the runs a summary
// gives the best of the repetitions for each side and the ratios. Without
// --benchmark_repetitions, five repetitions are made.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "audio/encoders/g711.h"
#include "audio/encoders/vox_adpcm.h"

// spandsp's codec headers need its telephony and bit helpers first. Under
// C++ telephony.h redefines lrint and lrintf as truncating casts, which
// breaks <cmath>: it comes after every standard header, and the macros go.
#include <spandsp/telephony.h>
#include <spandsp/bit_operations.h>
#include <spandsp/g711.h>
#include <spandsp/oki_adpcm.h>
#undef lrint
#undef lrintf

namespace {

constexpr size_t kSamples = size_t{1} << 20;
constexpr double kRate = 8000.0;
constexpr double kPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------
// Signal

// A 64-bit linear congruential generator: the same numbers on every
// platform and library, unlike the standard distributions.
class Lcg {
 public:
  explicit Lcg(uint64_t seed) : state_(seed) {}
  double Uniform() {  // [0, 1)
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state_ >> 11) * (1.0 / 9007199254740992.0);
  }
  double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

 private:
  uint64_t state_;
};

// Two-pole resonator at `frequency` Hz with `bandwidth` Hz, unit gain at DC.
class Resonator {
 public:
  void Tune(double frequency, double bandwidth) {
    const double r = std::exp(-kPi * bandwidth / kRate);
    a1_ = 2 * r * std::cos(2 * kPi * frequency / kRate);
    a2_ = -r * r;
    gain_ = 1 - a1_ - a2_;
  }
  double Step(double x) {
    const double y = gain_ * x + a1_ * y1_ + a2_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double a1_ = 0, a2_ = 0, gain_ = 1, y1_ = 0, y2_ = 0;
};

std::vector<int16_t> SpeechLike(size_t count) {
  Lcg random(20240611);
  std::vector<double> signal(count);
  Resonator formants[3];
  double phase = 0, pitch = 120;
  size_t i = 0;
  while (i < count) {
    // One segment: 60 to 250 ms of a vowel, a fricative or a pause.
    const auto length = static_cast<size_t>(random.Between(0.06, 0.25) * kRate);
    const double kind = random.Uniform();
    const double level = std::pow(10.0, random.Between(-1.0, 0.0));  // 0 to -20 dB
    const double f1 = random.Between(300, 800), f2 = random.Between(900, 2200), f3 = random.Between(2400, 3200);
    formants[0].Tune(f1, 80);
    formants[1].Tune(f2, 110);
    formants[2].Tune(f3, 160);
    const double pitchTarget = random.Between(90, 220);
    for (size_t k = 0; k < length && i < count; ++k, ++i) {
      const double t = static_cast<double>(k) / static_cast<double>(length);
      const double envelope = level * std::sin(kPi * t);  // syllable rise and fall
      double source = 0;
      if (kind < 0.7) {
        pitch += (pitchTarget - pitch) * 0.0005;
        phase += pitch / kRate;
        if (phase >= 1) phase -= 1;
        source = phase < 0.4 ? std::sin(kPi * phase / 0.4) : -0.25;  // glottal pulse, no DC to speak of
        source += 0.02 * (random.Uniform() - 0.5);                   // breath
        signal[i] = envelope * (formants[0].Step(source) + 0.5 * formants[1].Step(source) +
                                0.25 * formants[2].Step(source));
      } else if (kind < 0.85) {
        source = random.Uniform() - 0.5;
        signal[i] = 0.3 * envelope * formants[2].Step(source);
      } else {
        signal[i] = 0.001 * (random.Uniform() - 0.5);  // room noise in the pause
      }
    }
  }
  double peak = 0;
  for (double v : signal) peak = std::max(peak, std::fabs(v));
  std::vector<int16_t> samples(count);
  for (size_t k = 0; k < count; ++k) samples[k] = static_cast<int16_t>(std::lrint(signal[k] / peak * 29000.0));
  return samples;
}

const std::vector<int16_t>& Input() {
  static const std::vector<int16_t> input = SpeechLike(kSamples);
  return input;
}

// ---------------------------------------------------------------------------
// Benchmarks

void Done(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSamples));
}

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
  std::printf("buffer: %zu samples, RMS %.1f dBFS, %.0f%% below 64; mu-law codes differing from spandsp: %zu; "
              "A-law: %zu\n",
              kSamples, 10 * std::log10(power / static_cast<double>(kSamples) / (32768.0 * 32768.0)),
              100.0 * static_cast<double>(silent) / static_cast<double>(kSamples), muDiffer, aDiffer);
}

// Console output as usual, plus the best items/s of each benchmark over its
// repetitions, for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const auto it = run.counters.find("items_per_second");
      if (it == run.counters.end()) continue;
      double& best = best_[run.run_name.function_name];
      best = std::max(best, static_cast<double>(it->second));
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintSummary() const {
    std::printf("\nBest of the repetitions, Msamples/s:\n");
    std::printf("%-8s %10s %10s %10s %14s %12s\n", "", "orven", "spandsp", "table64K", "orven/spandsp",
                "orven/table");
    for (const char* codec : {"mulaw", "alaw"}) {
      const std::string c = codec;
      const double ours = Best(c + "/orven"), peer = Best(c + "/spandsp"), table = Best(c + "/table64K");
      std::printf("%-8s %10.0f %10.0f %10.0f %13.2fx %11.2fx\n", codec, ours / 1e6, peer / 1e6, table / 1e6,
                  Ratio(ours, peer), Ratio(ours, table));
    }
    const double ours = Best("vox/orven"), peer = Best("vox/spandsp_oki32k");
    std::printf("%-8s %10.0f %10.0f %10s %13.2fx\n", "vox", ours / 1e6, peer / 1e6, "", Ratio(ours, peer));
  }

 private:
  static double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }
  double Best(const std::string& name) const {
    const auto it = best_.find(name);
    return it == best_.end() ? 0.0 : it->second;
  }
  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=5";
  bool given = false;
  for (int i = 1; i < argc; ++i) given |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
  if (!given) args.push_back(repetitions.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());

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
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}
