#include "platform/wave_stream.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <new>

#include "platform/sync.h"
#include "platform/threads.h"

namespace orven::platform {
namespace {

constexpr uint32_t kHighestRate = 384000;
constexpr int32_t kRoomWaitMs = 20;

// ---- the null sink ------------------------------------------------------------------

// Holds at most 20 ms of audio, which drains at the format's rate while not
// paused: a writer is paced like one feeding a sound card.
class NullSink final : public AudioSink {
 public:
  explicit NullSink(uint32_t rate) : rate_(rate), capacity_(std::max<int64_t>(1, rate / 50)) {}

  long Write(const char*, long frames) override {
    Update();
    const int64_t taken = std::min<int64_t>(frames, capacity_ - held_);
    held_ += taken;
    return static_cast<long>(taken);
  }
  void WaitForRoom(int32_t milliseconds) override {
    Update();
    if (held_ < capacity_ || paused_) {
      if (paused_) SleepMilliseconds(milliseconds);
      return;
    }
    const int64_t untilRoom = (held_ - capacity_ + 1) * 1000 / rate_ + 1;
    SleepMilliseconds(static_cast<int32_t>(std::min<int64_t>(milliseconds, untilRoom)));
  }
  void SetPaused(bool paused) override {
    Update();
    paused_ = paused;
  }
  void Discard() override {
    Update();
    held_ = 0;
  }
  void Finish() override {
    Update();
    if (!paused_ && held_ > 0) SleepMilliseconds(static_cast<int32_t>(held_ * 1000 / rate_ + 1));
    held_ = 0;
  }

 private:
  using Clock = std::chrono::steady_clock;
  void Update() {
    const Clock::time_point now = Clock::now();
    if (!paused_) {
      const int64_t micros = std::chrono::duration_cast<std::chrono::microseconds>(now - last_).count();
      const int64_t played = micros * rate_ / 1000000;
      if (played <= 0) return;  // keep the remainder for the next look
      held_ = std::max<int64_t>(0, held_ - played);
    }
    last_ = now;
  }

  const int64_t rate_;
  const int64_t capacity_;
  int64_t held_ = 0;
  bool paused_ = false;
  Clock::time_point last_ = Clock::now();
};

// ---- the device ---------------------------------------------------------------------

struct Stream {
  AudioSink* sink = nullptr;
  WaveOutCallback callback = nullptr;
  uintptr_t instance = 0;
  WaveOutHandle handle = nullptr;
  uint32_t frameBytes = 2;
  Thread* thread = nullptr;
  std::atomic<int32_t> references{1};

  Mutex mutex;
  ConditionVariable wake;      // to the service thread
  ConditionVariable answered;  // from it, after a reset
  WaveHeader* head = nullptr;  // queued buffers, linked through `next`
  WaveHeader* tail = nullptr;
  uint32_t offset = 0;  // bytes of the head already taken
  bool paused = false;
  bool sinkPaused = false;
  bool closing = false;
  uint32_t resetsAsked = 0;
  uint32_t resetsDone = 0;

  ~Stream() { delete sink; }
  void Release() {
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  void Notify(uint32_t message, uintptr_t first) {
    if (callback != nullptr) callback(handle, message, instance, first, 0);
  }
};

// Open devices by handle. Handles are numbers that are never reused, so a
// stale handle is recognised instead of followed.
constexpr int kMaxDevices = 16;
struct Registry {
  Mutex mutex;
  uintptr_t nextId = 0x5D00;
  uintptr_t ids[kMaxDevices] = {};
  Stream* streams[kMaxDevices] = {};
} g_registry;

// The device with a reference taken, or null.
Stream* Find(WaveOutHandle device) {
  const auto id = reinterpret_cast<uintptr_t>(device);
  if (id == 0) return nullptr;
  std::lock_guard lock(g_registry.mutex);
  for (int i = 0; i < kMaxDevices; ++i) {
    if (g_registry.ids[i] == id) {
      g_registry.streams[i]->references.fetch_add(1, std::memory_order_relaxed);
      return g_registry.streams[i];
    }
  }
  return nullptr;
}

class Found {
 public:
  explicit Found(WaveOutHandle device) : stream_(Find(device)) {}
  ~Found() {
    if (stream_ != nullptr) stream_->Release();
  }
  Found(const Found&) = delete;
  Found& operator=(const Found&) = delete;
  Stream* operator->() const { return stream_; }
  explicit operator bool() const { return stream_ != nullptr; }

