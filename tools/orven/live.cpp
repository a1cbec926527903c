// Live playback: the library plays on its own thread and reports through a
// notification window; the tool waits for the final notice (4: heard to the
// end, -1: failed). Ctrl-C asks the library to stop, which still ends with
// a final notice, so the device is closed before the process goes.
#include "live.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "os.h"

namespace orven::cli {

namespace {

constexpr uint32_t kPlaybackMessage = 0x8000 + 16;  // any number of ours; the library echoes it
constexpr intptr_t kFinished = 4;
constexpr intptr_t kFailed = -1;

struct PlaybackWait {
  std::mutex mutex;
  std::condition_variable changed;
  intptr_t outcome = 0;  // kFinished or kFailed once the playback is over
  bool interrupted = false;
  int deviceErrors = 0;
  std::string verb;
};

void ORVN_CDECL OnNotice(void* userData, ORVN_WINDOW, uint32_t message, intptr_t wParam, intptr_t) {
  auto* wait = static_cast<PlaybackWait*>(userData);
  if (message != kPlaybackMessage || (wParam != kFinished && wParam != kFailed)) return;
  std::lock_guard lock(wait->mutex);
  wait->outcome = wParam;
  wait->changed.notify_all();
}

// Device trouble is reported on standard error instead of a message box,
// and makes the run a failure; the library goes on playing.
void ORVN_CDECL OnDeviceMessage(void* userData, const char* caption, const char* text) {
  auto* wait = static_cast<PlaybackWait*>(userData);
  {
    std::lock_guard lock(wait->mutex);
    ++wait->deviceErrors;
  }
  Report(wait->verb,
         std::string("sound device: ") + (caption != nullptr ? caption : "") + ": " + (text != nullptr ? text : ""));
}

}  // namespace

int SpeakLive(std::string_view verb, const LiveRequest& request) {
  if (ORVN_SetAudioDevice(request.device.empty() ? nullptr : request.device.c_str()) != 0)
    return UsageError(verb, "the device name '" + request.device + "' is too long (255 bytes at most)");

  PlaybackWait wait;
  wait.verb = verb;
  // Before any playback thread exists, so that the threads leave Ctrl-C to it.
  InterruptWatcher interrupts([&wait] {
    std::lock_guard lock(wait.mutex);
    wait.interrupted = true;
    wait.changed.notify_all();
  });
  ORVN_SetMessageBoxHandler(OnDeviceMessage, &wait);
  ORVN_WINDOW window = ORVN_CreateNotifyWindow(OnNotice, &wait);
  if (window == nullptr) {
    ORVN_SetMessageBoxHandler(nullptr, nullptr);
    Report(verb, "no notification window could be made for the playback");
    return kExitFailure;
  }
  if (!request.dictionary.empty()) ORVN_RegisterUserDict(request.dictionary.c_str());

  const int32_t started = ORVN_PlayTTS(window, kPlaybackMessage, request.text.c_str(),
                                       request.attributes.empty() ? nullptr : request.attributes.c_str(),
                                       request.voice.language, request.voice.speaker);
  intptr_t outcome = kFailed;
  bool stopped = false;
  if (started == 0) {
    std::unique_lock lock(wait.mutex);
    wait.changed.wait(lock, [&] { return wait.outcome != 0 || wait.interrupted; });
    if (wait.outcome == 0) {
      // Interrupted: stopping waits for the playback thread, which then posts its final notice.
      lock.unlock();
      ORVN_StopTTS();
      stopped = true;
      lock.lock();
      wait.changed.wait(lock, [&] { return wait.outcome != 0; });
    }
    outcome = wait.outcome;
  }
  ORVN_DestroyNotifyWindow(window);
  ORVN_SetMessageBoxHandler(nullptr, nullptr);
  if (!request.dictionary.empty()) ORVN_DeleteUserDict();

  if (stopped || interrupts.Interrupted()) {
    if (IsTerminal(stderr)) std::fputc('\n', stderr);  // past the ^C the terminal echoed
    interrupts.ExitAsInterrupted();
  }
  if (started < 0) {
    Report(verb, "voice " + VoiceLabel(request.voice) + ": " + DescribeCode(started));
    return kExitFailure;
  }
  if (started != 0) {
    Report(verb, "the sound device" + (request.device.empty() ? std::string() : " '" + request.device + "'") +
                     " could not be opened");
    return kExitFailure;
  }
  if (outcome == kFailed) {
    Report(verb, "playback failed: " + DescribeCode(ORVN_GetError()));
    return kExitFailure;
  }
  return wait.deviceErrors == 0 ? kExitOk : kExitFailure;
}

}  // namespace orven::cli
