// Audio benchmarks, each measured side by side with a peer in the same run
// and reported as a ratio:
//
//  rate/...  ORVN_ConvSamplingRate 16000 -> 8000 Hz on one buffer of 2^20
//            samples of speech-like audio, against the latency bound of its
//            filter recurrence on this machine (measured here with dependent
//            chains of the same instructions) and against libsoxr's HQ
//            resampler on the same buffer.
//  file/...  the library's own cost of writing audio files with
//            ORVN_TextToFile (rate conversion, encoding, writing), per second
//            of audio, against plain fwrite of the same PCM: the file run
//            minus a run that only synthesises the same text into a callback
//            that does nothing.
//
// Every benchmark also times each of its iterations; the summary after the
// runs gives times as the fastest iteration (the least disturbed by other
// processes on the machine) with the median beside it, and cycle counts as
// the median of the runs. The console table above it is Google
// Benchmark's own (means of wall and CPU time).
//
//   cmake -S . -B build -DORVEN_BUILD_BENCH=ON
//   cmake --build build --target orven_audio_bench
//   ./build/orven_audio_bench                          # everything, ~30 s
//   ./build/orven_audio_bench --benchmark_filter=rate  # the converter only
#include <benchmark/benchmark.h>
#include <soxr.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "orven_api.h"
#include "speech_signal.h"

