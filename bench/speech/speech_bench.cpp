// orven_speech_bench: what real speech costs through the library, each figure against a named peer in the same run.
//
//   request   A prompt of about 3 s to an 8 kHz mu-law WAV, per request: ORVN_TextToFile in-process against the shell
//             pipelines "espeak-ng -w | sox" and "flite -o | sox" (hyperfine, in rounds between the library's).
//   overhead  The library against bare libespeak-ng and libflite synthesis of the same text in this process, and
//             against bare synthesis followed by the same libsoxr conversion to the voice's rate.
//   first     Time to the first chunk of a 2,000-character text, per language.
//   channels  Serialised espeak-ng: requests per second with 1, 2 and 8 channels at once (one voice, and the three
//             espeak-ng languages mixed); audio seconds per CPU second on one core, i.e. channels served in real
//             time, at 16000 and 8000 Hz.
//   counts    The overhead part again as instruction counts, which a shared machine does not disturb: run under
//             callgrind by instruction_counts.sh, which prints each side's count and the ratios.
//
// The machine these run on is shared, so wall times are noisy: the two sides of every comparison run interleaved,
// A B A B ..., and the table gives the best of the rounds (the least disturbed) for wall and thread CPU time, with
// the median beside it. The ratios are taken from the best CPU times unless the line says otherwise.
// Usage: orven_speech_bench [request|overhead|first|channels|counts]... (all but counts by default)
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <flite/flite.h>
#include <soxr.h>
#include <time.h>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define ORVEN_HAVE_CALLGRIND 1
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "orven_api.h"

extern "C" cst_voice* register_cmu_us_rms(const char* voxdir);

namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }
double ProcessCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
double ThreadCpu() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Timings of one side of a comparison, in seconds.
struct Timings {
  std::vector<double> wall, cpu;
  static double Best(std::vector<double> v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
  static double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
  }
  void Time(const std::function<void()>& work) {
    const double cpu0 = ThreadCpu();
    const auto start = Clock::now();
    work();
    wall.push_back(Since(start));
    cpu.push_back(ThreadCpu() - cpu0);
  }
  void Print(const char* name) const {
    std::printf("     %-34s wall best %8.2f ms  median %8.2f ms   cpu best %8.2f ms  median %8.2f ms\n", name,
                Best(wall) * 1e3, Median(wall) * 1e3, Best(cpu) * 1e3, Median(cpu) * 1e3);
  }
};

// Runs the sides in turn, `rounds` times.
void Interleave(int rounds, std::vector<std::pair<Timings*, std::function<void()>>> sides) {
  for (int r = 0; r < rounds; ++r) {
    for (auto& [timings, work] : sides) timings->Time(work);
  }
}

const char* const kKoreanPrompt = "안녕하세요. 고객센터입니다. 잠시만 기다려 주세요.";
const char* const kEnglishPrompt = "Thank you for calling. Please hold the line, your call is important to us.";

std::atomic<std::size_t> g_samples{0};
int32_t ORVN_CDECL Count(void*, ORVN_PcmChunk* chunk) {
  g_samples += static_cast<std::size_t>(chunk->byteCount / 2);
  return 0;
}

// The library's CPU time for the Korean text of the overhead part, best and median.
std::pair<double, double> g_espeakLibrary{0, 0};

// ---- request ---------------------------------------------------------------------------------------------------

// A shell pipeline timed by hyperfine: the fastest run (wall) and the mean user + system time, in seconds.
struct PipelineTime {
  double wall = -1, cpu = -1;
};
PipelineTime Hyperfine(const std::string& pipeline, int runs) {
  const std::string script = "/tmp/orven-speech-bench.sh", csv = "/tmp/orven-speech-bench.csv";
  std::ofstream(script) << pipeline << "\n";
  const std::string command = "hyperfine -N --warmup 2 --runs " + std::to_string(runs) + " --export-csv " + csv +
                              " 'bash " + script + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(csv);
  std::string header, row;
  std::getline(in, header);
  std::getline(in, row);
  // command,mean,stddev,median,user,system,min,max
  std::vector<double> fields;
  for (std::size_t at = row.find(','); at != std::string::npos; at = row.find(',', at + 1)) {
    fields.push_back(std::atof(row.c_str() + at + 1));
  }
  if (fields.size() < 7) return {};
  return {fields[5], fields[3] + fields[4]};
}

