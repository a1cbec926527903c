// flite_backend.cpp - English speech through libflite and its linked-in voices.
//
// Each voice is registered once per process and then shared: a synthesis
// builds its own utterance, and the speed and pitch go into that
// utterance's features, so the voice itself is only ever read (the engine
// tests run many threads on one voice and on one voice each to hold flite
// to that). slt, rms and awb draw noise from rand(); we never seed it.
#include <flite/flite.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "backends.h"

extern "C" {
cst_voice* register_cmu_us_slt(const char* voxdir);
cst_voice* register_cmu_us_rms(const char* voxdir);
cst_voice* register_cmu_us_awb(const char* voxdir);
cst_voice* register_cmu_us_kal16(const char* voxdir);
cst_voice* register_cmu_us_kal(const char* voxdir);
}

namespace syn {
namespace {

using Register = cst_voice* (*)(const char*);
constexpr Register kRegister[std::size(kFliteVoices)] = {register_cmu_us_slt, register_cmu_us_rms, register_cmu_us_awb,
                                                         register_cmu_us_kal16, register_cmu_us_kal};

// The voice of kFliteVoices[index], registered on first use; never released.
cst_voice* VoiceAt(std::size_t index) {
  static std::once_flag initOnce;
  static std::once_flag voiceOnce[std::size(kFliteVoices)];
  static cst_voice* voices[std::size(kFliteVoices)] = {};
  std::call_once(initOnce, [] { flite_init(); });
  std::call_once(voiceOnce[index], [index] { voices[index] = kRegister[index](nullptr); });
  return voices[index];
}

class FliteBackend final : public SpeechBackend {
 public:
  FliteBackend(cst_voice* voice, int32_t rate) : voice_(voice), rate_(rate) {}
  int32_t NativeRate() const noexcept override { return rate_; }

  SpeakStatus Speak(std::u32string_view text, const Attributes& prosody, PcmSink& sink) const noexcept override {
    try {
      // flite reads ASCII only; anything else would be dropped or misread.
      std::string ascii;
      ascii.reserve(text.size());
      for (char32_t c : text) ascii += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ';
      if (ascii.find_first_not_of(' ') == std::string::npos) return SpeakStatus::kDone;
      cst_utterance* utterance = new_utterance();
      utt_set_input_text(utterance, ascii.c_str());
      utt_init(utterance, voice_);
      // Scaled from the voice's own settings (kal16 speaks 10 % slower than its units, for one).
      feat_set_float(utterance->features, "duration_stretch",
                     flite_get_param_float(voice_->features, "duration_stretch", 1.0f) * 100.0f /
                         static_cast<float>(std::max(prosody.speed, 1)));
      feat_set_float(utterance->features, "f0_shift", flite_get_param_float(voice_->features, "f0_shift", 1.0f) *
                                                          static_cast<float>(prosody.pitch) / 100.0f);
      flite_do_synth(utterance, voice_, utt_synth);
      const cst_wave* wave = utt_wave(utterance);
      const SpeakStatus status = wave == nullptr || wave->sample_rate != rate_ ? SpeakStatus::kFailed
                                                                                : Deliver(*wave, prosody.volume, sink);
      delete_utterance(utterance);
      return status;
    } catch (...) {
      return SpeakStatus::kFailed;
    }
  }

 private:
  // Writes the wave scaled by volume/100, saturating.
  static SpeakStatus Deliver(const cst_wave& wave, int32_t volume, PcmSink& sink) noexcept {
    int16_t block[1024];
    const int32_t gain = std::clamp(volume, 0, 200);
    for (int done = 0; done < wave.num_samples;) {
      const int n = std::min<int>(wave.num_samples - done, static_cast<int>(std::size(block)));
      for (int i = 0; i < n; ++i) {
        block[i] = static_cast<int16_t>(std::clamp(int32_t{wave.samples[done + i]} * gain / 100, -32768, 32767));
      }
      if (!sink.Write(block, static_cast<std::size_t>(n))) return SpeakStatus::kStopped;
      done += n;
    }
    return SpeakStatus::kDone;
  }

  cst_voice* const voice_;
  const int32_t rate_;
};

}  // namespace

BackendError MakeFliteBackend(const char* voice, std::shared_ptr<const SpeechBackend>& out) {
  for (std::size_t i = 0; i < std::size(kFliteVoices); ++i) {
    if (std::string_view(voice) != kFliteVoices[i].name) continue;
    cst_voice* v = VoiceAt(i);
    if (v == nullptr) return BackendError::kUnavailable;
    out = std::make_shared<FliteBackend>(v, kFliteVoices[i].rate);
    return BackendError::kNone;
  }
  return BackendError::kUnknownVoice;
}

}  // namespace syn
