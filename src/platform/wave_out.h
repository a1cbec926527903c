// The wave-out service: the classic multimedia contract for playing PCM
// buffers on an output device. On Windows it is the system's own; elsewhere
// (and for the "null" device everywhere) a stand-in with the same contract:
// open for a PCM format, prepare and unprepare buffer headers, queue them,
// pause, restart, reset, close, one completion notice per finished buffer
// on a service thread, and the classic result codes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::platform {

using WaveOutHandle = void*;

// Result codes, with the classic numbering.
enum : uint32_t {
  kMmNoError = 0,
  kMmError = 1,
  kMmBadDeviceId = 2,
  kMmAllocated = 4,
  kMmInvalidHandle = 5,
  kMmNoDriver = 6,
  kMmNoMemory = 7,
  kMmNotSupported = 8,
  kMmInvalidParameter = 11,
  kWaveBadFormat = 32,
  kWaveStillPlaying = 33,
  kWaveUnprepared = 34,
};

// Notices to the callback.
enum : uint32_t { kWaveOutOpened = 0x3BB, kWaveOutClosed = 0x3BC, kWaveOutDone = 0x3BD };

// Header flags.
enum : uint32_t { kHeaderDone = 0x01, kHeaderPrepared = 0x02, kHeaderInQueue = 0x10 };

inline constexpr uint32_t kWaveMapper = 0xFFFFFFFFu;  // the system's choice of device
inline constexpr uint32_t kCallbackFunction = 0x30000;
inline constexpr uint16_t kFormatPcm = 1;

// Laid out field for field like the system's buffer header, so that the
// Windows service hands it to the system as it is.
struct WaveHeader {
  char* data;
  uint32_t bufferLength;
  uint32_t bytesRecorded;
  uintptr_t user;
  uint32_t flags;
  uint32_t loops;
  WaveHeader* next;  // the service's own link while the header is queued
  uintptr_t reserved;
};

struct WaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSecond;
  uint32_t averageBytesPerSecond;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;
};

// Called on the service's thread (and during open and close) with the
// device, the notice, the instance value given to open and, for a finished
// buffer, its header as the first parameter.
using WaveOutCallback = void (*)(WaveOutHandle device, uint32_t message, uintptr_t instance, uintptr_t first,
                                 uintptr_t second);

// The calls the device layer makes; every header call takes the header size.
struct WaveOutService {
  uint32_t (*open)(WaveOutHandle* device, uint32_t deviceId, const WaveFormat* format, WaveOutCallback callback,
                   uintptr_t instance, uint32_t flags);
  uint32_t (*prepare)(WaveOutHandle device, WaveHeader* header, uint32_t size);
  uint32_t (*unprepare)(WaveOutHandle device, WaveHeader* header, uint32_t size);
  uint32_t (*write)(WaveOutHandle device, WaveHeader* header, uint32_t size);
  uint32_t (*pause)(WaveOutHandle device);
  uint32_t (*restart)(WaveOutHandle device);
  uint32_t (*reset)(WaveOutHandle device);
  uint32_t (*close)(WaveOutHandle device);
};

// The platform's service: it opens the device chosen with SetAudioDevice.
const WaveOutService& SystemWaveOut();

// The device the next open uses: null or "default" the system default,
// "null" a device that consumes audio in real time and discards it, any
// other name a device of the platform's sound system (ignored on Windows).
// False for a name longer than kAudioDeviceNameMax bytes.
inline constexpr size_t kAudioDeviceNameMax = 255;
bool SetAudioDevice(const char* name);
// Copies the chosen name ("default" when none) into `out` of `size` bytes.
void AudioDeviceName(char* out, size_t size);

}  // namespace orven::platform