namespace {

using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------------------
// Per-iteration times

std::map<std::string, std::vector<double>>& Times() {
  static std::map<std::string, std::vector<double>> times;
  return times;
}

// The clocks an iteration is timed with, in ns. Short iterations (the
// latency chains, tens of microseconds) use the wall clock: most of them run
// undisturbed. Long ones (milliseconds) use the thread's CPU time, user and
// system, which leaves out the time the thread waits while other processes
// run on a busy machine.
enum class Timing { Wall, ThreadCpu };

double Now(Timing timing) {
  if (timing == Timing::Wall) return std::chrono::duration<double, std::nano>(Clock::now().time_since_epoch()).count();
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Runs `body` once per benchmark iteration and keeps its time.
template <typename Body>
void TimeIterations(benchmark::State& state, const std::string& name, Timing timing, Body&& body) {
  std::vector<double>& times = Times()[name];
  for (auto _ : state) {
    const double start = Now(timing);
    body();
    times.push_back(Now(timing) - start);
  }
}

struct Figures {
  double best = 0, median = 0;  // ns per iteration
  explicit operator bool() const { return best > 0; }
};

Figures FiguresOf(const std::string& name) {
  const auto it = Times().find(name);
  if (it == Times().end() || it->second.empty()) return {};
  std::vector<double> t = it->second;
  std::sort(t.begin(), t.end());
  return {t.front(), t[t.size() / 2]};
}

// ---------------------------------------------------------------------------
// Dependent chains: the core clock and the operation latencies
//
// Each chain is one register fed back into the same instruction, so every
// instruction waits for the one before it and the time per instruction is
// its latency. The loop counter runs beside the chain and adds nothing to
// it. A dependent 64-bit integer add takes one cycle on every x86-64 core,
// so its chain gives the core clock (the TSC of a virtual machine ticks at
// a fixed nominal rate that need not be the core's, and performance
// counters are often not available there); the float chains, timed the
// same way, give their latencies in those cycles.

constexpr uint64_t kChainLoops = 4096;

#if defined(__x86_64__)
constexpr bool kHaveChains = true;
constexpr uint64_t kChainOps = kChainLoops * 16;

void IntegerAddChain() {
  uint64_t x = 1, loops = kChainLoops;
  const uint64_t c = 3;
  asm volatile("1:\n\t.rept 16\n\tadd %[c], %[x]\n\t.endr\n\tdec %[n]\n\tjnz 1b"
               : [x] "+r"(x), [n] "+r"(loops)
               : [c] "r"(c));
}
// One chain of 16 dependent single-precision `insn`s per loop, starting at 1.
#define ORVEN_FLOAT_CHAIN(name, insn, operand)                                          \
  void name() {                                                                         \
    float x = 1.0f;                                                                     \
    uint64_t loops = kChainLoops;                                                       \
    const float c = operand;                                                            \
    asm volatile("1:\n\t.rept 16\n\t" insn " %[c], %[x]\n\t.endr\n\tdec %[n]\n\tjnz 1b" \
                 : [x] "+x"(x), [n] "+r"(loops)                                         \
                 : [c] "x"(c));                                                         \
  }
// Adding or subtracting 2^-20 keeps the values normal numbers; multiplying
// by 1 keeps the value, and x86 multipliers take the same time for every
// normal operand.
ORVEN_FLOAT_CHAIN(FloatAddChain, "addss", 0x1p-20f)
ORVEN_FLOAT_CHAIN(FloatSubChain, "subss", 0x1p-20f)
ORVEN_FLOAT_CHAIN(FloatMulChain, "mulss", 1.0f)
#undef ORVEN_FLOAT_CHAIN
// The filter's loop-carried path as one chain (see the bound below): a
// product of the fed-back value, then seven sums, each needing the last.
// Each step lowers y by 1/4 (exactly, y staying far from overflow).
constexpr uint64_t kPathSteps = kChainLoops * 2;
void FilterPathChain() {
  float y = 1.0f;
  uint64_t loops = kChainLoops;
  const float a = 1.0f, c = 0.25f;
  asm volatile(
      "1:\n\t.rept 2\n\t"
      "mulss %[a], %[y]\n\t"
      "subss %[c], %[y]\n\taddss %[c], %[y]\n\tsubss %[c], %[y]\n\taddss %[c], %[y]\n\t"
      "subss %[c], %[y]\n\taddss %[c], %[y]\n\tsubss %[c], %[y]\n\t"
      ".endr\n\tdec %[n]\n\tjnz 1b"
      : [y] "+x"(y), [n] "+r"(loops)
      : [a] "x"(a), [c] "x"(c));
}
#else
constexpr bool kHaveChains = false;
constexpr uint64_t kChainOps = 1;
constexpr uint64_t kPathSteps = 1;
void IntegerAddChain() {}
void FloatAddChain() {}
void FloatSubChain() {}
void FloatMulChain() {}
void FilterPathChain() {}
#endif

// The length of a core cycle now, in ns: the fastest of eight integer add
// chains (about 20 us each). The clock of a busy machine moves by several
// per cent from one moment to the next, so every measurement given in
// cycles is divided by a calibration taken right before or right after it.
double CycleNs() {
  double best = 1e300;
  for (int i = 0; i < 8; ++i) {
    const double start = Now(Timing::Wall);
    IntegerAddChain();
    best = std::min(best, Now(Timing::Wall) - start);
  }
  return best / static_cast<double>(kChainOps);
}

// Runs `body` once per iteration, timed with `timing`, between two clock
// calibrations; keeps its time under `name` and its length in cycles
// divided by `units` under `name` + " cycles". `prepare` runs before each,
// untimed like the calibrations.
template <typename Prepare, typename Body>
void TimeCycles(benchmark::State& state, const std::string& name, Timing timing, double units, Prepare&& prepare,
                Body&& body) {
  std::vector<double>& times = Times()[name];
  std::vector<double>& cycles = Times()[name + " cycles"];
  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    const double before = kHaveChains ? CycleNs() : 0;
    state.ResumeTiming();
    const double start = Now(timing);
    body();
    const double elapsed = Now(timing) - start;
    state.PauseTiming();
    const double after = kHaveChains ? CycleNs() : 0;
    state.ResumeTiming();
    times.push_back(elapsed);
    // The shorter calibration is the less disturbed one.
    if (kHaveChains) cycles.push_back(elapsed / units / std::min(before, after));
  }
}

// A chain between two runs of the integer chain, microseconds apart: its
// latency in cycles is its time per instruction over the integer chain's
// (the shorter of the two, the other may have been interrupted).
void BM_Chain(benchmark::State& state, const std::string& name, void (*chain)(), uint64_t ops) {
  if (!kHaveChains) {
    state.SkipWithError("the latency chains are written for x86-64");
    return;
  }
  std::vector<double>& times = Times()[name];
  std::vector<double>& cycles = Times()[name + " cycles"];
  auto timed = [](void (*f)()) {
    const double start = Now(Timing::Wall);
    f();
    return Now(Timing::Wall) - start;
  };
  for (auto _ : state) {
    const double before = timed(IntegerAddChain);
    const double elapsed = timed(chain);
    const double after = timed(IntegerAddChain);
    const double cycleNs = std::min(before, after) / static_cast<double>(kChainOps);
    Times()["clock"].push_back(cycleNs);
    times.push_back(elapsed);
    cycles.push_back(elapsed / static_cast<double>(ops) / cycleNs);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ops));
}

