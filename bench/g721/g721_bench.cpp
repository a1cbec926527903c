// G.721 encode and decode, ours against spandsp's G.726 at 32 kbit/s, on
// 2^20 samples of the benchmarks' speech-like signal at 8 kHz. Before
// timing, both coders' codes and decoded samples are compared; any
// difference ends the run. At the end the best CPU time of each benchmark
// (over --benchmark_repetitions) gives the speeds and the ratios, spandsp's
// time over ours; CPU time is steadier than wall time on a shared machine.
//
// spandsp runs with G726_PACKING_NONE (one code per byte), its cheapest
// output form; ours packs two codes per byte as the library writes them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/encoders/g721.h"
#include "bench_support.h"
#include "speech_signal.h"

extern "C" {
#include <spandsp.h>
}

namespace {

constexpr size_t kSamples = size_t{1} << 20;

const std::vector<int16_t>& Input() {
  static const std::vector<int16_t> x = orven_bench::SpeechLikeSignal(kSamples, 2024u, 8000.0);
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

// Speeds from the best CPU times (milliseconds per 2^20 samples), and
// spandsp's time over ours.
void PrintRatio(const orven_bench::BestOfRepetitions& best, const char* what) {
  const std::string name = std::string("g721/") + what;
  const double ours = best.BestCpuTime(name + "/orven"), theirs = best.BestCpuTime(name + "/spandsp");
  if (ours <= 0 || theirs <= 0) return;
  std::printf("%s: orven %.1f Msamples/s, spandsp %.1f Msamples/s, ratio %.2f\n", what, kSamples / ours / 1e3,
              kSamples / theirs / 1e3, theirs / ours);
}

}  // namespace

int main(int argc, char** argv) {
  if (!orven_bench::Initialize(argc, argv) || !BitExact()) return 1;
  std::printf("bit-exact with spandsp on %zu samples (codes and decoded samples)\n", kSamples);
  orven_bench::BestOfRepetitions reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio(reporter, "encode");
  PrintRatio(reporter, "decode");
  benchmark::Shutdown();
  return 0;
}