void PerRequest() {
  std::printf(
      "\n request: a prompt to an 8 kHz mu-law WAV, per request (library in-process, 5 rounds of 6 against "
      "5 hyperfine rounds of 6 runs)\n");
  struct Case {
    const char* name;
    int32_t language, speaker;
    const char* text;
    std::string pipeline;
  } cases[] = {
      {"espeak-ng ko", 0, 1, kKoreanPrompt,
       std::string("espeak-ng -v ko -w /tmp/orven-t.wav \"") + kKoreanPrompt +
           "\" && sox /tmp/orven-t.wav -r 8000 -e mu-law /tmp/orven-o.wav"},
      {"flite rms", 1, 1, kEnglishPrompt,
       std::string("flite -voice rms -t \"") + kEnglishPrompt +
           "\" -o /tmp/orven-t.wav && sox /tmp/orven-t.wav -r 8000 -e mu-law /tmp/orven-o.wav"},
      // The diphone voice made for 8 kHz (speaker 6), whose synthesis is light enough for the rest to show.
      {"flite kal", 1, 6, kEnglishPrompt,
       std::string("flite -voice kal -t \"") + kEnglishPrompt +
           "\" -o /tmp/orven-t.wav && sox /tmp/orven-t.wav -r 8000 -e mu-law /tmp/orven-o.wav"},
  };
  for (const Case& c : cases) {
    Timings library;
    PipelineTime shell{1e9, 1e9};
    for (int round = 0; round < 5; ++round) {
      for (int i = 0; i < 6; ++i) {
        library.Time([&] {
          ORVN_TextToFile(c.language, c.speaker, 0, 2, 8000, c.text, "/tmp/orven-lib.wav", nullptr, nullptr);
        });
      }
      const PipelineTime t = Hyperfine(c.pipeline, 6);
      if (t.wall < 0) {
        shell = {};
        break;
      }
      shell = {std::min(shell.wall, t.wall), std::min(shell.cpu, t.cpu)};
    }
    std::printf("   %s\n", c.name);
    library.Print("ORVN_TextToFile");
    if (shell.wall < 0) {
      std::printf("     pipeline: hyperfine, espeak-ng, flite or sox is missing\n");
      continue;
    }
    std::printf("     %-34s wall best %8.2f ms                      cpu      %8.2f ms (mean user+system)\n", "pipeline",
                shell.wall * 1e3, shell.cpu * 1e3);
    std::printf("     pipeline / library: %.2fx by best wall time, %.2fx by CPU time (library median)\n",
                shell.wall / Timings::Best(library.wall), shell.cpu / Timings::Median(library.cpu));
  }
}

// ---- overhead --------------------------------------------------------------------------------------------------

// The native-rate samples of a bare synthesis go here (or nowhere).
std::vector<int16_t> g_native;
bool g_keepNative = false;
int OnEspeakAudio(short* samples, int count, espeak_EVENT*) {
  if (g_keepNative && samples != nullptr && count > 0) g_native.insert(g_native.end(), samples, samples + count);
  return 0;
}

// Converts `in` from `inRate` to `outRate` as the library does (libsoxr, high quality, no dither), in blocks.
std::size_t Convert(const std::vector<int16_t>& in, int inRate, int outRate) {
  soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
  io.flags |= SOXR_NO_DITHER;
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_error_t error = nullptr;
  soxr_t converter = soxr_create(inRate, outRate, 1, &error, &io, &quality, nullptr);
  static int16_t out[4096];
  std::size_t made = 0;
  for (std::size_t at = 0; at < in.size();) {
    std::size_t used = 0, done = 0;
    soxr_process(converter, in.data() + at, in.size() - at, &used, out, std::size(out), &done);
    at += used;
    made += done;
  }
  for (std::size_t done = 1; done > 0;) {
    soxr_process(converter, nullptr, 0, nullptr, out, std::size(out), &done);
    made += done;
  }
  soxr_delete(converter);
  return made;
}