// ---------------------------------------------------------------------------
// Rate conversion 16000 -> 8000 Hz
//
// The latency bound. The filter (src/audio/rate_conversion.cpp) computes,
// for every input sample x0 with history x1..x4 and y1..y4, in single
// precision with a rounding after every product and sum, in this order:
//
//   acc = x0*b0;  acc = x1*b1 + acc;  acc = acc - y1*a1;
//   acc = x2*b2 + acc;  acc = acc - y2*a2;  acc = x3*b3 + acc;
//   acc = acc - y3*a3;  acc = x4*b4 + acc;  acc = acc - y4*a4;   y0 = acc
//
// The products of inputs do not depend on any output and can all be done
// ahead. The feedback products y1*a1 .. y4*a4 depend on earlier outputs.
// y1 is the output of the sample before, so the path from one output to
// the next is:
//
//   y1*a1 (mul) -> acc - . (sub) -> + x2*b2 -> - y2*a2 -> + x3*b3
//                -> - y3*a3 -> + x4*b4 -> - y4*a4 = y0
//
// one multiply and seven dependent adds/subtracts (x0*b0 + x1*b1, the first
// sum, needs no output and runs ahead). The paths through y2, y3, y4 span
// two, three and four samples with fewer operations each (mul + 5, 3 and 1
// adds), so they are not the limit. Since the order of the sums is fixed
// (no reassociation) and every operation is rounded on its own (no fused
// multiply-add), no schedule can do better than
//
//   bound = latency(mul) + 7 * latency(add/sub)   cycles per input sample,
//
// every output, kept or not, being needed for the next. Everything else in
// the loop (loads, int->float conversion, nine multiplies, the truncation
// and store of every second output, the loop's bookkeeping) is about 30
// instructions per sample, independent from sample to sample, and fits in
// the out-of-order window beside the chain.
//
// On the machine this was written on (an AMD EPYC of family 26 model 2,
// two cores at 3.4 to 3.7 GHz, no performance counters in the guest, TSC at
// a nominal 2.096 GHz) the chains above measure 2.00 cycles for a scalar
// float add or subtract and 3.00 for a multiply: a bound of 3 + 7 * 2 = 17
// cycles per input sample, 210 million samples per second at 3.6 GHz. The
// path itself, run as one chain of the same eight instructions
// (FilterPathChain), takes 18.0 cycles a step: handing a product from the
// multiplier to the adder costs one cycle more there than the two latencies
// measured apart (a chain of alternating mul and add takes 6 cycles a pair,
// not 5), so 18 is what this core can reach. The converter measured a
// median of 19.4 to 19.5 cycles per sample built with g++ 12 -O3 (1.14x to
// 1.15x the bound, 1.08x the path chain) and 20.3 to 20.7 with clang 14
// (1.23x to 1.24x, 1.16x to 1.18x), with both cores busy with other builds.
// libsoxr's HQ resampler took about 10 cycles per input sample on the same
// buffer. The summary prints what each run measures.

constexpr size_t kSpeechSamples = size_t{1} << 20;

const std::vector<int16_t>& Speech() {
  static const std::vector<int16_t> speech = orven_bench::SpeechLikeSignal(kSpeechSamples, 20240611u);
  return speech;
}

