// Live playback exports, and the extensions that choose the output device,
// receive the notifications and take over the device error boxes; and what
// the playback controller takes from the library, over the library's own
// steps.
#include <cstdio>
#include <type_traits>

#include "api/internal.h"
#include "core/checks.h"
#include "core/library.h"
#include "core/registered_dictionary.h"
#include "orven_api.h"
#include "platform/message_box.h"
#include "platform/notify.h"
#include "platform/wave_out.h"
#include "playback/controller.h"
#include "playback/library_link.h"

using namespace orven;

namespace orven::playback {

int32_t CheckPlaybackVoice(int32_t language, int32_t speaker) {
  if (!IsInitialised()) return Fail(ORVN_ERR_NOT_INITIALIZED);
  if (!IsValidLanguage(language)) return Fail(ORVN_ERR_LANGUAGE);
  // Playback reports a bad speaker index with a code of its own.
  if (!IsValidSpeaker(speaker)) return Fail(ORVN_ERR_PLAY_SPEAKER);
  return ValidateVoice(language, speaker);
}

int32_t FailPlayback(int32_t code) { return Fail(code); }

int32_t PlaybackRate() { return g_library.playbackRate.load(std::memory_order_relaxed); }
void SetPlaybackRate(int32_t rate) { g_library.playbackRate.store(rate, std::memory_order_relaxed); }

bool DictionaryRegistered() { return g_registeredDictionary.registered.load(std::memory_order_acquire) != 0; }
void RegisteredDictionaryPath(char* path, size_t size) { std::snprintf(path, size, "%s", g_registeredDictionary.path); }

void ReadVoiceInfo(int32_t language, int32_t speaker, ORVN_DbInfo* info) { api::ReadDbInfo(language, speaker, info); }
ORVN_CHANNEL OpenChannel(void* userData, ORVN_SynthesisCallback callback, int32_t language, int32_t speaker) {
  return api::CreateChannel(userData, callback, language, speaker);
}
void ApplyAttributeTag(ORVN_CHANNEL channel, const char* tag) { api::ChangeAttribute(channel, tag); }
void LoadRegisteredDictionary(ORVN_CHANNEL channel, const char* path) {
  int32_t entriesOrReason = 0, faultLine = 0;  // not looked at
  api::LoadDictionary(channel, path, &entriesOrReason, &faultLine);
}
void UnloadRegisteredDictionary(ORVN_CHANNEL channel) { api::UnloadDictionary(channel); }
void ApplyPlaybackOptionDefaults(ORVN_CHANNEL channel) {
  api::ApplyOptionDefaults(channel, api::DefaultsFor::kPlayback);
}
int32_t SpeakInChunks(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t chunkBytes) {
  return api::SpeakBuffered(channel, text, mode, chunkBytes, api::Reading::kText);
}
void StopChannel(ORVN_CHANNEL channel) { api::StopSpeaking(channel); }
void CloseChannel(ORVN_CHANNEL channel) { api::DeleteChannel(channel); }

}  // namespace orven::playback

static_assert(std::is_same_v<ORVN_NotifyCallback, platform::NotifyCallback>, "one callback shape");
static_assert(std::is_same_v<ORVN_MessageBoxHandler, platform::MessageBoxHandler>, "one handler shape");

ORVN_API(int32_t)
ORVN_PlayTTS(ORVN_WINDOW window, uint32_t message, const char* text, const char* attributeTag, int32_t language,
             int32_t speaker) noexcept {
  return playback::StartPlayback(window, message, text, attributeTag, language, speaker);
}

ORVN_API(int32_t) ORVN_StopTTS(void) noexcept { return playback::StopPlayback(); }

ORVN_API(int32_t) ORVN_PauseTTS(void) noexcept { return playback::PausePlayback(); }

ORVN_API(int32_t) ORVN_RestartTTS(void) noexcept { return playback::RestartPlayback(); }

ORVN_API(int32_t) ORVN_SetAudioDevice(const char* name) noexcept {
  return platform::SetAudioDevice(name) ? ORVN_OK : ORVN_ERR_INVALID_ARG;
}

ORVN_API(ORVN_WINDOW) ORVN_CreateNotifyWindow(ORVN_NotifyCallback callback, void* userData) noexcept {
  return platform::CreateNotifyWindow(callback, userData);
}

ORVN_API(void) ORVN_DestroyNotifyWindow(ORVN_WINDOW window) noexcept { platform::DestroyNotifyWindow(window); }

ORVN_API(void) ORVN_SetMessageBoxHandler(ORVN_MessageBoxHandler handler, void* userData) noexcept {
  platform::SetMessageBoxHandler(handler, userData);
}