// Sentence by sentence (". "), which is how the library cuts these texts, so both sides synthesise the same pieces.
std::vector<std::string> Sentences(const std::string& text) {
  std::vector<std::string> pieces;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find(". ", at);
    end = end == std::string::npos ? text.size() : end + 2;
    pieces.push_back(text.substr(at, end - at));
    at = end;
  }
  return pieces;
}

void Overhead() {
  std::printf(
      "\n overhead: bare synthesis with a callback of our own, and the rate conversion the library adds "
      "(15 rounds)\n");
  std::string korean, english;
  for (int i = 0; i < 4; ++i) korean += std::string(kKoreanPrompt) + " ", english += std::string(kEnglishPrompt) + " ";
  ORVN_CHANNEL ko = ORVN_CreateThread(nullptr, Count, 0, 0), en = ORVN_CreateThread(nullptr, Count, 1, 2);
  ORVN_SetCharSet(ko, 1);
  ORVN_SetCharSet(en, 1);
  ORVN_TextToSpeech(ko, korean.c_str(), 1);  // starts libespeak-ng and sets its voice to ko

  // libespeak-ng has one callback per process, and the library's ignores a synthesis it did not start; ours keeps
  // the samples only for the conversion side. The voice stays ko, so the library's idea of it stays true.
  const auto bareEspeak = [&] {
    espeak_ng_SetVoiceByName("ko");
    espeak_ng_Synthesize(korean.c_str(), korean.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakENDPAUSE,
                         nullptr, nullptr);
  };
  espeak_SetSynthCallback(OnEspeakAudio);  // from here on the library's espeak-ng channels hear nothing
  g_keepNative = true;
  bareEspeak();
  g_keepNative = false;
  const std::vector<int16_t> koreanNative = g_native;
  std::printf("   espeak-ng ko, %.1f s of speech, voice at 16000 Hz\n",
              static_cast<double>(koreanNative.size()) / espeak_ng_GetSampleRate());
  Timings bare, bareConverted, conversion;
  Interleave(15, {{&bare, bareEspeak},
                  {&bareConverted, [&] { bareEspeak(), Convert(koreanNative, espeak_ng_GetSampleRate(), 16000); }},
                  {&conversion, [&] { Convert(koreanNative, espeak_ng_GetSampleRate(), 16000); }}});
  bare.Print("bare synthesis");
  bareConverted.Print("bare synthesis + libsoxr to 16 kHz");
  conversion.Print("libsoxr to 16 kHz alone");
  std::printf("     library (above) over bare synthesis + libsoxr: %+.1f %% (best CPU), %+.1f %% (median CPU)\n",
              (g_espeakLibrary.first / Timings::Best(bareConverted.cpu) - 1) * 100,
              (g_espeakLibrary.second / Timings::Median(bareConverted.cpu) - 1) * 100);

  cst_voice* rms = register_cmu_us_rms(nullptr);
  const std::vector<std::string> pieces = Sentences(english);
  Timings fliteLibrary, fliteBare;
  Interleave(15, {{&fliteLibrary, [&] { ORVN_TextToSpeech(en, english.c_str(), 1); }},
                  {&fliteBare, [&] {
                     for (const std::string& piece : pieces) delete_wave(flite_text_to_wave(piece.c_str(), rms));
                   }}});
  std::printf("   flite rms, voice at its own 16000 Hz\n");
  fliteLibrary.Print("library");
  fliteBare.Print("bare synthesis");
  std::printf("     library over bare: %+.1f %% (best CPU), %+.1f %% (median CPU)\n",
              (Timings::Best(fliteLibrary.cpu) / Timings::Best(fliteBare.cpu) - 1) * 100,
              (Timings::Median(fliteLibrary.cpu) / Timings::Median(fliteBare.cpu) - 1) * 100);
  ORVN_DeleteThread(ko);
  ORVN_DeleteThread(en);
}