// The filter written out from its definition, as the tests have it: the
// converter must give these samples on the benchmark's buffer.
std::vector<int16_t> ReferenceHalving(const std::vector<int16_t>& in) {
  static constexpr float b[5] = {0.5338f, 0.4554f, 0.9760f, 0.4554f, 0.5338f};
  static constexpr float a[5] = {1.0f, 0.1882f, 1.1661f, 0.2836f, 0.3199f};
  float x[5] = {}, y[5] = {};
  std::vector<int16_t> out;
  out.reserve(in.size() / 2);
  for (size_t k = 0; k < in.size(); ++k) {
    for (int j = 4; j > 0; --j) x[j] = x[j - 1], y[j] = y[j - 1];
    x[0] = in[k];
    float acc = x[0] * b[0];
    for (int j = 1; j <= 4; ++j) {
      const float product = x[j] * b[j];
      acc = product + acc;
      const float feedback = y[j] * a[j];
      acc = acc - feedback;
    }
    y[0] = acc;
    if (k % 2 == 0 && out.size() < in.size() / 2) out.push_back(static_cast<int16_t>(static_cast<int32_t>(acc)));
  }
  return out;
}

void BM_RateOrven(benchmark::State& state) {
  const std::vector<int16_t>& speech = Speech();
  std::vector<int16_t> work(speech.size()), out(speech.size() / 2);
  const auto count = static_cast<int32_t>(speech.size());
  int32_t produced = count / 2;
  // The converter overwrites its input: it gets a fresh copy every time,
  // outside the timed part.
  auto copy = [&] { std::memcpy(work.data(), speech.data(), speech.size() * sizeof(int16_t)); };
  TimeCycles(state, "rate/orven", Timing::ThreadCpu, static_cast<double>(count), copy, [&] {
    const int32_t got = ORVN_ConvSamplingRate(count, work.data(), out.data(), 16000, 8000);
    if (got != count / 2) produced = got;
    benchmark::DoNotOptimize(out.data());
  });
  if (produced != count / 2) state.SkipWithError("unexpected output count");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * speech.size()));
}

struct Soxr {
  soxr_t resampler = nullptr;
  Soxr() {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);  // one thread, like ours
    soxr_error_t error = nullptr;
    resampler = soxr_create(16000, 8000, 1, &error, &io, &quality, &runtime);
    if (error != nullptr) resampler = nullptr;
  }
  ~Soxr() { soxr_delete(resampler); }
  Soxr(const Soxr&) = delete;
  Soxr& operator=(const Soxr&) = delete;

  // Resamples the whole buffer from a fresh start, flushing the filter's
  // tail; returns the samples written.
  size_t Run(const std::vector<int16_t>& in, std::vector<int16_t>& out) {
    soxr_clear(resampler);
    size_t used = 0, written = 0, flushed = 0;
    if (soxr_process(resampler, in.data(), in.size(), &used, out.data(), out.size(), &written) != nullptr) return 0;
    if (soxr_process(resampler, nullptr, 0, nullptr, out.data() + written, out.size() - written, &flushed) != nullptr)
      return 0;
    return used == in.size() ? written + flushed : 0;
  }
};

void BM_RateSoxr(benchmark::State& state) {
  const std::vector<int16_t>& speech = Speech();
  std::vector<int16_t> out(speech.size() / 2 + 4096);
  Soxr soxr;
  if (soxr.resampler == nullptr) {
    state.SkipWithError("soxr_create failed");
    return;
  }
  size_t produced = 0;
  TimeCycles(
      state, "rate/soxr", Timing::ThreadCpu, static_cast<double>(speech.size()), [] {},
      [&] {
        produced = soxr.Run(speech, out);
        benchmark::DoNotOptimize(out.data());
      });
  if (produced == 0) state.SkipWithError("soxr_process failed");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * speech.size()));
}

