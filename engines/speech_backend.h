// speech_backend.h - what the engine core asks of a synthesiser.
//
// The core owns everything around synthesis: the user dictionary, decoding,
// the inline tags, cutting the text into pieces, resampling to the voice's
// rate, chunking, the stop flag and the channel's callback. A backend only
// turns one piece of text (a sentence or less) with one prosody into PCM at
// its own native rate and hands it to a sink, which may say "stop".
//
// Backends are shared by every channel on their voice and may be called
// from many threads at once: Speak is const and thread-safe (a backend that
// wraps a single-threaded synthesiser serialises inside itself). Speak is
// never called while the core holds a lock. A backend that holds a lock of
// its own while it writes says so (Serialised): the core then collects each
// piece and delivers it after Speak returns, so that no channel callback
// runs under that lock. Any other backend's sink passes the audio on to the
// channel as it comes, which is what lets the first chunk leave before a
// long piece is finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text_rules.h"        // Attributes: volume, speed, pitch in percent
#include "voice_descriptor.h"  // VoiceDescriptor

namespace syn {

// Takes a backend's native-rate PCM.
class PcmSink {
 public:
  // False when the request must stop: the backend then returns as soon as it can.
  virtual bool Write(const int16_t* samples, std::size_t count) noexcept = 0;

 protected:
  ~PcmSink() = default;
};

enum class SpeakStatus { kDone, kStopped, kFailed };

class SpeechBackend {
 public:
  virtual ~SpeechBackend() = default;
  // The rate of the samples Speak writes, in Hz.
  virtual int32_t NativeRate() const noexcept = 0;
  // Speaks `text` (decoded characters) with `prosody`, writing to `sink`.
  virtual SpeakStatus Speak(std::u32string_view text, const Attributes& prosody, PcmSink& sink) const noexcept = 0;
  // True when Speak writes to the sink while it holds a lock that other channels wait for.
  virtual bool Serialised() const noexcept { return false; }
};

enum class BackendError { kNone, kUnavailable, kUnknownVoice, kFailed };

// Opens the backend that `voice` names, for a language engine (0 Korean, 1
// English, 2 Chinese, 3 Japanese: Japanese text reaches espeak-ng as
// katakana readings). An unknown synthesiser voice, or a backend this build
// lacks, is an error here, at load, and never at speak.
BackendError OpenBackend(const VoiceDescriptor& voice, int language,
                         std::shared_ptr<const SpeechBackend>& out) noexcept;

// What a backend reports about itself in the engine information.
const char* BackendVersionText() noexcept;

}  // namespace syn
