#include "playback/play_device.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/message_box.h"
#include "platform/sync.h"
#include "platform/threads.h"

namespace orven::playback {
namespace {

using platform::WaveHeader;

constexpr int32_t kAbortSettleMs = 50;

// What a slot's header carries in its user word.
enum SlotMark : uintptr_t { kUnprepared = 0, kHandedOver = 1, kFinished = 2 };

constexpr char kOpenCaption[] = "Wave Out Device Open Error !";
constexpr char kPrepareCaption[] = "Device output preparing error !";
constexpr char kWriteCaption[] = "Device output error !";
constexpr char kPauseCaption[] = "waveOutPause Error !";
constexpr char kRestartCaption[] = "waveOutRestart Error !";
constexpr char kResetCaption[] = "Device Out Reset error !";
constexpr char kCloseCaption[] = "Device Out Close Error !";

struct ErrorTextRow {
  uint32_t code;
  const char* text;
};
constexpr ErrorTextRow kErrorTexts[] = {
    {platform::kMmBadDeviceId, "The specified device ID is out of range."},
    {platform::kMmAllocated, "The specified resource is already allocated."},
    {platform::kMmInvalidHandle, "The specified device handle is invalid."},
    {platform::kMmNoDriver, "No device driver is present."},
    {platform::kMmNoMemory, "Unable to allocate or lock memory."},
    {platform::kMmNotSupported, "Specified device is synchronous and does not support pausing."},
    {platform::kWaveBadFormat, "The system attempted to open with an unsupported wave format"},
    {platform::kWaveStillPlaying, "There are still buffers in the queue."},
    {platform::kWaveUnprepared, "The lpWaveInHdr buffer hasn't been prepared."},
};

// One open device at a time, so the ring is library-wide. The indexes and
// flags are words that the waiting loops read without a lock; the done
// index is published with release so that a writer that sees a slot
// finished also sees that slot's final header.
struct Ring {
  std::atomic<int32_t> rate{0};
  std::atomic<int32_t> slotTime{0};
  WaveHeader* headers[kSlotCount] = {};
  char* buffers[kSlotCount] = {};
  std::atomic<int32_t> writeIndex{1};
  std::atomic<int32_t> doneIndex{0};
  std::atomic<int32_t> queued{0};
  std::atomic<int32_t> aborted{0};
  // The queue lock guards a slot's prepare and write with the advance of the
  // write index, the index reset of an abort, and the release at close; the
  // done lock is the completion callback's alone. The two are never held
  // together. Both exist for the whole life of the library rather than from
  // an open to its close: an abort may race with the close of its device,
  // and a lock must never be destroyed under a thread that waits for it.
  platform::Mutex queueLock;
  platform::Mutex doneLock;
} g_ring;

std::atomic<const platform::WaveOutService*> g_service{nullptr};
std::atomic<SleepFunction> g_sleep{nullptr};

const platform::WaveOutService& Service() {
  const platform::WaveOutService* service = g_service.load();
  return service != nullptr ? *service : platform::SystemWaveOut();
}

void Sleep(int32_t milliseconds) {
  SleepFunction sleep = g_sleep.load();
  if (sleep != nullptr) {
    sleep(milliseconds);
  } else {
    platform::SleepMilliseconds(milliseconds);
  }
}

constexpr uint32_t kHeaderSize = sizeof(WaveHeader);

std::atomic_ref<uintptr_t> Mark(WaveHeader* header) { return std::atomic_ref<uintptr_t>(header->user); }

int32_t Next(int32_t index) { return (index + 1) % kSlotCount; }

// Every failure is shown with the text of its code. The text is formatted
// per call rather than in one shared buffer: a pause on one thread and a
// write on another may fail at the same time.
void ShowFailure(uint32_t code, const char* caption) {
  char text[kErrorTextSize];
  PlayDeviceErrorText(code, text, sizeof text);
  platform::ShowMessageBox(caption, text);
}

void FreeSlots() {
  for (int32_t i = 0; i < kSlotCount; ++i) {
    std::free(g_ring.headers[i]);
    std::free(g_ring.buffers[i]);
    g_ring.headers[i] = nullptr;
    g_ring.buffers[i] = nullptr;
  }
}

}  // namespace

DeviceHandle PlayDeviceOpen(int32_t rate) {
  g_ring.rate = rate;
  g_ring.doneIndex = 0;
  g_ring.writeIndex = 1;
  g_ring.queued = 0;
  // A non-positive rate has no slot time; such a format is refused below as
  // the wave-out service itself would refuse it.
  g_ring.slotTime = rate > 0 ? static_cast<int32_t>(16000000LL / (2LL * rate)) : 0;

  const platform::WaveFormat format = {
      platform::kFormatPcm, 1, static_cast<uint32_t>(rate), static_cast<uint32_t>(2LL * rate), 2, 16, 0};
  // A ring left behind by a failed close may still be in the hands of its
  // device: it is given up rather than freed.
  for (int32_t i = 0; i < kSlotCount; ++i) {
    g_ring.headers[i] = static_cast<WaveHeader*>(std::calloc(1, sizeof(WaveHeader)));
    g_ring.buffers[i] = static_cast<char*>(std::malloc(kSlotBytes));
    if (g_ring.headers[i] == nullptr || g_ring.buffers[i] == nullptr) {
      FreeSlots();
      return nullptr;
    }
  }

  DeviceHandle device = nullptr;
  const uint32_t result = rate > 0 ? Service().open(&device, platform::kWaveMapper, &format, PlayDeviceDoneProc, 0,
                                                    platform::kCallbackFunction)
                                   : platform::kWaveBadFormat;
  if (result != platform::kMmNoError) {
    FreeSlots();
    ShowFailure(result, kOpenCaption);
    return nullptr;
  }
  return device;
}

void PlayDeviceWrite(DeviceHandle device, const void* data, int32_t count) {
  if (device == nullptr || count <= 0) return;
  g_ring.aborted = 0;
  const platform::WaveOutService& service = Service();
  const char* next = static_cast<const char*>(data);
  for (int32_t remaining = count; remaining > 0; remaining -= kSlotBytes) {
    // At most 18 slots are queued: the writer keeps clear of the slot after
    // the last finished one.
    while (Next(g_ring.writeIndex) == g_ring.doneIndex.load(std::memory_order_acquire) && g_ring.aborted != 1) {
      Sleep(3 * g_ring.slotTime);
    }
    if (g_ring.aborted == 1) return;  // the rest of the chunk is dropped

    const int32_t s = g_ring.writeIndex;
    WaveHeader* header = g_ring.headers[s];
    if (Mark(header).load() != kUnprepared) {
      service.unprepare(device, header, kHeaderSize);  // finished slots are unprepared only when reused
      Mark(header).store(kUnprepared);
    }
    const int32_t n = remaining < kSlotBytes ? remaining : kSlotBytes;
    header->data = g_ring.buffers[s];
    header->bufferLength = static_cast<uint32_t>(n);
    header->flags = 0;
    Mark(header).store(kHandedOver);
    std::memcpy(g_ring.buffers[s], next, static_cast<size_t>(n));
    next += n;

    std::lock_guard lock(g_ring.queueLock);
    uint32_t result = service.prepare(device, header, kHeaderSize);
    if (result != platform::kMmNoError) {
      ShowFailure(result, kPrepareCaption);
      return;
    }
    // The queued flag goes up before the write rather than after it: a short
    // piece on an idle device may finish before the write call returns, and
    // a notice that met the flag still down would never be counted, leaving
    // the drain to wait for it forever.
    if (g_ring.aborted == 0) g_ring.queued = 1;
    result = service.write(device, header, kHeaderSize);
    if (result != platform::kMmNoError && result != platform::kWaveStillPlaying) {
      ShowFailure(result, kWriteCaption);
      return;
    }
    // A slot written while an abort is under way is not counted.
    if (g_ring.aborted == 0) {
      g_ring.writeIndex = Next(s);
      g_ring.queued = 1;
    }
  }
}

void PlayDeviceDoneProc(DeviceHandle, uint32_t message, uintptr_t, uintptr_t first, uintptr_t) {
  // Covers the open and close notices and every notice after a drain or an
  // abort.
  if (g_ring.queued == 0) return;
  std::lock_guard lock(g_ring.doneLock);
  if (message != platform::kWaveOutDone) return;
  if (first != 0) Mark(reinterpret_cast<WaveHeader*>(first)).store(kFinished);
  if (g_ring.queued == 1) g_ring.doneIndex.store(Next(g_ring.doneIndex.load()), std::memory_order_release);
}

void PlayDeviceDrain() {
  while (Next(g_ring.doneIndex.load(std::memory_order_acquire)) != g_ring.writeIndex) Sleep(g_ring.slotTime);
  g_ring.queued = 0;
}

int32_t PlayDeviceClose(DeviceHandle device) {
  if (device == nullptr) return 1;
  if (g_ring.aborted == 0) PlayDeviceDrain();
  const platform::WaveOutService& service = Service();
  std::lock_guard lock(g_ring.queueLock);
  if (g_ring.aborted != 0) {
    if (uint32_t result = service.reset(device); result != platform::kMmNoError) {
      ShowFailure(result, kResetCaption);
      return 0;  // the device may still hold the slots: they are left alone
    }
  }
  for (int32_t i = 0; i < kSlotCount; ++i) {
    WaveHeader* header = g_ring.headers[i];
    if (header != nullptr && Mark(header).load() != kUnprepared) service.unprepare(device, header, kHeaderSize);
  }
  FreeSlots();
  if (uint32_t result = service.close(device); result != platform::kMmNoError) {
    ShowFailure(result, kCloseCaption);
    return 0;
  }
  return 1;
}

int32_t PlayDeviceAbort(DeviceHandle device) {
  if (device == nullptr) return 1;
  // Raised before the lock is taken, so that a writer inside the lock sees
  // it as soon as it has written its slot.
  g_ring.aborted = 1;
  {
    std::lock_guard lock(g_ring.queueLock);
    g_ring.queued = 0;
    g_ring.doneIndex.store(0, std::memory_order_release);
    g_ring.writeIndex = 1;
  }
  Sleep(kAbortSettleMs);
  return 1;
}

int32_t PlayDevicePause(DeviceHandle device) {
  if (uint32_t result = Service().pause(device); result != platform::kMmNoError) {
    ShowFailure(result, kPauseCaption);
    return 0;
  }
  return 1;
}

int32_t PlayDeviceRestart(DeviceHandle device) {
  if (uint32_t result = Service().restart(device); result != platform::kMmNoError) {
    ShowFailure(result, kRestartCaption);
    return 0;
  }
  return 1;
}

void PlayDeviceErrorText(uint32_t code, char* text, size_t size) {
  for (const ErrorTextRow& row : kErrorTexts) {
    if (row.code == code) {
      std::snprintf(text, size, "%s", row.text);
      return;
    }
  }
  std::snprintf(text, size, "Error code is %d.", static_cast<int>(code));
}

void SetDeviceServiceForTesting(const platform::WaveOutService* service, SleepFunction sleep) {
  g_service = service;
  g_sleep = sleep;
}

DeviceCounters DeviceCountersForTesting() {
  return {g_ring.writeIndex, g_ring.doneIndex, g_ring.queued, g_ring.aborted, g_ring.slotTime};
}

}  // namespace orven::playback
