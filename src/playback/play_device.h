// The wave-out device layer: plays 16-bit mono PCM through a ring of 20
// buffers of 16000 bytes on one open device at a time, and shows every
// failing wave-out call in a message box. Only the playback controller
// calls it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wave_out.h"

namespace orven::playback {

using DeviceHandle = platform::WaveOutHandle;

inline constexpr int32_t kSlotCount = 20;
inline constexpr int32_t kSlotBytes = 16000;
// Room for the longest error text (62 characters) or a formatted code.
inline constexpr size_t kErrorTextSize = 80;

// Opens the device for 16-bit mono at `rate` Hz with a fresh ring; null when
// no device could be had (after a message box, except when the ring could
// not be allocated).
DeviceHandle PlayDeviceOpen(int32_t rate);
// Queues `count` bytes in ring-sized pieces, waiting for free slots; returns
// once all is queued, or earlier on an abort or a device error.
void PlayDeviceWrite(DeviceHandle device, const void* data, int32_t count);
// 1 done, 0 failed (after a message box).
int32_t PlayDevicePause(DeviceHandle device);
int32_t PlayDeviceRestart(DeviceHandle device);
// Ends every wait of a writer or a drain and makes the next close reset the
// device instead of draining it. Always 1.
int32_t PlayDeviceAbort(DeviceHandle device);
// Drains (unless aborted) or resets, then releases the ring and closes the
// device. 1 done (also for no device), 0 failed (after a message box).
int32_t PlayDeviceClose(DeviceHandle device);
// Waits until every queued slot has been played.
void PlayDeviceDrain();
// The text for a wave-out result code.
void PlayDeviceErrorText(uint32_t code, char* text, size_t size);
// The device's notices: counts finished slots.
void PlayDeviceDoneProc(DeviceHandle device, uint32_t message, uintptr_t instance, uintptr_t first, uintptr_t second);

// Test seams: the wave-out service and the sleep the layer uses (null puts
// back the platform's), and a look at the ring's counters.
using SleepFunction = void (*)(int32_t milliseconds);
void SetDeviceServiceForTesting(const platform::WaveOutService* service, SleepFunction sleep);
struct DeviceCounters {
  int32_t writeIndex, doneIndex, queued, aborted, slotTime;
};
DeviceCounters DeviceCountersForTesting();

}  // namespace orven::playback