// The espeak-ng side of the overhead, with the library's own callback in place: the library against bare synthesis
// that the library's callback ignores (it belongs to no request of the library's).
void EspeakOverhead() {
  std::string korean;
  for (int i = 0; i < 4; ++i) korean += std::string(kKoreanPrompt) + " ";
  ORVN_CHANNEL ko = ORVN_CreateThread(nullptr, Count, 0, 0);
  ORVN_SetCharSet(ko, 1);
  ORVN_TextToSpeech(ko, korean.c_str(), 1);
  Timings library, bare;
  Interleave(15, {{&library, [&] { ORVN_TextToSpeech(ko, korean.c_str(), 1); }},
                  {&bare, [&] {
                     espeak_ng_SetVoiceByName("ko");
                     espeak_ng_Synthesize(korean.c_str(), korean.size() + 1, 0, POS_CHARACTER, 0,
                                          espeakCHARS_UTF8 | espeakENDPAUSE, nullptr, nullptr);
                   }}});
  std::printf("\n overhead, espeak-ng ko with the library's callback in place (15 rounds)\n");
  library.Print("library, voice at 16000 Hz");
  bare.Print("bare synthesis (22050 Hz)");
  std::printf("     library over bare: %+.1f %% (best CPU), %+.1f %% (median CPU)\n",
              (Timings::Best(library.cpu) / Timings::Best(bare.cpu) - 1) * 100,
              (Timings::Median(library.cpu) / Timings::Median(bare.cpu) - 1) * 100);
  g_espeakLibrary = {Timings::Best(library.cpu), Timings::Median(library.cpu)};
  ORVN_DeleteThread(ko);
}

// ---- first -----------------------------------------------------------------------------------------------------

struct FirstChunk {
  Clock::time_point first;
  std::atomic<bool> seen{false};
  ORVN_CHANNEL channel = nullptr;
};
int32_t ORVN_CDECL StopAtFirst(void* self, ORVN_PcmChunk*) {
  auto* f = static_cast<FirstChunk*>(self);
  if (!f->seen.exchange(true)) {
    f->first = Clock::now();
    ORVN_StopTextToSpeech(f->channel);  // the rest of the text is not the point
  }
  return 0;
}

void FirstChunkLatency() {
  std::printf(
      "\n first: time to the first chunk of a 2,000-character text, speaker 0 (15 rounds, languages "
      "interleaved)\n");
  const char* const sentences[] = {"안녕하세요. 오늘 날씨가 좋네요. ", "The weather is nice today, is it not? ",
                                   "今天天气很好。我们去公园吧。", "今日は良い天気ですね。公園に行きましょう。"};
  const char* const names[] = {"Korean", "English", "Chinese", "Japanese"};
  std::string texts[4];
  for (int language = 0; language < 4; ++language) {
    // 2,000 characters: UTF-8 takes three bytes for each Hangul and CJK character.
    while (texts[language].size() < 2000u * (language == 1 ? 1 : 3)) texts[language] += sentences[language];
  }
  Timings timings[4];
  for (int round = 0; round < 15; ++round) {
    for (int32_t language = 0; language < 4; ++language) {
      FirstChunk f;
      f.channel = ORVN_CreateThread(&f, StopAtFirst, language, 0);
      ORVN_SetCharSet(f.channel, 1);
      const auto start = Clock::now();
      ORVN_TextToSpeech(f.channel, texts[language].c_str(), 1);
      ORVN_DeleteThread(f.channel);
      timings[language].wall.push_back(std::chrono::duration<double>(f.first - start).count());
    }
  }
  for (int language = 0; language < 4; ++language) {
    std::printf("     %-9s best %6.2f ms   median %6.2f ms\n", names[language],
                Timings::Best(timings[language].wall) * 1e3, Timings::Median(timings[language].wall) * 1e3);
  }
}

// ---- channels --------------------------------------------------------------------------------------------------

