// ALSA is reached through dlopen so that the library itself has no link-time
// dependency on it and still loads on a machine without it; only its header
// is needed to build.
#include "platform/posix/alsa_sink.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "platform/threads.h"

namespace orven::platform {
namespace {

// How much audio ALSA may hold ahead of the ear: a buffer counts as
// finished once ALSA has taken it, so this is also how early that is.
constexpr unsigned kLatencyMicroseconds = 100000;
// A device that does not play out its last audio within this much longer
// than its latency is cut off at close.
constexpr int32_t kFinishGraceMs = 1000;

// clang-format off
#define ORVN_ALSA_FUNCTIONS(X) \
  X(snd_pcm_open) \
  X(snd_pcm_close) \
  X(snd_pcm_set_params) \
  X(snd_pcm_get_params) \
  X(snd_pcm_writei) \
  X(snd_pcm_recover) \
  X(snd_pcm_wait) \
  X(snd_pcm_pause) \
  X(snd_pcm_drop) \
  X(snd_pcm_prepare) \
  X(snd_pcm_delay) \
  X(snd_pcm_state) \
  X(snd_pcm_start) \
  X(snd_pcm_sw_params_malloc) \
  X(snd_pcm_sw_params_free) \
  X(snd_pcm_sw_params_current) \
  X(snd_pcm_sw_params_set_start_threshold) \
  X(snd_pcm_sw_params) \
  X(snd_pcm_hw_params_malloc) \
  X(snd_pcm_hw_params_free) \
  X(snd_pcm_hw_params_current) \
  X(snd_pcm_hw_params_can_pause)
// clang-format on

struct Alsa {
#define ORVN_ALSA_MEMBER_(name) decltype(&::name) name = nullptr;
  ORVN_ALSA_FUNCTIONS(ORVN_ALSA_MEMBER_)
#undef ORVN_ALSA_MEMBER_
  bool loaded = false;
};

// Loaded once and kept for the life of the process.
const Alsa& LoadAlsa() {
  static const Alsa kAlsa = [] {
    Alsa a;
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return a;
    bool complete = true;
#define ORVN_ALSA_RESOLVE_(name)                                       \
  a.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
  complete = complete && a.name != nullptr;
    ORVN_ALSA_FUNCTIONS(ORVN_ALSA_RESOLVE_)
#undef ORVN_ALSA_RESOLVE_
    a.loaded = complete;
    return a;
  }();
  return kAlsa;
}

class AlsaSink final : public AudioSink {
 public:
  AlsaSink(const Alsa& alsa, snd_pcm_t* pcm, uint32_t rate, bool canPause)
      : alsa_(alsa), pcm_(pcm), rate_(rate), canPause_(canPause) {}
  ~AlsaSink() override { alsa_.snd_pcm_close(pcm_); }

  long Write(const char* data, long frames) override {
    const snd_pcm_sframes_t written = alsa_.snd_pcm_writei(pcm_, data, static_cast<snd_pcm_uframes_t>(frames));
    if (written >= 0) return static_cast<long>(written);
    if (written == -EAGAIN) return 0;
    // An underrun (the writer was slower than the card) or a suspend: start
    // again; anything that cannot be recovered ends this sink's playing.
    return alsa_.snd_pcm_recover(pcm_, static_cast<int>(written), 1) == 0 ? 0 : -1;
  }
  void WaitForRoom(int32_t milliseconds) override {
    const int result = alsa_.snd_pcm_wait(pcm_, milliseconds);
    if (result < 0) alsa_.snd_pcm_recover(pcm_, result, 1);
  }
  void SetPaused(bool paused) override {
    if (paused) {
      // Without pausing support (or before the stream has started) the sink
      // is simply not fed: what ALSA holds plays out and the stream underruns.
      hardwarePaused_ =
          canPause_ && alsa_.snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING && alsa_.snd_pcm_pause(pcm_, 1) == 0;
    } else if (hardwarePaused_) {
      hardwarePaused_ = false;
      if (alsa_.snd_pcm_pause(pcm_, 0) != 0) alsa_.snd_pcm_prepare(pcm_);
    }
  }
  void Discard() override {
    hardwarePaused_ = false;
    alsa_.snd_pcm_drop(pcm_);
    alsa_.snd_pcm_prepare(pcm_);
  }
  void Finish() override {
    if (alsa_.snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) alsa_.snd_pcm_start(pcm_);
    const int32_t limit = static_cast<int32_t>(kLatencyMicroseconds / 1000) + kFinishGraceMs;
    for (int32_t waited = 0; waited < limit; waited += 10) {
      snd_pcm_sframes_t pending = 0;
      if (alsa_.snd_pcm_state(pcm_) != SND_PCM_STATE_RUNNING || alsa_.snd_pcm_delay(pcm_, &pending) != 0 ||
          pending <= 0)
        break;
      SleepMilliseconds(static_cast<int32_t>(std::min<int64_t>(10, pending * 1000 / rate_ + 1)));
    }
    alsa_.snd_pcm_drop(pcm_);
  }