// Before measuring: the converter and libsoxr on the benchmark's buffer.
bool CheckRateConversion() {
  const std::vector<int16_t>& speech = Speech();
  size_t silent = 0;
  int peak = 0;
  for (int16_t s : speech) {
    silent += s == 0;
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  }
  std::vector<int16_t> work = speech, out(speech.size() / 2);
  ORVN_ConvSamplingRate(static_cast<int32_t>(work.size()), work.data(), out.data(), 16000, 8000);
  const bool same = out == ReferenceHalving(speech);
  std::vector<int16_t> soxrOut(speech.size() / 2 + 4096);
  Soxr soxr;
  const size_t soxrCount = soxr.resampler ? soxr.Run(speech, soxrOut) : 0;
  std::printf("speech-like input: %zu samples at 16000 Hz (%.1f s), peak %d, %.2f%% exact zeros\n", speech.size(),
              static_cast<double>(speech.size()) / 16000.0, peak,
              100.0 * static_cast<double>(silent) / static_cast<double>(speech.size()));
  std::printf("ORVN_ConvSamplingRate: %zu samples out, %s\n", out.size(),
              same ? "the same samples as the filter written out" : "DIFFERS from the filter written out");
  std::printf("libsoxr %s HQ: %zu samples out\n", soxr_version(), soxrCount);
  return same;
}

// ---------------------------------------------------------------------------
// File synthesis cost

struct FileCase {
  const char* name;
  const char* label;
  int32_t fileType, encoding, rate;
};

constexpr FileCase kFileCases[] = {
    {"file/wav16k_linear16", "16-bit WAV, 16000 Hz", 0, 0, 16000},
    {"file/wav8k_mulaw", "mu-law WAV, 8000 Hz", 0, 2, 8000},
    {"file/au8k_g721", "G.721 AU, 8000 Hz", 1, 5, 8000},
};

constexpr int32_t kEnglish = 1;
constexpr int32_t kToneSpeaker = 0;  // 16000 Hz

// Where the files go: a private directory on tmpfs when there is one, so
// that the figures are the library's work and not a disk's.
class TempDir {
 public:
  TempDir() {
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : nullptr;
    if (base == nullptr) base = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    std::string pattern = std::string(base) + "/orven-audio-bench-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TempDir& Scratch() {
  static TempDir dir;
  return dir;
}

// About a minute of audio: words of common letters with spaces and some
// punctuation, one 60 ms tone (or pause) per character.
const std::string& SynthesisText() {
  static const std::string text = [] {
    static const char* const kWords[] = {"the",    "voice",   "reads", "this",  "text",   "aloud", "for",
                                         "every",  "call",    "with",  "clear", "tones",  "and",   "short",
                                         "pauses", "between", "words", "of",    "speech", "in",    "files"};
    std::mt19937 random(7);
    std::string s;
    while (s.size() < 1000) {
      s += kWords[random() % std::size(kWords)];
      const unsigned r = random() % 10;
      s += r == 0 ? ". " : r == 1 ? ", " : " ";
    }
    return s;
  }();
  return text;
}

bool LoadVoices() {
  static const bool loaded = [] {
    ORVN_Initialize();
    return ORVN_LoadEngine(kEnglish, ORVEN_BENCH_VOICES_DIR, 0) == 0;
  }();
  return loaded;
}

int32_t ORVN_CDECL IgnoreChunk(void*, ORVN_PcmChunk*) { return 0; }

int32_t ORVN_CDECL KeepChunk(void* userData, ORVN_PcmChunk* chunk) {
  auto& pcm = *static_cast<std::vector<uint8_t>*>(userData);
  const auto* bytes = reinterpret_cast<const uint8_t*>(chunk->samples);
  pcm.insert(pcm.end(), bytes, bytes + chunk->byteCount);
  return 0;
}

// The synthesised PCM of the text, captured once through a channel callback.
const std::vector<uint8_t>& SynthesisPcm() {
  static const std::vector<uint8_t> pcm = [] {
    std::vector<uint8_t> bytes;
    if (!LoadVoices()) return bytes;
    ORVN_CHANNEL channel = ORVN_CreateThread(&bytes, KeepChunk, kEnglish, kToneSpeaker);
    if (channel == nullptr) return bytes;
    ORVN_TextToSpeech(channel, SynthesisText().c_str(), 1);
    ORVN_DeleteThread(channel);
    return bytes;
  }();
  return pcm;
}

double AudioSeconds() { return static_cast<double>(SynthesisPcm().size()) / 2.0 / 16000.0; }

// Synthesis alone: the same text on a channel opened and closed as the file
// entry does it, into a callback that does nothing.
void BM_SynthesisOnly(benchmark::State& state) {
  if (SynthesisPcm().empty()) {
    state.SkipWithError("the English voices did not load");
    return;
  }
  TimeIterations(state, "file/synthesis_only", Timing::ThreadCpu, [&] {
    ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, IgnoreChunk, kEnglish, kToneSpeaker);
    ORVN_TextToSpeech(channel, SynthesisText().c_str(), 1);
    ORVN_DeleteThread(channel);
  });
}

