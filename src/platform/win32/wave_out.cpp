// The wave-out service on Windows: the system's own, or the null device.
#include "platform/wave_out.h"

// windows.h comes first: mmsystem.h uses its types.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <atomic>
#include <cstddef>
#include <cstring>

#include "platform/wave_stream.h"

namespace orven::platform {
namespace {

static_assert(sizeof(WaveHeader) == sizeof(WAVEHDR), "our header is the system's");
static_assert(offsetof(WaveHeader, data) == offsetof(WAVEHDR, lpData));
static_assert(offsetof(WaveHeader, bufferLength) == offsetof(WAVEHDR, dwBufferLength));
static_assert(offsetof(WaveHeader, user) == offsetof(WAVEHDR, dwUser));
static_assert(offsetof(WaveHeader, flags) == offsetof(WAVEHDR, dwFlags));
static_assert(offsetof(WaveHeader, next) == offsetof(WAVEHDR, lpNext));
static_assert(offsetof(WaveHeader, reserved) == offsetof(WAVEHDR, reserved));
static_assert(kWaveOutDone == WOM_DONE && kWaveOutOpened == WOM_OPEN && kWaveOutClosed == WOM_CLOSE);
static_assert(kWaveStillPlaying == WAVERR_STILLPLAYING && kCallbackFunction == CALLBACK_FUNCTION);

// One system device is open at a time; its notices go through the system's
// calling convention to the callback given at open.
std::atomic<WaveOutCallback> g_callback{nullptr};
std::atomic<uintptr_t> g_instance{0};

void CALLBACK Forward(HWAVEOUT device, UINT message, DWORD_PTR, DWORD_PTR first, DWORD_PTR second) {
  WaveOutCallback callback = g_callback.load();
  if (callback != nullptr) callback(device, message, g_instance.load(), first, second);
}

HWAVEOUT System(WaveOutHandle device) { return static_cast<HWAVEOUT>(device); }
LPWAVEHDR SystemHeader(WaveHeader* header) { return reinterpret_cast<LPWAVEHDR>(header); }

uint32_t Open(WaveOutHandle* device, uint32_t deviceId, const WaveFormat* format, WaveOutCallback callback,
              uintptr_t instance, uint32_t flags) {
  if (device == nullptr || format == nullptr) return kMmInvalidParameter;
  char name[kAudioDeviceNameMax + 1];
  AudioDeviceName(name, sizeof name);
  if (std::strcmp(name, "null") == 0) {
    if (uint32_t bad = CheckPcmFormat(format)) return bad;
    AudioSink* sink = NewNullSink(*format);
    if (sink == nullptr) return kMmNoMemory;
    return OpenStreamDevice(device, sink, format, callback, instance);
  }
  WAVEFORMATEX system = {};
  system.wFormatTag = format->formatTag;
  system.nChannels = format->channels;
  system.nSamplesPerSec = format->samplesPerSecond;
  system.nAvgBytesPerSec = format->averageBytesPerSecond;
  system.nBlockAlign = format->blockAlign;
  system.wBitsPerSample = format->bitsPerSample;
  system.cbSize = format->extraSize;
  g_callback.store(callback);
  g_instance.store(instance);
  HWAVEOUT opened = nullptr;
  const MMRESULT result = waveOutOpen(&opened, deviceId, &system, reinterpret_cast<DWORD_PTR>(Forward), 0, flags);
  if (result == MMSYSERR_NOERROR) *device = opened;
  return result;
}

uint32_t Prepare(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  if (IsStreamDevice(device)) return StreamPrepare(device, header, size);
  return waveOutPrepareHeader(System(device), SystemHeader(header), size);
}
uint32_t Unprepare(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  if (IsStreamDevice(device)) return StreamUnprepare(device, header, size);
  return waveOutUnprepareHeader(System(device), SystemHeader(header), size);
}
uint32_t Write(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  if (IsStreamDevice(device)) return StreamWrite(device, header, size);
  return waveOutWrite(System(device), SystemHeader(header), size);
}
uint32_t Pause(WaveOutHandle device) {
  return IsStreamDevice(device) ? StreamPause(device) : waveOutPause(System(device));
}
uint32_t Restart(WaveOutHandle device) {
  return IsStreamDevice(device) ? StreamRestart(device) : waveOutRestart(System(device));
}
uint32_t Reset(WaveOutHandle device) {
  return IsStreamDevice(device) ? StreamReset(device) : waveOutReset(System(device));
}
uint32_t Close(WaveOutHandle device) {
  return IsStreamDevice(device) ? StreamClose(device) : waveOutClose(System(device));
}

const WaveOutService kService = {Open, Prepare, Unprepare, Write, Pause, Restart, Reset, Close};

}  // namespace

const WaveOutService& SystemWaveOut() { return kService; }

}  // namespace orven::platform
