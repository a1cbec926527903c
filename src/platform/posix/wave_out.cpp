// The wave-out service on POSIX: our own devices over ALSA, or the null
// device.
#include "platform/wave_out.h"

#include <cstring>

#include "platform/posix/alsa_sink.h"
#include "platform/wave_stream.h"

namespace orven::platform {
namespace {

uint32_t Open(WaveOutHandle* device, uint32_t, const WaveFormat* format, WaveOutCallback callback, uintptr_t instance,
              uint32_t) {
  if (device == nullptr) return kMmInvalidParameter;
  if (uint32_t bad = CheckPcmFormat(format)) return bad;
  char name[kAudioDeviceNameMax + 1];
  AudioDeviceName(name, sizeof name);
  AudioSink* sink = nullptr;
  if (std::strcmp(name, "null") == 0) {
    sink = NewNullSink(*format);
    if (sink == nullptr) return kMmNoMemory;
  } else if (uint32_t result = OpenAlsaSink(name, *format, &sink)) {
    return result;
  }
  return OpenStreamDevice(device, sink, format, callback, instance);
}

const WaveOutService kService = {Open,        StreamPrepare, StreamUnprepare, StreamWrite,
                                 StreamPause, StreamRestart, StreamReset,     StreamClose};

}  // namespace

const WaveOutService& SystemWaveOut() { return kService; }

}  // namespace orven::platform
