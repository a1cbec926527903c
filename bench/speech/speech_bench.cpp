// orven_speech_bench: what real speech costs through the library.
//  1. A prompt of about 3 s to an 8 kHz mu-law WAV, per request: ORVN_TextToFile in-process against the shell
//     pipelines "espeak-ng -w | sox" and "flite -o | sox" (timed by hyperfine).
//  2. The library's overhead over bare libespeak-ng and libflite synthesis of the same text, in this process.
//  3. Time to the first chunk of a 2,000-character text.
//  4. Serialised espeak-ng: requests per second with 1, 2 and 8 channels at once; audio seconds per CPU second on
//     one core, i.e. channels served in real time, at 16000 and 8000 Hz.
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <flite/flite.h>
#include <time.h>

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
double ThreadCpu() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The median of `runs` timings of `work`, in seconds.
double Median(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(Since(start));
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<std::size_t>(runs / 2)];
}

const char* const kKoreanPrompt = "안녕하세요. 고객센터입니다. 잠시만 기다려 주세요.";  // about 3 s
const char* const kEnglishPrompt = "Thank you for calling. Please hold the line, your call is important to us.";

std::size_t g_samples = 0;
int32_t ORVN_CDECL Count(void*, ORVN_PcmChunk* chunk) {
  g_samples += static_cast<std::size_t>(chunk->byteCount / 2);
  return 0;
}

// The mean of 30 runs of a shell pipeline, by hyperfine, in seconds; -1 when it cannot run.
double Hyperfine(const std::string& pipeline) {
  const std::string script = "/tmp/orven-speech-bench.sh", csv = "/tmp/orven-speech-bench.csv";
  std::ofstream(script) << pipeline << "\n";
  const std::string command = "hyperfine -N --warmup 3 --runs 30 --export-csv " + csv + " 'bash " + script + "'";
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) return -1;
  std::ifstream in(csv);
  std::string header, row;
  std::getline(in, header);
  std::getline(in, row);
  return std::atof(row.c_str() + row.find(',') + 1);  // command,mean,...
}

void PerRequest() {
  std::printf("\n1. a prompt to an 8 kHz mu-law WAV, per request (median)\n");
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
       std::string("flite -voice rms -t \"") + kEnglishPrompt + "\" -o /tmp/orven-t.wav && sox /tmp/orven-t.wav -r 8000 -e mu-law /tmp/orven-o.wav"},
  };
  for (const Case& c : cases) {
    const double library = Median(31, [&] {
      ORVN_TextToFile(c.language, c.speaker, 0, 2, 8000, c.text, "/tmp/orven-lib.wav", nullptr, nullptr);
    });
    const double shell = Hyperfine(c.pipeline);
    std::printf("   %-13s library %7.2f ms   pipeline %7.2f ms   pipeline/library %.1fx\n", c.name, library * 1e3,
                shell * 1e3, shell / library);
  }
}

int OnEspeakAudio(short*, int count, espeak_EVENT*) {
  g_samples += static_cast<std::size_t>(count);
  return 0;
}

void Overhead() {
  std::printf("\n2. library over bare synthesis of the same text, in-process (median of 21)\n");
  std::string korean, english;
  for (int i = 0; i < 4; ++i) korean += kKoreanPrompt, english += kEnglishPrompt;
  ORVN_CHANNEL ko = ORVN_CreateThread(nullptr, Count, 0, 0), en = ORVN_CreateThread(nullptr, Count, 1, 2);
  ORVN_SetCharSet(ko, 1);
  ORVN_SetCharSet(en, 1);
  const double library = Median(21, [&] { ORVN_TextToSpeech(ko, korean.c_str(), 1); });
  // The same synthesiser the library drives, with the same voice (so that the library's idea of the current voice
  // stays true), called directly.
  espeak_SetSynthCallback(OnEspeakAudio);
  const double bare = Median(21, [&] {
    espeak_ng_SetVoiceByName("ko");
    espeak_ng_Synthesize(korean.c_str(), korean.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakENDPAUSE,
                         nullptr, nullptr);
  });
  std::printf("   espeak-ng ko  library %7.2f ms   bare %7.2f ms   overhead %+.1f %%\n", library * 1e3, bare * 1e3,
              (library / bare - 1) * 100);
  cst_voice* rms = register_cmu_us_rms(nullptr);
  const double fliteLibrary = Median(21, [&] { ORVN_TextToSpeech(en, english.c_str(), 1); });
  const double fliteBare = Median(21, [&] {
    // Sentence by sentence, as the library cuts it, so both do the same synthesis.
    for (std::size_t at = 0; at < english.size();) {
      std::size_t end = english.find_first_of(".,", at);
      end = end == std::string::npos ? english.size() : end + 1;
      cst_wave* wave = flite_text_to_wave(english.substr(at, end - at).c_str(), rms);
      delete_wave(wave);
      at = end;
    }
  });
  std::printf("   flite rms     library %7.2f ms   bare %7.2f ms   overhead %+.1f %%\n", fliteLibrary * 1e3,
              fliteBare * 1e3, (fliteLibrary / fliteBare - 1) * 100);
  ORVN_DeleteThread(ko);
  ORVN_DeleteThread(en);
}

