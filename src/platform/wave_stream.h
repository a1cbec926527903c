// A wave-out device of our own: the wave-out contract over an audio sink
// that a service thread feeds. It backs the "null" device on every platform
// and the sound system's devices where there is no system wave-out service.
#pragma once

#include <cstdint>

#include "platform/wave_out.h"

namespace orven::platform {

// Where the audio goes. Every call comes from the device's service thread,
// except that the sink is made before and deleted after it runs.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Takes up to `frames` frames, returns how many it took (0 when it has no
  // room now), or a negative value when it cannot take any more at all.
  virtual long Write(const char* data, long frames) = 0;
  // Waits at most `milliseconds` for room.
  virtual void WaitForRoom(int32_t milliseconds) = 0;
  virtual void SetPaused(bool paused) = 0;
  // Drops whatever it holds that has not been heard yet.
  virtual void Discard() = 0;
  // Lets whatever it holds play out (bounded in time), before it is deleted.
  virtual void Finish() = 0;
};

// kWaveBadFormat unless the format is 8- or 16-bit PCM, mono or stereo, at a
// rate of 1 to 384000 Hz, with a consistent block size and byte rate.
uint32_t CheckPcmFormat(const WaveFormat* format);

// A sink that consumes audio in real time, as a sound card would, and
// discards it.
AudioSink* NewNullSink(const WaveFormat& format);

// Opens a device on `sink` (deleted at close, or here on failure). The open
// and close notices reach the callback on the calling thread, the
// completion notices on the device's service thread, one per buffer in the
// order the buffers were written. A buffer counts as finished once the sink
// has taken all of it.
uint32_t OpenStreamDevice(WaveOutHandle* device, AudioSink* sink, const WaveFormat* format, WaveOutCallback callback,
                          uintptr_t instance);

// Whether `device` is an open device of this kind.
bool IsStreamDevice(WaveOutHandle device);

// The wave-out calls on these devices; an unknown or closed handle gives
// kMmInvalidHandle.
uint32_t StreamPrepare(WaveOutHandle device, WaveHeader* header, uint32_t size);
uint32_t StreamUnprepare(WaveOutHandle device, WaveHeader* header, uint32_t size);
uint32_t StreamWrite(WaveOutHandle device, WaveHeader* header, uint32_t size);
uint32_t StreamPause(WaveOutHandle device);
uint32_t StreamRestart(WaveOutHandle device);
// Every queued buffer is returned as finished, in order, before this
// returns; the device is no longer paused.
uint32_t StreamReset(WaveOutHandle device);
// kWaveStillPlaying while buffers are queued.
uint32_t StreamClose(WaveOutHandle device);

}  // namespace orven::platform
