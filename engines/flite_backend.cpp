// flite_backend.cpp - English speech through libflite and its linked-in voices.
//
// Each voice is registered once per process and then shared: a synthesis
// builds its own utterance, and the speed and pitch go into that
// utterance's features, so the voice itself is only ever read (the engine
// tests run many threads on one voice and on one voice each to hold flite
// to that). slt, rms and awb draw noise from rand(); we never seed it.
//
// The audio streams: flite hands over each stretch of a few hundred samples
// as soon as its vocoder has made it, so the first chunk of a long sentence
// leaves after its analysis rather than after its whole waveform, and a
// stop ends the synthesis at the next stretch instead of after it.
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

// Writes `count` samples scaled by gain/100, saturating; the samples go through untouched at 100.
bool WriteScaled(const int16_t* samples, std::size_t count, int32_t gain, PcmSink& sink) noexcept {
  if (gain == 100) return sink.Write(samples, count);
  int16_t block[512];
  while (count > 0) {
    const std::size_t n = std::min(count, std::size(block));
    for (std::size_t i = 0; i < n; ++i) {
      block[i] = static_cast<int16_t>(std::clamp(int32_t{samples[i]} * gain / 100, -32768, 32767));
    }
    if (!sink.Write(block, n)) return false;
    samples += n;
    count -= n;
  }
  return true;
}

// One synthesis's stream: where its samples go and how far they have gone.
struct Stream {
  PcmSink* sink;
  int32_t gain;
  int32_t rate;  // the only rate the voice may produce
  std::size_t delivered = 0;
  bool stopped = false;
  bool failed = false;
};

// flite's streaming callback: `size` new samples of `wave` from `start` on.
int OnStretch(const cst_wave* wave, int start, int size, int /*last*/, cst_audio_streaming_info* info) {
  auto* stream = static_cast<Stream*>(info->userdata);
  if (stream->stopped || stream->failed) return CST_AUDIO_STREAM_STOP;
  if (wave->sample_rate != stream->rate) {
    stream->failed = true;
    return CST_AUDIO_STREAM_STOP;
  }
  if (size > 0 && !WriteScaled(wave->samples + start, static_cast<std::size_t>(size), stream->gain, *stream->sink)) {
    stream->stopped = true;
    return CST_AUDIO_STREAM_STOP;
  }
  const std::size_t end = static_cast<std::size_t>(start) + static_cast<std::size_t>(std::max(size, 0));
  stream->delivered = std::max(stream->delivered, end);
  return CST_AUDIO_STREAM_CONT;
}

// Samples per streaming call: about 16 ms at 16 kHz, small beside any chunk.
constexpr int kStretchSamples = 256;

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
      feat_set_float(
          utterance->features, "f0_shift",
          flite_get_param_float(voice_->features, "f0_shift", 1.0f) * static_cast<float>(prosody.pitch) / 100.0f);
      Stream stream{&sink, std::clamp(prosody.volume, 0, 200), rate_};
      // The utterance's features own the streaming record and free it with the utterance.
      cst_audio_streaming_info* info = new_audio_streaming_info();
      info->min_buffsize = kStretchSamples;
      info->asc = OnStretch;
      info->userdata = &stream;
      feat_set(utterance->features, "streaming_info", audio_streaming_info_val(info));
      flite_do_synth(utterance, voice_, utt_synth);
      const cst_wave* wave = utt_wave(utterance);
      SpeakStatus status = SpeakStatus::kDone;
      if (stream.stopped) {
        status = SpeakStatus::kStopped;
      } else if (stream.failed || wave == nullptr || wave->sample_rate != rate_) {
        status = SpeakStatus::kFailed;
      } else if (stream.delivered < static_cast<std::size_t>(std::max(wave->num_samples, 0)) &&
                 !WriteScaled(wave->samples + stream.delivered,
                              static_cast<std::size_t>(wave->num_samples) - stream.delivered, stream.gain, sink)) {
        // Whatever the voice did not stream (a voice without streaming streams nothing) goes out now.
        status = SpeakStatus::kStopped;
      }
      delete_utterance(utterance);
      return status;
    } catch (...) {
      return SpeakStatus::kFailed;
    }
  }

 private:
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
