// The playback controller: one live playback at a time, spoken on a thread
// of its own through the device layer, with notifications to a window of
// the caller's. The exports of the live playback family are thin wrappers
// around these functions.
#pragma once

#include <atomic>
#include <cstdint>

#include "orven_api.h"
#include "platform/notify.h"
#include "platform/threads.h"
#include "playback/play_device.h"

namespace orven::playback {

// The wParam values of the notifications; lParam is always 0.
enum Notification : intptr_t {
  kStarted = 1,
  kPaused = 2,
  kResumed = 3,
  kFinished = 4,
  kFailed = -1,
};

// The one playback of the library: the playback thread's parameter and the
// user data of the playback channel. Its words are written by one side and
// read by the other without a lock.
struct PlaybackRecord {
  std::atomic<platform::WindowHandle> window{nullptr};
  std::atomic<uint32_t> message{0};
  std::atomic<char*> text{nullptr};          // owned; released by the thread when it ends
  std::atomic<char*> attributeTag{nullptr};  // owned, may be null; released by the thread once applied
  std::atomic<int32_t> speaker{0};
  std::atomic<int32_t> language{0};
  std::atomic<ORVN_CHANNEL> channel{nullptr};
  std::atomic<platform::Thread*> thread{nullptr};
  std::atomic<platform::Event*> startEvent{nullptr};
  std::atomic<DeviceHandle> device{nullptr};
  std::atomic<int32_t> stopFlag{0};
  std::atomic<int32_t> playingFlag{0};
  std::atomic<int32_t> pausedFlag{0};
};

// 0 started; 1 when the text copy, the device or the thread could not be
// had; a negative code after a failed check (also in the last error).
int32_t StartPlayback(platform::WindowHandle window, uint32_t message, const char* text, const char* attributeTag,
                      int32_t language, int32_t speaker);
// 0 when a running playback was stopped (once its thread has ended), 1 when
// none was running.
int32_t StopPlayback();
// 0 when a running playback was paused, 1 when none was running.
int32_t PausePlayback();
// 0 when a paused playback was resumed, 1 when none was paused.
int32_t RestartPlayback();

// Initialisation: stops a playback that still runs and clears the record.
void ResetPlayback();

void PlaybackThreadProc(void* record);
int32_t ORVN_CDECL PlaybackPcmCallback(void* record, ORVN_PcmChunk* chunk);

}  // namespace orven::playback
