#include "playback/controller.h"

#include <cstdlib>
#include <cstring>

#include "platform/sync.h"
#include "playback/library_link.h"

namespace orven::playback {
namespace {

PlaybackRecord g_record;

// Keeps the channel alive while a stop asks its engine to end the request:
// the playback thread clears the channel field under it before deleting the
// channel, and the stop reads the field and calls the engine under it. The
// engine's stop returns at once, so the thread never waits long here.
platform::Mutex g_channelGuard;

// Makes starting the thread and storing its handle one step for a stop:
// the thread's first notification may reach a window callback that stops
// the playback before ORVN_PlayTTS has stored the handle, and that stop
// must find the thread to wait for.
platform::Mutex g_threadGuard;

// Set when the stop came from the playback thread itself (a message box
// handler, say): it cannot wait for its own end, so the thread clears the
// stop and paused flags when it ends.
std::atomic<int32_t> g_stoppedFromItself{0};

constexpr int32_t kStartWaitMs = 1000;
constexpr int32_t kRequestMode = 1;
constexpr int32_t kChunkAt16000 = 32000;  // one second of 16-bit audio at 16000 Hz
constexpr int32_t kChunkOtherwise = 16000;
// While a stop waits for the thread, the device is aborted again this
// often. One abort is enough unless it fell between the callback's look at
// the stop flag and the write clearing the abort flag; then the writer
// would wait for a free slot of a paused device for ever.
constexpr int32_t kAbortAgainMs = 200;

char* Duplicate(const char* text) {
  const size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

// The thread's notifications go only to a window that exists.
void PostFromThread(const PlaybackRecord& r, intptr_t wParam) {
  platform::WindowHandle window = r.window;
  if (window != nullptr && platform::IsWindowAlive(window)) platform::PostWindowMessage(window, r.message, wParam, 0);
}

void SetChannel(PlaybackRecord& r, ORVN_CHANNEL channel) {
  std::lock_guard guard(g_channelGuard);
  r.channel = channel;
}

// The end of every run of the thread, after its final notification.
void EndThread(PlaybackRecord& r) {
  if (g_stoppedFromItself.exchange(0) != 0) {
    r.stopFlag = 0;
    r.pausedFlag = 0;
  }
  r.playingFlag = 0;
  std::free(r.text.exchange(nullptr));
  if (platform::Event* started = r.startEvent.exchange(nullptr)) started->Release();
}

// A thread that has posted its final notification may still be releasing
// its text; the record is reused only once it has ended.
void CloseEndedThread(PlaybackRecord& r) {
  if (platform::Thread* thread = r.thread.exchange(nullptr)) {
    platform::WaitForThread(thread, -1);
    platform::CloseThread(thread);
  }
}

void ReleaseCopies(PlaybackRecord& r) {
  std::free(r.text.exchange(nullptr));
  std::free(r.attributeTag.exchange(nullptr));
}

}  // namespace

void PlaybackThreadProc(void* raw) {
  PlaybackRecord& r = *static_cast<PlaybackRecord*>(raw);
  r.playingFlag = 1;
  PostFromThread(r, kStarted);

  ORVN_CHANNEL channel = OpenChannel(&r, PlaybackPcmCallback, r.language, r.speaker);
  SetChannel(r, channel);
  if (channel == nullptr) {
    r.startEvent.load()->Signal();
    PlayDeviceClose(r.device);
    r.device = nullptr;
    PostFromThread(r, kFailed);
    EndThread(r);
    return;
  }

  if (char* tag = r.attributeTag.exchange(nullptr)) {
    if (tag[0] == '<') ApplyAttributeTag(channel, tag);
    std::free(tag);
  }
  if (DictionaryRegistered()) {
    char path[256];
    RegisteredDictionaryPath(path, sizeof path);
    LoadRegisteredDictionary(channel, path);
  }
  ApplyPlaybackOptionDefaults(channel);
  const int32_t chunkSize = PlaybackRate() == 16000 ? kChunkAt16000 : kChunkOtherwise;
  r.startEvent.load()->Signal();

  const int32_t result = SpeakInChunks(channel, r.text, kRequestMode, chunkSize);

  if (DictionaryRegistered()) UnloadRegisteredDictionary(channel);
  SetChannel(r, nullptr);
  CloseChannel(channel);
  // Waits until all queued audio has played, unless the playback is being
  // stopped.
  PlayDeviceClose(r.device);
  r.device = nullptr;
  PostFromThread(r, result == 1 ? kFinished : kFailed);
  EndThread(r);
}

int32_t ORVN_CDECL PlaybackPcmCallback(void* raw, ORVN_PcmChunk* chunk) {
  PlaybackRecord& r = *static_cast<PlaybackRecord*>(raw);
  if (r.stopFlag == 0) PlayDeviceWrite(r.device, chunk->samples, chunk->byteCount);
  return 0;
}

int32_t StartPlayback(platform::WindowHandle window, uint32_t message, const char* text, const char* attributeTag,
                      int32_t language, int32_t speaker) {
  PlaybackRecord& r = g_record;
  if (int32_t check = CheckPlaybackVoice(language, speaker); check != ORVN_OK) return check;
  if (text == nullptr || text[0] == '\0') return FailPlayback(ORVN_ERR_INVALID_ARG);
  // From the playback thread (a message box handler) the running playback
  // could not be stopped and waited for: no new one can be had.
  if (platform::IsCurrentThread(r.thread)) return 1;

  char* textCopy = Duplicate(text);
  ORVN_DbInfo voice = {};
  ReadVoiceInfo(language, speaker, &voice);
  SetPlaybackRate(voice.samplingRate);

  if (r.playingFlag != 0) StopPlayback();
  CloseEndedThread(r);

  r.window = window;
  r.message = message;
  r.speaker = speaker;
  r.language = language;
  r.text = textCopy;
  r.attributeTag = attributeTag != nullptr ? Duplicate(attributeTag) : nullptr;
  if (textCopy == nullptr) {
    ReleaseCopies(r);
    return 1;
  }

  // A voice that reports no rate (0) is refused by the open like any format
  // the device cannot play: a message box, and 1.
  r.device = PlayDeviceOpen(PlaybackRate());
  if (r.device == nullptr) {
    ReleaseCopies(r);
    return 1;
  }

  // One reference for this call's wait, one for the thread: whichever
  // finishes last closes the event, so a thread that ends at once never
  // closes it under the wait.
  platform::Event* started = platform::Event::Create(2);
  r.startEvent = started;
  // Playing from here on, not only from the thread's first step: a stop
  // that comes before the new thread has run must still find it.
  r.playingFlag = 1;
  platform::Thread* thread = nullptr;
  if (started != nullptr) {
    std::lock_guard guard(g_threadGuard);
    thread = platform::StartThread(PlaybackThreadProc, &r);
    r.thread = thread;
  }
  if (thread == nullptr) {
    r.playingFlag = 0;
    ReleaseCopies(r);
    if (started != nullptr) {
      r.startEvent = nullptr;
      started->Release();
      started->Release();
    }
    PlayDeviceClose(r.device);
    r.device = nullptr;
    return 1;
  }
  started->Wait(kStartWaitMs);
  started->Release();
  return 0;
}

int32_t StopPlayback() {
  PlaybackRecord& r = g_record;
  if (r.playingFlag == 0) return 1;
  // Raised before the device is aborted and the engine is asked to stop, so
  // that no chunk the engine still delivers is queued.
  r.stopFlag = 1;
  PlayDeviceAbort(r.device);
  {
    std::lock_guard guard(g_channelGuard);
    if (ORVN_CHANNEL channel = r.channel) StopChannel(channel);
  }
  platform::Thread* thread = nullptr;
  {
    std::lock_guard guard(g_threadGuard);
    thread = r.thread;
  }
  if (platform::IsCurrentThread(thread)) {
    g_stoppedFromItself = 1;
    return 0;
  }
  if (thread != nullptr) {
    while (!platform::WaitForThread(thread, kAbortAgainMs)) PlayDeviceAbort(r.device);
  }
  r.stopFlag = 0;
  r.pausedFlag = 0;
  if (platform::Thread* ended = r.thread.exchange(nullptr)) platform::CloseThread(ended);
  return 0;
}

int32_t PausePlayback() {
  PlaybackRecord& r = g_record;
  if (r.playingFlag == 0) return 1;
  PlayDevicePause(r.device);
  r.pausedFlag = 1;
  platform::PostWindowMessage(r.window, r.message, kPaused, 0);
  return 0;
}

int32_t RestartPlayback() {
  PlaybackRecord& r = g_record;
  if (r.pausedFlag == 0) return 1;
  PlayDeviceRestart(r.device);
  r.pausedFlag = 0;
  platform::PostWindowMessage(r.window, r.message, kResumed, 0);
  return 0;
}

void ResetPlayback() {
  PlaybackRecord& r = g_record;
  // A playback cannot clear its own record from under itself.
  if (platform::IsCurrentThread(r.thread)) return;
  if (r.playingFlag != 0) StopPlayback();
  CloseEndedThread(r);
  ReleaseCopies(r);
  r.window = nullptr;
  r.message = 0;
  r.speaker = 0;
  r.language = 0;
  r.channel = nullptr;
  r.device = nullptr;
  r.stopFlag = 0;
  r.playingFlag = 0;
  r.pausedFlag = 0;
}

}  // namespace orven::playback
