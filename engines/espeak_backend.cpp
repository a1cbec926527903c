// espeak_backend.cpp - speech through libespeak-ng.
//
// libespeak-ng keeps one synthesiser per process in global state and is not
// thread-safe: every call into it runs in a turn (voice_turns.h), taken here
// and nowhere else, and never while the engine core holds a lock. It runs
// synchronously: Synthesize calls our callback with at most about 50 ms of
// audio at a time, and returning 1 from it ends the synthesis, which is how
// a stop reaches it.
//
// Switching the synthesiser to another language's voice reloads that
// language's dictionary (about 0.4 ms for Mandarin's 1.6 MB, against 1 to 2
// ms for the synthesis of a sentence), so the turns go to the pieces that
// want the voice it already holds first, within a bound.
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "backends.h"
#include "japanese_reading.h"
#include "text_decoding.h"  // AppendUtf8
#include "voice_turns.h"

namespace syn {
namespace {

constexpr int kDefaultWordsPerMinute = 175;  // espeakRATE at speed 100
constexpr int kDefaultPitch = 50;            // espeakPITCH at pitch 100, of 0..100

struct Synthesiser {
  VoiceTurns turns;
  // Read and written only by the holder of a turn.
  bool tried = false;
  bool ready = false;
  int rate = 0;
  std::string dataPath;
  std::string currentVoice;
};

// A turn held for the length of a scope.
class Turn {
 public:
  Turn(Synthesiser& s, const std::string& voice) : s_(s) { s_.turns.Enter(voice); }
  ~Turn() { s_.turns.Leave(s_.currentVoice); }
  Turn(const Turn&) = delete;
  Turn& operator=(const Turn&) = delete;

 private:
  Synthesiser& s_;
};

// Never destroyed: a request may run while the process exits.
Synthesiser& TheSynthesiser() {
  static Synthesiser* const kSynthesiser = new Synthesiser;
  return *kSynthesiser;
}

struct Request {
  PcmSink* sink;
  bool stopped;
};

int OnAudio(short* samples, int count, espeak_EVENT* events) {
  auto* request = events != nullptr ? static_cast<Request*>(events->user_data) : nullptr;
  if (request == nullptr || samples == nullptr || count <= 0) return 0;
  if (!request->sink->Write(samples, static_cast<std::size_t>(count))) {
    request->stopped = true;
    return 1;
  }
  return 0;
}

// Starts the synthesiser once; call in a turn.
bool EnsureReady(Synthesiser& s) {
  if (s.tried) return s.ready;
  s.tried = true;
  espeak_ng_InitializePath(nullptr);
  if (espeak_ng_Initialize(nullptr) != ENS_OK) return false;
  if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK) return false;
  espeak_SetSynthCallback(OnAudio);
  const char* path = nullptr;
  espeak_Info(&path);
  s.dataPath = path != nullptr ? path : "";
  s.rate = espeak_ng_GetSampleRate();
  s.ready = s.rate > 0;
  return s.ready;
}

// libespeak-ng accepts any variant name and falls back silently, so a variant
// must be one of the files it ships.
bool VariantExists(const Synthesiser& s, const std::string& voice) {
  const std::size_t plus = voice.find('+');
  if (plus == std::string::npos) return true;
  const std::string path = s.dataPath + "/voices/!v/" + voice.substr(plus + 1);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

class EspeakBackend final : public SpeechBackend {
 public:
  EspeakBackend(std::string voice, int rate, bool kana) : voice_(std::move(voice)), rate_(rate), kana_(kana) {}
  int32_t NativeRate() const noexcept override { return rate_; }
  bool Serialised() const noexcept override { return true; }

  SpeakStatus Speak(std::u32string_view text, const Attributes& prosody, PcmSink& sink) const noexcept override {
    try {
      // Everything but the synthesis itself happens before the lock.
      std::string utf8;
      if (kana_) {
        if (!KatakanaReading(text, utf8)) return SpeakStatus::kFailed;
      } else {
        AppendUtf8(text, utf8);
      }
      if (utf8.find_first_not_of(" \t\r\n") == std::string::npos) return SpeakStatus::kDone;
      Synthesiser& s = TheSynthesiser();
      const Turn turn(s, voice_);
      if (s.currentVoice != voice_) {
        s.currentVoice = espeak_ng_SetVoiceByName(voice_.c_str()) == ENS_OK ? voice_ : std::string();
        if (s.currentVoice.empty()) return SpeakStatus::kFailed;
      }
      espeak_ng_SetParameter(espeakRATE, std::clamp(kDefaultWordsPerMinute * prosody.speed / 100, 80, 450), 0);
      espeak_ng_SetParameter(espeakPITCH, std::clamp(kDefaultPitch * prosody.pitch / 100, 0, 100), 0);
      espeak_ng_SetParameter(espeakVOLUME, std::clamp(prosody.volume, 0, 200), 0);
      Request request{&sink, false};
      const espeak_ng_STATUS status = espeak_ng_Synthesize(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0,
                                                           espeakCHARS_UTF8 | espeakENDPAUSE, nullptr, &request);
      if (request.stopped) return SpeakStatus::kStopped;
      return status == ENS_OK ? SpeakStatus::kDone : SpeakStatus::kFailed;
    } catch (...) {
      return SpeakStatus::kFailed;
    }
  }

 private:
  const std::string voice_;
  const int32_t rate_;
  const bool kana_;
};

}  // namespace

BackendError MakeEspeakBackend(const char* voice, bool kanaReadings, std::shared_ptr<const SpeechBackend>& out) {
  if (kanaReadings && !JapaneseReaderReady()) return BackendError::kUnavailable;
  Synthesiser& s = TheSynthesiser();
  const std::string name = voice;
  int rate = 0;
  {
    const Turn turn(s, name);
    if (!EnsureReady(s)) return BackendError::kUnavailable;
    if (!VariantExists(s, name)) return BackendError::kUnknownVoice;
    if (espeak_ng_SetVoiceByName(voice) != ENS_OK) {
      s.currentVoice.clear();  // whatever it holds now, it is not what we think
      return BackendError::kUnknownVoice;
    }
    s.currentVoice = name;
    rate = s.rate;
  }
  out = std::make_shared<EspeakBackend>(name, rate, kanaReadings);
  return BackendError::kNone;
}

}  // namespace syn
