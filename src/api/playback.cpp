// Live playback exports, and the extensions that choose the output device,
// receive the notifications and take over the device error boxes.
#include <type_traits>

#include "orven_api.h"
#include "platform/message_box.h"
#include "platform/notify.h"
#include "platform/wave_out.h"
#include "playback/controller.h"

using namespace orven;

static_assert(std::is_same_v<ORVN_NotifyCallback, platform::NotifyCallback>, "one callback shape");
static_assert(std::is_same_v<ORVN_MessageBoxHandler, platform::MessageBoxHandler>, "one handler shape");

ORVN_API(int32_t) ORVN_PlayTTS(ORVN_WINDOW window, uint32_t message, const char* text, const char* attributeTag,
                               int32_t language, int32_t speaker) {
  return playback::StartPlayback(window, message, text, attributeTag, language, speaker);
}

ORVN_API(int32_t) ORVN_StopTTS(void) { return playback::StopPlayback(); }

ORVN_API(int32_t) ORVN_PauseTTS(void) { return playback::PausePlayback(); }

ORVN_API(int32_t) ORVN_RestartTTS(void) { return playback::RestartPlayback(); }

ORVN_API(int32_t) ORVN_SetAudioDevice(const char* name) {
  return platform::SetAudioDevice(name) ? ORVN_OK : ORVN_ERR_INVALID_ARG;
}

ORVN_API(ORVN_WINDOW) ORVN_CreateNotifyWindow(ORVN_NotifyCallback callback, void* userData) {
  return platform::CreateNotifyWindow(callback, userData);
}

ORVN_API(void) ORVN_DestroyNotifyWindow(ORVN_WINDOW window) { platform::DestroyNotifyWindow(window); }

ORVN_API(void) ORVN_SetMessageBoxHandler(ORVN_MessageBoxHandler handler, void* userData) {
  platform::SetMessageBoxHandler(handler, userData);
}
