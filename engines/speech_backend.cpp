// speech_backend.cpp - choosing a backend for a voice, and the tone backend.
#include <algorithm>
#include <new>

#include "backends.h"
#include "tone.h"

namespace syn {
namespace {

class ToneBackend final : public SpeechBackend {
 public:
  explicit ToneBackend(int32_t rate) : rate_(rate) {}
  int32_t NativeRate() const noexcept override { return rate_; }

  SpeakStatus Speak(std::u32string_view text, const Attributes& prosody, PcmSink& sink) const noexcept override {
    ToneGenerator tone(text, {rate_, prosody.volume, prosody.speed, prosody.pitch});
    int16_t block[1024];
    for (std::size_t n; (n = tone.Generate(block, std::size(block))) > 0;) {
      if (!sink.Write(block, n)) return SpeakStatus::kStopped;
    }
    return SpeakStatus::kDone;
  }

 private:
  const int32_t rate_;
};

}  // namespace

std::shared_ptr<const SpeechBackend> MakeToneBackend(int32_t rate) { return std::make_shared<ToneBackend>(rate); }

BackendError OpenBackend(const VoiceDescriptor& voice, int language,
                         std::shared_ptr<const SpeechBackend>& out) noexcept {
  try {
    switch (voice.kind) {
      case Backend::kTone:
        out = MakeToneBackend(voice.rate);
        return BackendError::kNone;
#if ORVEN_HAVE_SPEECH
      case Backend::kEspeak:
        return MakeEspeakBackend(voice.voice, language == 3, out);
      case Backend::kFlite:
        return MakeFliteBackend(voice.voice, out);
#endif
      default:
        (void)language;
        return BackendError::kUnavailable;
    }
  } catch (const std::bad_alloc&) {
    return BackendError::kFailed;
  }
}

const char* BackendVersionText() noexcept {
#if ORVEN_HAVE_SPEECH
  return "2.0 espeak flite";
#else
  return "2.0 tone";
#endif
}

}  // namespace syn