// The peer: the same PCM written with one fwrite to a fresh file.
void BM_PlainFwrite(benchmark::State& state) {
  const std::vector<uint8_t>& pcm = SynthesisPcm();
  if (pcm.empty() || Scratch().path().empty()) {
    state.SkipWithError("no PCM or no temporary directory");
    return;
  }
  const std::string path = Scratch().path() + "/fwrite.pcm";
  bool ok = true;
  TimeIterations(state, "file/plain_fwrite", Timing::ThreadCpu, [&] {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ok = ok && file != nullptr && std::fwrite(pcm.data(), 1, pcm.size(), file) == pcm.size();
    if (file != nullptr) ok = std::fclose(file) == 0 && ok;
  });
  if (!ok) state.SkipWithError("fwrite failed");
}

// A second reference: the same PCM written the way the voice delivers it,
// one fwrite per 100 ms chunk (3200 bytes) through the stream's default
// buffer. With a 4 KiB buffer that is a write system call about every
// 4 KiB instead of one for the whole file.
void BM_PlainFwriteChunks(benchmark::State& state) {
  const std::vector<uint8_t>& pcm = SynthesisPcm();
  if (pcm.empty() || Scratch().path().empty()) {
    state.SkipWithError("no PCM or no temporary directory");
    return;
  }
  const std::string path = Scratch().path() + "/fwrite_chunks.pcm";
  constexpr size_t kChunk = 3200;
  bool ok = true;
  TimeIterations(state, "file/plain_fwrite_chunks", Timing::ThreadCpu, [&] {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ok = ok && file != nullptr;
    for (size_t at = 0; ok && at < pcm.size(); at += kChunk) {
      const size_t n = std::min(kChunk, pcm.size() - at);
      ok = std::fwrite(pcm.data() + at, 1, n, file) == n;
    }
    if (file != nullptr) ok = std::fclose(file) == 0 && ok;
  });
  if (!ok) state.SkipWithError("fwrite failed");
}

std::string FilePath(const FileCase& c) { return Scratch().path() + "/" + (c.name + 5) + ".out"; }

int32_t WriteFile(const FileCase& c) {
  return ORVN_TextToFile(kEnglish, kToneSpeaker, c.fileType, c.encoding, c.rate, SynthesisText().c_str(),
                         FilePath(c).c_str(), nullptr, nullptr);
}

void BM_TextToFile(benchmark::State& state, const FileCase& c) {
  if (SynthesisPcm().empty() || Scratch().path().empty()) {
    state.SkipWithError("no voice or no temporary directory");
    return;
  }
  int32_t result = 0;
  TimeIterations(state, c.name, Timing::ThreadCpu, [&] { result = WriteFile(c); });
  if (result != 0) state.SkipWithError("ORVN_TextToFile failed");
}