// `requests` requests spread over `k` threads at once, each on its own channel; `pick(i)` gives request i's
// language and text. Returns the wall time and the CPU time of the whole process.
std::pair<double, double> Concurrently(int k, int requests,
                                       const std::function<std::pair<int32_t, const char*>(int)>& pick) {
  std::atomic<int> next{0};
  const double cpu = ProcessCpu();
  const auto start = Clock::now();
  std::vector<std::thread> threads;
  for (int t = 0; t < k; ++t) {
    threads.emplace_back([&] {
      ORVN_CHANNEL channels[4] = {};
      for (int i; (i = next++) < requests;) {
        const auto [language, text] = pick(i);
        if (channels[language] == nullptr) {
          channels[language] = ORVN_CreateThread(nullptr, Count, language, 0);
          ORVN_SetCharSet(channels[language], 1);
        }
        ORVN_TextToSpeech(channels[language], text, 1);
      }
      for (ORVN_CHANNEL channel : channels) {
        if (channel != nullptr) ORVN_DeleteThread(channel);
      }
    });
  }
  for (auto& t : threads) t.join();
  return {Since(start), ProcessCpu() - cpu};
}

void Channels() {
  constexpr int kRequests = 48;
  const char* const mixedTexts[] = {kKoreanPrompt, "今天天气很好。我们去公园吧。请稍等。",
                                    "今日は良い天気ですね。少々お待ちください。"};
  const int32_t mixedLanguages[] = {0, 2, 3};
  std::printf(
      "\n channels: espeak-ng serialised, %d requests at 16000 Hz over k channels at once (7 rounds, best wall "
      "time and best CPU time of the process)\n",
      kRequests);
  for (bool mixed : {false, true}) {
    const auto pick = [&](int i) -> std::pair<int32_t, const char*> {
      if (!mixed) return {0, kKoreanPrompt};
      return {mixedLanguages[i % 3], mixedTexts[i % 3]};
    };
    std::vector<double> wall(3, 1e9), cpu(3, 1e9);
    const int ks[] = {1, 2, 8};
    for (int round = 0; round < 7; ++round) {
      for (int j = 0; j < 3; ++j) {
        const auto [w, c] = Concurrently(ks[j], kRequests, pick);
        wall[j] = std::min(wall[j], w);
        cpu[j] = std::min(cpu[j], c);
      }
    }
    std::printf("   %s\n", mixed ? "Korean, Mandarin and Japanese in turn" : "Korean only");
    for (int j = 0; j < 3; ++j) {
      std::printf("     %d channel(s): %6.1f requests/s (%.2fx one channel's), %6.1f requests per CPU second (%.2fx)\n",
                  ks[j], kRequests / wall[j], wall[0] / wall[j], kRequests / cpu[j], cpu[0] / cpu[j]);
    }
  }
  std::printf("\n   channels served in real time on one core (audio seconds per CPU second of the calling thread)\n");
  const char* const texts[] = {kKoreanPrompt, kEnglishPrompt, "今天天气很好。我们去公园吧。", "今日は良い天気ですね。"};
  const char* const names[] = {"Korean", "English", "Chinese", "Japanese"};
  for (int32_t language = 0; language < 4; ++language) {
    std::printf("     %-9s", names[language]);
    for (auto [speaker, rate] : {std::pair{0, 16000}, {1, 8000}}) {
      ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, Count, language, speaker);
      ORVN_SetCharSet(channel, 1);
      g_samples = 0;
      const double cpu = ThreadCpu();
      for (int i = 0; i < 20; ++i) ORVN_TextToSpeech(channel, texts[language], 1);
      const double used = ThreadCpu() - cpu;
      ORVN_DeleteThread(channel);
      std::printf("   %5d Hz: %7.1f channels", rate, static_cast<double>(g_samples.load()) / rate / used);
    }
    std::printf("\n");
  }
}

// ---- counts ----------------------------------------------------------------------------------------------------

// Runs `work` with callgrind collecting, then has it write the count under `name`.
void Counted(const char* name, const std::function<void()>& work) {
#if ORVEN_HAVE_CALLGRIND
  CALLGRIND_ZERO_STATS;
  CALLGRIND_TOGGLE_COLLECT;
  work();
  CALLGRIND_TOGGLE_COLLECT;
  CALLGRIND_DUMP_STATS_AT(name);
#else
  (void)name;
  work();
#endif
}

