// G.721 encode and decode, ours against spandsp's G.726 at 32 kbit/s, on one
// speech-like buffer of 2^20 samples. Before timing, both coders' codes and
// decoded samples are compared; any difference ends the run. At the end the
// best CPU time of each benchmark (over --benchmark_repetitions) gives the
// speeds and the ratios, spandsp's time over ours; CPU time is steadier than
// wall time on a shared machine.
//
// spandsp runs with G726_PACKING_NONE (one code per byte), its cheapest
// output form; ours packs two codes per byte as the library writes them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "audio/encoders/g721.h"

extern "C" {
#include <spandsp.h>
}

namespace {

constexpr size_t kSamples = size_t{1} << 20;

// Syllables: a jittered glottal pulse train through three formant
// resonators that move between vowels, with a level envelope, a noise burst
// for a consonant now and then, and quiet gaps that are not digital silence;
// scaled to a peak of 24000.
std::vector<int16_t> SpeechLike() {
  static const double kFormants[5][3] = {
      {730, 1090, 2440}, {270, 2290, 3010}, {300, 870, 2240}, {530, 1840, 2480}, {570, 840, 2410}};
  const double pi = 3.14159265358979323846;
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> unit(-1, 1);
  std::vector<double> v;
  v.reserve(kSamples);
  double phase = 0, peak = 0, y1[3] = {}, y2[3] = {};
  for (int syllable = 0; v.size() < kSamples; ++syllable) {
    const auto& f = kFormants[syllable % 5];
    const int length = 1200 + static_cast<int>(rng() % 1600);
    const bool fricative = syllable % 3 == 0;
    const double pitch = 95 + 60 * (0.5 + 0.5 * std::sin(syllable * 0.7));
    for (int i = 0; i < length && v.size() < kSamples; ++i) {
      phase += pitch * (1 + 0.06 * unit(rng)) / 8000;
      double s = phase >= 1 ? 1.0 : 0.0;
      phase -= std::floor(phase);
      for (int k = 0; k < 3; ++k) {
        const double r = std::exp(-pi * 90 / 8000);
        const double y = s + 2 * r * std::cos(2 * pi * f[k] / 8000) * y1[k] - r * r * y2[k];
        y2[k] = y1[k];
        y1[k] = y;
        s = y;
      }
      s *= std::sin(pi * i / length);
      if (fricative && i < length / 5) s += 0.1 * peak * unit(rng);
      v.push_back(s);
      peak = std::fmax(peak, std::fabs(s));
    }
    for (int i = 0; i < 400 && v.size() < kSamples; ++i) v.push_back(0);
  }
  std::vector<int16_t> x(kSamples);
  for (size_t i = 0; i < kSamples; ++i) {
    x[i] = static_cast<int16_t>(std::lround(std::fmax(-32768, std::fmin(32767, 24000 * v[i] / peak + 12 * unit(rng)))));
  }
  return x;
}

const std::vector<int16_t>& Input() {
  static const std::vector<int16_t> x = SpeechLike();
  return x;
}

// One code per byte, as spandsp gives them with G726_PACKING_NONE.
const std::vector<uint8_t>& SpandspCodes() {
  static const std::vector<uint8_t> codes = [] {
    std::vector<uint8_t> c(kSamples);
    g726_state_t* s = g726_init(nullptr, 32000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
    g726_encode(s, c.data(), Input().data(), static_cast<int>(kSamples));
    g726_free(s);
    return c;
  }();
  return codes;
}

const std::vector<uint8_t>& OurBytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(orven::audio::G721EncodedBytes(kSamples));
    orven::audio::G721Encode(Input().data(), kSamples, b.data());
    return b;
  }();
  return bytes;
}

bool BitExact() {
  const auto& codes = SpandspCodes();
  const auto& bytes = OurBytes();
  for (size_t i = 0; i < kSamples; ++i) {
    const int ours = i % 2 ? bytes[i / 2] & 15 : bytes[i / 2] >> 4;
    if (ours != codes[i]) {
      std::fprintf(stderr, "code %zu differs: ours %d, spandsp %d\n", i, ours, codes[i]);
      return false;
    }
  }
  std::vector<int16_t> ours(kSamples), theirs(kSamples);
  orven::audio::G721Decode(bytes.data(), bytes.size(), ours.data());
  g726_state_t* s = g726_init(nullptr, 32000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
  g726_decode(s, theirs.data(), codes.data(), static_cast<int>(kSamples));
  g726_free(s);
  for (size_t i = 0; i < kSamples; ++i) {
    if (ours[i] != theirs[i]) {
      std::fprintf(stderr, "decoded sample %zu differs: ours %d, spandsp %d\n", i, ours[i], theirs[i]);
      return false;
    }
  }
  return true;
}

void EncodeOurs(benchmark::State& state) {
  std::vector<uint8_t> out(orven::audio::G721EncodedBytes(kSamples));
  for (auto _ : state) {
    benchmark::DoNotOptimize(orven::audio::G721Encode(Input().data(), kSamples, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSamples));
}

void EncodeSpandsp(benchmark::State& state) {
  std::vector<uint8_t> out(kSamples);
  for (auto _ : state) {
    g726_state_t* s = g726_init(nullptr, 32000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
    benchmark::DoNotOptimize(g726_encode(s, out.data(), Input().data(), static_cast<int>(kSamples)));
    g726_free(s);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSamples));
}

void DecodeOurs(benchmark::State& state) {
  std::vector<int16_t> out(kSamples);
  for (auto _ : state) {
    benchmark::DoNotOptimize(orven::audio::G721Decode(OurBytes().data(), OurBytes().size(), out.data()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSamples));
}

void DecodeSpandsp(benchmark::State& state) {
  std::vector<int16_t> out(kSamples);
  for (auto _ : state) {
    g726_state_t* s = g726_init(nullptr, 32000, G726_ENCODING_LINEAR, G726_PACKING_NONE);
    benchmark::DoNotOptimize(g726_decode(s, out.data(), SpandspCodes().data(), static_cast<int>(kSamples)));
    g726_free(s);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSamples));
}

BENCHMARK(EncodeOurs)->Name("g721/encode/orven")->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeSpandsp)->Name("g721/encode/spandsp")->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeOurs)->Name("g721/decode/orven")->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeSpandsp)->Name("g721/decode/spandsp")->Unit(benchmark::kMillisecond);

// Keeps the best CPU time per benchmark over all repetitions.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      const double t = run.GetAdjustedCPUTime();
      if (!best_.count(name) || t < best_[name]) best_[name] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatio(const char* what) const {
    const std::string ours = std::string("g721/") + what + "/orven";
    const std::string theirs = std::string("g721/") + what + "/spandsp";
    if (!best_.count(ours) || !best_.count(theirs)) return;
    const double msPerRun = 1e3;  // times are in milliseconds per 2^20 samples
    std::printf("%s: orven %.1f Msamples/s, spandsp %.1f Msamples/s, ratio %.2f\n", what,
                kSamples / (best_.at(ours) / msPerRun) / 1e6, kSamples / (best_.at(theirs) / msPerRun) / 1e6,
                best_.at(theirs) / best_.at(ours));
  }

 private:
  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!BitExact()) return 1;
  std::printf("bit-exact with spandsp on %zu samples (codes and decoded samples)\n", kSamples);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("encode");
  reporter.PrintRatio("decode");
  benchmark::Shutdown();
  return 0;
}