// Before measuring: what the file entry writes for each case.
void CheckFiles() {
  const std::vector<uint8_t>& pcm = SynthesisPcm();
  std::printf("\nfile output: English voice %d (16000 Hz), %zu characters, %zu bytes of PCM = %.2f s of audio\n",
              kToneSpeaker, SynthesisText().size(), pcm.size(), AudioSeconds());
  std::printf("temporary files in %s\n", Scratch().path().empty() ? "(none)" : Scratch().path().c_str());
  // Expected data bytes: the voice delivers 100 ms chunks (1600 samples),
  // each halved to 800 samples for 8000 Hz; 16-bit takes 2 bytes a sample,
  // mu-law 1, G.721 half of one.
  const size_t samples = pcm.size() / 2;
  for (const FileCase& c : kFileCases) {
    const int32_t result = WriteFile(c);
    std::error_code error;
    const auto size = std::filesystem::file_size(FilePath(c), error);
    const size_t header = c.fileType == 1 ? 24 : c.encoding == 0 ? 44 : 46;
    const size_t data = c.encoding == 0 ? 2 * samples : c.encoding == 2 ? samples / 2 : samples / 4;
    std::printf("%-22s result %d, %llu bytes on disk (%s %zu-byte header + %zu bytes)\n", c.label, result,
                error ? 0ull : static_cast<unsigned long long>(size), size == header + data ? "=" : "DIFFERS FROM",
                header, data);
  }
}

// ---------------------------------------------------------------------------
// Summary

void PrintRateSummary(bool bitExact) {
  if (!FiguresOf("rate/orven") && !FiguresOf("rate/soxr") && !FiguresOf("clock")) return;
  std::printf("\nRate conversion 16000 -> 8000 Hz, %zu samples of speech-like input\n", kSpeechSamples);
  const Figures clock = FiguresOf("clock");
  const Figures add = FiguresOf("latency/float_add cycles"), sub = FiguresOf("latency/float_sub cycles");
  const Figures mul = FiguresOf("latency/float_mul cycles"), path = FiguresOf("latency/filter_path cycles");
  const Figures ours = FiguresOf("rate/orven"), oursCycles = FiguresOf("rate/orven cycles");
  const Figures soxr = FiguresOf("rate/soxr"), soxrCycles = FiguresOf("rate/soxr cycles");
  const double n = static_cast<double>(kSpeechSamples);

  if (clock) {
    std::printf("  core clock (1-cycle integer add chains): %.3f GHz median, %.3f GHz fastest\n", 1.0 / clock.median,
                1.0 / clock.best);
  }
  // Latencies: the median of the chains' runs, each against its own
  // calibration.
  double bound = 0;
  if (add && sub && mul) {
    const double lsum = std::max(add.median, sub.median);
    bound = mul.median + 7.0 * lsum;
    std::printf("  latency (cycles, median of runs): float add %.2f, sub %.2f, mul %.2f\n", add.median, sub.median,
                mul.median);
    std::printf("  bound: mul + 7 add/sub on the path y[k-1] -> y[k] = %.2f + 7 x %.2f = %.2f cycles/sample\n",
                mul.median, lsum, bound);
  }
  if (path) std::printf("  the same path run as one chain of those instructions: %.2f cycles/step\n", path.median);
  // Throughput: the fastest run and the median.
  if (ours) {
    std::printf("  ORVN_ConvSamplingRate: %.3f ms, %.1f Msamples/s (median %.3f ms, %.1f)%s\n", ours.best / 1e6,
                n / ours.best * 1e3, ours.median / 1e6, n / ours.median * 1e3,
                bitExact ? "" : "  OUTPUT DIFFERS FROM THE FILTER'S DEFINITION");
    // Cycles: the median of the runs, each against its own calibration (a
    // disturbed calibration can make a single run look faster than it was).
    if (oursCycles) {
      std::printf("    %.2f cycles/sample (median of runs; fewest %.2f)", oursCycles.median, oursCycles.best);
      if (bound > 0) std::printf("; %.3fx the bound", oursCycles.median / bound);
      if (path) std::printf("; %.3fx the path chain", oursCycles.median / path.median);
      std::printf("\n");
    }
  }
  if (soxr) {
    std::printf("  libsoxr HQ, for context: %.3f ms, %.1f Msamples/s (median %.3f ms, %.1f)", soxr.best / 1e6,
                n / soxr.best * 1e3, soxr.median / 1e6, n / soxr.median * 1e3);
    if (soxrCycles) std::printf(", %.2f cycles/sample (median)", soxrCycles.median);
    std::printf("\n");
    if (ours) std::printf("  ours / libsoxr, samples per second: %.2fx\n", soxr.best / ours.best);
  }
}