struct FirstChunk {
  Clock::time_point start, first;
  bool seen = false;
};
int32_t ORVN_CDECL MarkFirst(void* self, ORVN_PcmChunk*) {
  auto* f = static_cast<FirstChunk*>(self);
  if (!f->seen) f->first = Clock::now(), f->seen = true;
  return 0;
}

void FirstChunkLatency() {
  std::printf("\n3. time to the first chunk of a 2,000-character text (median of 11)\n");
  const char* const sentences[] = {"안녕하세요. 오늘 날씨가 좋네요. ", "The weather is nice today, is it not? ",
                                   "今天天气很好。我们去公园吧。", "今日は良い天気ですね。公園に行きましょう。"};
  const char* const names[] = {"Korean", "English", "Chinese", "Japanese"};
  for (int32_t language = 0; language < 4; ++language) {
    std::string text;
    while (text.size() < 2000 * (language == 1 ? 1 : 3)) text += sentences[language];  // 2,000 characters
    std::vector<double> times;
    for (int i = 0; i < 11; ++i) {
      FirstChunk f;
      ORVN_CHANNEL channel = ORVN_CreateThread(&f, MarkFirst, language, 0);
      ORVN_SetCharSet(channel, 1);
      f.start = Clock::now();
      std::thread stopper([&] {
        while (!f.seen) std::this_thread::yield();
        ORVN_StopTextToSpeech(channel);
      });
      ORVN_TextToSpeech(channel, text.c_str(), 1);
      stopper.join();
      ORVN_DeleteThread(channel);
      times.push_back(std::chrono::duration<double>(f.first - f.start).count());
    }
    std::nth_element(times.begin(), times.begin() + 5, times.end());
    std::printf("   %-9s %6.2f ms\n", names[language], times[5] * 1e3);
  }
}

void Serialisation() {
  std::printf("\n4. espeak-ng serialised: Korean prompt at 16000 Hz, 48 requests over k channels at once\n");
  double one = 0;
  for (int k : {1, 2, 8}) {
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < k; ++t) {
      threads.emplace_back([&] {
        ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, Count, 0, 0);
        ORVN_SetCharSet(channel, 1);
        for (int i = 0; i < 48 / k; ++i) ORVN_TextToSpeech(channel, kKoreanPrompt, 1);
        ORVN_DeleteThread(channel);
      });
    }
    for (auto& t : threads) t.join();
    const double wall = Since(start);
    if (k == 1) one = wall;
    std::printf("   %d channel(s): %6.1f requests/s, %5.2f ms per request, speed-up over one %.2fx\n", k, 48 / wall,
                wall / 48 * 1e3 * k, one / wall);
  }
  std::printf("\n   channels served in real time on one core (audio seconds per CPU second)\n");
  const char* const texts[] = {kKoreanPrompt, kEnglishPrompt, "今天天气很好。我们去公园吧。", "今日は良い天気ですね。"};
  const char* const names[] = {"Korean", "English", "Chinese", "Japanese"};
  for (int32_t language = 0; language < 4; ++language) {
    std::printf("   %-9s", names[language]);
    for (auto [speaker, rate] : {std::pair{0, 16000}, {1, 8000}}) {
      ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, Count, language, speaker);
      ORVN_SetCharSet(channel, 1);
      g_samples = 0;
      const double cpu = ThreadCpu();
      for (int i = 0; i < 20; ++i) ORVN_TextToSpeech(channel, texts[language], 1);
      const double used = ThreadCpu() - cpu;
      ORVN_DeleteThread(channel);
      std::printf("   %5d Hz: %6.1f channels", rate, static_cast<double>(g_samples) / rate / used);
    }
    std::printf("\n");
  }
}

}  // namespace

int main() {
  ORVN_Initialize();
  for (int32_t language = 0; language < 4; ++language) {
    if (ORVN_LoadEngine(language, ORVEN_BENCH_VOICES_DIR, 0) != 0) {
      std::fprintf(stderr, "the voices in %s did not load\n", ORVEN_BENCH_VOICES_DIR);
      return 1;
    }
  }
  ORVN_SetCharSet(nullptr, 1);
  PerRequest();
  FirstChunkLatency();
  Serialisation();
  Overhead();  // last: it points libespeak-ng's callback at its own counter
  return 0;
}