 private:
  const Alsa& alsa_;
  snd_pcm_t* const pcm_;
  const uint32_t rate_;
  const bool canPause_;
  bool hardwarePaused_ = false;
};

uint32_t OpenResult(int error) {
  switch (-error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return kMmBadDeviceId;
    case EBUSY:
    case EAGAIN:
      return kMmAllocated;
    case ENOMEM:
      return kMmNoMemory;
    default:
      return kMmError;
  }
}

// Playback starts as soon as one period is queued rather than when the
// buffer is full, so a short text is heard without waiting for more.
void StartEarly(const Alsa& alsa, snd_pcm_t* pcm) {
  snd_pcm_uframes_t buffer = 0, period = 0;
  snd_pcm_sw_params_t* sw = nullptr;
  if (alsa.snd_pcm_get_params(pcm, &buffer, &period) != 0 || alsa.snd_pcm_sw_params_malloc(&sw) != 0) return;
  if (alsa.snd_pcm_sw_params_current(pcm, sw) == 0 &&
      alsa.snd_pcm_sw_params_set_start_threshold(pcm, sw, std::max<snd_pcm_uframes_t>(1, period)) == 0)
    alsa.snd_pcm_sw_params(pcm, sw);
  alsa.snd_pcm_sw_params_free(sw);
}

bool CanPause(const Alsa& alsa, snd_pcm_t* pcm) {
  snd_pcm_hw_params_t* hw = nullptr;
  if (alsa.snd_pcm_hw_params_malloc(&hw) != 0) return false;
  const bool can = alsa.snd_pcm_hw_params_current(pcm, hw) == 0 && alsa.snd_pcm_hw_params_can_pause(hw) == 1;
  alsa.snd_pcm_hw_params_free(hw);
  return can;
}

}  // namespace

uint32_t OpenAlsaSink(const char* name, const WaveFormat& format, AudioSink** sink) {
  const Alsa& alsa = LoadAlsa();
  if (!alsa.loaded) return kMmNoDriver;
  snd_pcm_t* pcm = nullptr;
  // Non-blocking: the service thread never sleeps inside ALSA longer than it
  // chooses to, so pause, reset and close are served promptly.
  int result = alsa.snd_pcm_open(&pcm, name, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (result < 0) return OpenResult(result);
  const snd_pcm_format_t sampleFormat = format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  result = alsa.snd_pcm_set_params(pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                                   format.samplesPerSecond, 1, kLatencyMicroseconds);
  if (result < 0) {
    alsa.snd_pcm_close(pcm);
    return kWaveBadFormat;
  }
  StartEarly(alsa, pcm);
  *sink = new (std::nothrow) AlsaSink(alsa, pcm, format.samplesPerSecond, CanPause(alsa, pcm));
  if (*sink == nullptr) {
    alsa.snd_pcm_close(pcm);
    return kMmNoMemory;
  }
  return kMmNoError;
}

}  // namespace orven::platform