void InstructionCounts() {
#if ORVEN_HAVE_CALLGRIND
  if (!RUNNING_ON_VALGRIND) {
    std::printf("\n counts: run bench/speech/instruction_counts.sh, which runs this part under callgrind\n");
    return;
  }
#else
  std::printf("\n counts: built without valgrind's headers (valgrind package)\n");
  return;
#endif
  std::string korean, english;
  for (int i = 0; i < 4; ++i) korean += std::string(kKoreanPrompt) + " ", english += std::string(kEnglishPrompt) + " ";
  ORVN_CHANNEL ko = ORVN_CreateThread(nullptr, Count, 0, 0), en = ORVN_CreateThread(nullptr, Count, 1, 2);
  ORVN_SetCharSet(ko, 1);
  ORVN_SetCharSet(en, 1);
  const auto bareEspeak = [&] {
    espeak_ng_SetVoiceByName("ko");
    espeak_ng_Synthesize(korean.c_str(), korean.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakENDPAUSE,
                         nullptr, nullptr);
  };
  // First uses load voices and dictionaries; they are not counted.
  ORVN_TextToSpeech(ko, korean.c_str(), 1);
  bareEspeak();  // the library's callback ignores a synthesis it did not start
  Counted("espeak-ng ko: library, 3 requests", [&] {
    for (int i = 0; i < 3; ++i) ORVN_TextToSpeech(ko, korean.c_str(), 1);
  });
  Counted("espeak-ng ko: bare synthesis, 3 times", [&] {
    for (int i = 0; i < 3; ++i) bareEspeak();
  });
  espeak_SetSynthCallback(OnEspeakAudio);
  g_keepNative = true;
  bareEspeak();
  g_keepNative = false;
  const std::vector<int16_t> native = g_native;
  Counted("espeak-ng ko: libsoxr 22050 to 16000 Hz, 3 times", [&] {
    for (int i = 0; i < 3; ++i) Convert(native, espeak_ng_GetSampleRate(), 16000);
  });
  cst_voice* rms = register_cmu_us_rms(nullptr);
  const std::vector<std::string> pieces = Sentences(english);
  ORVN_TextToSpeech(en, english.c_str(), 1);
  Counted("flite rms: library, 2 requests", [&] {
    for (int i = 0; i < 2; ++i) ORVN_TextToSpeech(en, english.c_str(), 1);
  });
  Counted("flite rms: bare synthesis, 2 times", [&] {
    for (int i = 0; i < 2; ++i) {
      for (const std::string& piece : pieces) delete_wave(flite_text_to_wave(piece.c_str(), rms));
    }
  });
  ORVN_DeleteThread(ko);
  ORVN_DeleteThread(en);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> parts(argv + 1, argv + argc);
  if (parts.empty()) parts = {"request", "first", "channels", "overhead"};
  for (const std::string& part : parts) {
    if (part != "request" && part != "overhead" && part != "first" && part != "channels" && part != "counts") {
      std::fprintf(stderr, "usage: %s [request|overhead|first|channels|counts]...\n", argv[0]);
      return 2;
    }
  }
  ORVN_Initialize();
  for (int32_t language = 0; language < 4; ++language) {
    if (ORVN_LoadEngine(language, ORVEN_BENCH_VOICES_DIR, 0) != 0) {
      std::fprintf(stderr, "the voices in %s did not load\n", ORVEN_BENCH_VOICES_DIR);
      return 1;
    }
  }
  ORVN_SetCharSet(nullptr, 1);
  bool swapped = false;
  for (const std::string& part : parts) {
    if (part == "request") PerRequest();
    if (part == "first") FirstChunkLatency();
    if (part == "channels") Channels();
    if (part == "counts") {
      InstructionCounts();  // points libespeak-ng's callback at ours, as the overhead part does
      swapped = true;
    }
    if (part == "overhead") {
      EspeakOverhead();
      Overhead();  // points libespeak-ng's callback at ours: espeak-ng voices are silent after it
      swapped = true;
    }
    if (swapped && &part != &parts.back()) {
      std::printf("\n (overhead ran: the espeak-ng voices are silent from here on; run that part last)\n");
    }
  }
  return 0;
}