void PrintFileSummary() {
  const double seconds = AudioSeconds();
  const Figures synth = FiguresOf("file/synthesis_only"), plain = FiguresOf("file/plain_fwrite");
  if (seconds <= 0 || !synth || !plain) return;
  std::printf("\nFile output, %.2f s of audio per run (thread CPU time; fastest run, median in brackets)\n", seconds);
  std::printf("  %-32s %19s %19s %19s %17s\n", "", "run ms", "file step ms", "us per s of audio", "x plain fwrite");
  auto perSecond = [&](double ns) { return ns / 1e3 / seconds; };
  std::printf("  %-32s %8.3f [%8.3f] %19s %19s %17s\n", "synthesis only (no-op callback)", synth.best / 1e6,
              synth.median / 1e6, "-", "-", "-");
  std::printf("  %-32s %8.3f [%8.3f] %8.3f [%8.3f] %8.1f [%8.1f] %17s\n", "plain fwrite of the 16-bit PCM",
              plain.best / 1e6, plain.median / 1e6, plain.best / 1e6, plain.median / 1e6, perSecond(plain.best),
              perSecond(plain.median), "1.00x");
  if (const Figures chunks = FiguresOf("file/plain_fwrite_chunks")) {
    std::printf("  %-32s %8.3f [%8.3f] %8.3f [%8.3f] %8.1f [%8.1f] %6.2fx [%6.2fx]\n", "plain fwrite, 3200-byte chunks",
                chunks.best / 1e6, chunks.median / 1e6, chunks.best / 1e6, chunks.median / 1e6, perSecond(chunks.best),
                perSecond(chunks.median), chunks.best / plain.best, chunks.median / plain.median);
  }
  // The file step: the file run less the synthesis-only run.
  for (const FileCase& c : kFileCases) {
    const Figures f = FiguresOf(c.name);
    if (!f) continue;
    const double step = f.best - synth.best, stepMedian = f.median - synth.median;
    std::printf("  %-32s %8.3f [%8.3f] %8.3f [%8.3f] %8.1f [%8.1f] %6.2fx [%6.2fx]\n", c.label, f.best / 1e6,
                f.median / 1e6, step / 1e6, stepMedian / 1e6, perSecond(step), perSecond(stepMedian), step / plain.best,
                stepMedian / plain.median);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!orven_bench::Initialize(argc, argv)) return 1;

  const bool bitExact = CheckRateConversion();
  CheckFiles();
  std::printf("\n");

  auto chain = [](const char* name, void (*f)(), uint64_t ops) {
    benchmark::RegisterBenchmark(name, BM_Chain, std::string(name), f, ops)
        ->MinTime(0.2)
        ->Unit(benchmark::kMicrosecond);
  };
  chain("latency/float_add", FloatAddChain, kChainOps);
  chain("latency/float_sub", FloatSubChain, kChainOps);
  chain("latency/float_mul", FloatMulChain, kChainOps);
  chain("latency/filter_path", FilterPathChain, kPathSteps);
  benchmark::RegisterBenchmark("rate/orven", BM_RateOrven)->MinTime(1.0)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("rate/soxr", BM_RateSoxr)->MinTime(1.0)->Unit(benchmark::kMillisecond);

  benchmark::RegisterBenchmark("file/synthesis_only", BM_SynthesisOnly)->MinTime(1.0)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("file/plain_fwrite", BM_PlainFwrite)->MinTime(1.0)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("file/plain_fwrite_chunks", BM_PlainFwriteChunks)
      ->MinTime(1.0)
      ->Unit(benchmark::kMillisecond);
  for (const FileCase& c : kFileCases)
    benchmark::RegisterBenchmark(c.name, BM_TextToFile, c)->MinTime(1.0)->Unit(benchmark::kMillisecond);

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRateSummary(bitExact);
  PrintFileSummary();
  return bitExact ? 0 : 1;
}