 private:
  Stream* stream_;
};

// Takes the head off the queue as finished; the caller holds the lock.
WaveHeader* PopFinished(Stream& s) {
  WaveHeader* header = s.head;
  s.head = header->next;
  if (s.head == nullptr) s.tail = nullptr;
  s.offset = 0;
  header->next = nullptr;
  header->flags = (header->flags & ~kHeaderInQueue) | kHeaderDone;
  return header;
}

void Serve(void* raw) {
  Stream& s = *static_cast<Stream*>(raw);
  std::unique_lock lock(s.mutex);
  for (;;) {
    if (s.resetsDone != s.resetsAsked) {
      // One buffer at a time: once its notice is out the owner may reuse it.
      while (s.head != nullptr) {
        WaveHeader* header = PopFinished(s);
        lock.unlock();
        s.Notify(kWaveOutDone, reinterpret_cast<uintptr_t>(header));
        lock.lock();
      }
      lock.unlock();
      s.sink->Discard();
      lock.lock();
      s.resetsDone = s.resetsAsked;
      s.answered.notify_all();
      continue;
    }
    if (s.closing) break;
    if (s.paused != s.sinkPaused) {
      const bool paused = s.paused;
      lock.unlock();
      s.sink->SetPaused(paused);
      lock.lock();
      s.sinkPaused = paused;
      continue;
    }
    if (s.paused || s.head == nullptr) {
      s.wake.wait(lock);
      continue;
    }
    WaveHeader* header = s.head;
    const long frames = static_cast<long>((header->bufferLength - s.offset) / s.frameBytes);
    if (frames <= 0) {
      PopFinished(s);
      lock.unlock();
      s.Notify(kWaveOutDone, reinterpret_cast<uintptr_t>(header));
      lock.lock();
      continue;
    }
    const char* data = header->data + s.offset;
    lock.unlock();
    long taken = s.sink->Write(data, frames);
    // A sink that has failed for good still returns every buffer, so that
    // nobody waits for audio that will never be played.
    if (taken < 0) taken = frames;
    if (taken == 0) s.sink->WaitForRoom(kRoomWaitMs);
    lock.lock();
    if (s.resetsDone == s.resetsAsked && s.head == header) s.offset += static_cast<uint32_t>(taken) * s.frameBytes;
  }
  const bool paused = s.sinkPaused;
  lock.unlock();
  if (paused) {
    s.sink->Discard();
  } else {
    s.sink->Finish();
  }
}

uint32_t CheckHeader(const WaveHeader* header, uint32_t size) {
  return header == nullptr || size < sizeof(WaveHeader) ? kMmInvalidParameter : kMmNoError;
}

}  // namespace

uint32_t CheckPcmFormat(const WaveFormat* format) {
  if (format == nullptr) return kMmInvalidParameter;
  const WaveFormat& f = *format;
  const bool shapeOk = f.formatTag == kFormatPcm && (f.channels == 1 || f.channels == 2) &&
                       (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSecond >= 1 &&
                       f.samplesPerSecond <= kHighestRate;
  if (!shapeOk) return kWaveBadFormat;
  const uint32_t block = f.channels * f.bitsPerSample / 8u;
  if (f.blockAlign != block || f.averageBytesPerSecond != f.samplesPerSecond * block) return kWaveBadFormat;
  return kMmNoError;
}

AudioSink* NewNullSink(const WaveFormat& format) { return new (std::nothrow) NullSink(format.samplesPerSecond); }

uint32_t OpenStreamDevice(WaveOutHandle* device, AudioSink* sink, const WaveFormat* format, WaveOutCallback callback,
                          uintptr_t instance) {
  Stream* s = new (std::nothrow) Stream;
  if (s == nullptr) {
    delete sink;
    return kMmNoMemory;
  }
  s->sink = sink;
  s->callback = callback;
  s->instance = instance;
  s->frameBytes = format->blockAlign;
  {
    std::lock_guard lock(g_registry.mutex);
    int free = -1;
    for (int i = 0; i < kMaxDevices && free < 0; ++i)
      if (g_registry.ids[i] == 0) free = i;
    if (free < 0) {
      s->Release();
      return kMmAllocated;
    }
    const uintptr_t id = g_registry.nextId;
    g_registry.nextId += 0x10;
    s->handle = reinterpret_cast<WaveOutHandle>(id);
    s->references.fetch_add(1, std::memory_order_relaxed);  // the registry's
    g_registry.ids[free] = id;
    g_registry.streams[free] = s;
  }
  s->thread = StartThread(Serve, s);
  if (s->thread == nullptr) {
    StreamClose(s->handle);
    s->Release();
    return kMmNoMemory;
  }
  *device = s->handle;
  s->Notify(kWaveOutOpened, 0);
  s->Release();
  return kMmNoError;
}

bool IsStreamDevice(WaveOutHandle device) { return static_cast<bool>(Found(device)); }

uint32_t StreamPrepare(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  Found s(device);
  if (!s) return kMmInvalidHandle;
  if (uint32_t bad = CheckHeader(header, size)) return bad;
  std::lock_guard lock(s->mutex);
  if (header->flags & kHeaderInQueue) return kWaveStillPlaying;
  header->flags |= kHeaderPrepared;
  return kMmNoError;
}

uint32_t StreamUnprepare(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  Found s(device);
  if (!s) return kMmInvalidHandle;
  if (uint32_t bad = CheckHeader(header, size)) return bad;
  std::lock_guard lock(s->mutex);
  if (header->flags & kHeaderInQueue) return kWaveStillPlaying;
  header->flags &= ~kHeaderPrepared;
  return kMmNoError;
}

uint32_t StreamWrite(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  Found s(device);
  if (!s) return kMmInvalidHandle;
  if (uint32_t bad = CheckHeader(header, size)) return bad;
  std::lock_guard lock(s->mutex);
  if (!(header->flags & kHeaderPrepared)) return kWaveUnprepared;
  if (header->flags & kHeaderInQueue) return kWaveStillPlaying;
  header->flags = (header->flags & ~kHeaderDone) | kHeaderInQueue;
  header->next = nullptr;
  if (s->tail != nullptr) {
    s->tail->next = header;
  } else {
    s->head = header;
  }
  s->tail = header;
  s->wake.notify_all();
  return kMmNoError;
}

namespace {

// Pauses or resumes the stream's writer thread.
uint32_t SetStreamPaused(WaveOutHandle device, bool paused) {
  Found s(device);
  if (!s) return kMmInvalidHandle;
  std::lock_guard lock(s->mutex);
  s->paused = paused;
  s->wake.notify_all();
  return kMmNoError;
}

}  // namespace

uint32_t StreamPause(WaveOutHandle device) { return SetStreamPaused(device, true); }

uint32_t StreamRestart(WaveOutHandle device) { return SetStreamPaused(device, false); }

uint32_t StreamReset(WaveOutHandle device) {
  Found s(device);
  if (!s) return kMmInvalidHandle;
  std::unique_lock lock(s->mutex);
  const uint32_t ticket = ++s->resetsAsked;
  s->paused = false;
  s->wake.notify_all();
  // From the service thread itself (inside a notice) the reset is carried
  // out after the notice returns; waiting here would never end.
  if (!IsCurrentThread(s->thread)) {
    s->answered.wait(lock, [&] { return static_cast<int32_t>(s->resetsDone - ticket) >= 0; });
  }
  return kMmNoError;
}

uint32_t StreamClose(WaveOutHandle device) {
  Stream* s = Find(device);
  if (s == nullptr) return kMmInvalidHandle;
  {
    std::lock_guard lock(s->mutex);
    if (s->head != nullptr || IsCurrentThread(s->thread)) {
      const uint32_t result = s->head != nullptr ? kWaveStillPlaying : kMmError;
      s->Release();
      return result;
    }
    s->closing = true;
    s->wake.notify_all();
  }
  {
    std::lock_guard lock(g_registry.mutex);
    for (int i = 0; i < kMaxDevices; ++i) {
      if (g_registry.streams[i] == s) {
        g_registry.ids[i] = 0;
        g_registry.streams[i] = nullptr;
        s->references.fetch_sub(1, std::memory_order_relaxed);  // the registry's; ours is still held
      }
    }
  }
  if (s->thread != nullptr) {
    WaitForThread(s->thread, -1);
    CloseThread(s->thread);
    s->Notify(kWaveOutClosed, 0);
  }
  s->Release();
  return kMmNoError;
}

}  // namespace orven::platform
