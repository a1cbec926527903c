// syncore.cpp - SYNCORE: the one engine core behind the four thin language
// libraries. Holds, per language, the loaded voices, the live channels, the
// call log and the forced answers of the test-control interface.
#ifndef ORVEN_BUILDING_SYNCORE
#define ORVEN_BUILDING_SYNCORE 1
#endif

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <utility>

#include "engine_core.h"
#include "pcm_output.h"
#include "speech_request.h"
#include "text_decoding.h"

namespace syn {
namespace {

constexpr const char* kLanguageCodes[kLanguageCount] = {"kor", "eng", "chi", "jap"};
constexpr const char* kLanguageNames[kLanguageCount] = {"Korean", "English", "Chinese", "Japanese"};
constexpr const char* kEngineNames[kLanguageCount] = {"KORSYN stand-in", "ENGSYN stand-in", "CHISYN stand-in",
                                                      "JAPSYN stand-in"};

constexpr int32_t kDefaultValue = 100;
constexpr int32_t kPitchTop = kPitchMax;
constexpr int32_t kSpeedTop = kSpeedMax;
constexpr int32_t kVolumeTop = kVolumeMax;

constexpr int idx(Op op) noexcept { return static_cast<int>(op); }

// Exported names per language and operation, from the tables in engine_abi.h.
struct NameTable {
  const char* names[kLanguageCount][kOpCount] = {};
  constexpr NameTable() {
#define SYN_NAME_COMMON_(ret, op, kor, eng, chi, jap, params, args) \
  names[0][idx(Op::op)] = #kor;                                     \
  names[1][idx(Op::op)] = #eng;                                     \
  names[2][idx(Op::op)] = #chi;                                     \
  names[3][idx(Op::op)] = #jap;
#define SYN_NAME_KOREAN_(ret, op, name, params, args) names[0][idx(Op::op)] = #name;
#define SYN_NAME_OTHER_(ret, op, eng, chi, jap, params, args) \
  names[1][idx(Op::op)] = #eng;                               \
  names[2][idx(Op::op)] = #chi;                               \
  names[3][idx(Op::op)] = #jap;
    ORVN_ENGINE_COMMON_OPS(SYN_NAME_COMMON_)
    ORVN_ENGINE_KOREAN_OPS(SYN_NAME_KOREAN_)
    ORVN_ENGINE_OTHER_OPS(SYN_NAME_OTHER_)
#undef SYN_NAME_COMMON_
#undef SYN_NAME_KOREAN_
#undef SYN_NAME_OTHER_
  }
};
constexpr NameTable kNames;

// Runs `body`; any exception (std::bad_alloc above all) becomes `failure`,
// so nothing ever escapes through the C interface.
template <class R, class F>
R Guarded(R failure, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

// ---- call log formatting ---------------------------------------------------
void AppendHex(std::string& s, std::uintptr_t value) {
  if (value == 0) {
    s += "null";
    return;
  }
  char digits[2 * sizeof value + 1];
  const auto r = std::to_chars(digits, digits + sizeof digits, value, 16);
  s += "0x";
  s.append(digits, r.ptr);
}
template <class I>
void AppendDecimal(std::string& s, I value) {
  char digits[24];
  const auto r = std::to_chars(digits, digits + sizeof digits, value);
  s.append(digits, r.ptr);
}
void AppendArg(std::string& s, int8_t v) { AppendDecimal(s, static_cast<int>(v)); }
void AppendArg(std::string& s, int32_t v) { AppendDecimal(s, v); }
void AppendArg(std::string& s, uint32_t v) { AppendDecimal(s, v); }
void AppendArg(std::string& s, const char* text) {
  if (text == nullptr) {
    s += "null";
    return;
  }
  s += '"';
  s += text;
  s += '"';
}
void AppendArg(std::string& s, const void* p) { AppendHex(s, reinterpret_cast<std::uintptr_t>(p)); }
void AppendArg(std::string& s, ORVN_SynthesisCallback f) { AppendHex(s, reinterpret_cast<std::uintptr_t>(f)); }

template <class... A>
std::string FormatCall(const char* name, const A&... args) {
  std::string s = name != nullptr ? name : "?";
  s += '(';
  bool first = true;
  ((s += first ? "" : ", ", first = false, AppendArg(s, args)), ...);
  s += ')';
  return s;
}

void Put(int32_t* out, int32_t value) noexcept {
  if (out != nullptr) *out = value;
}
void WriteOutputs(const Forced& f, int32_t* first, int32_t* second) noexcept {
  if (!f.hasOutputs) return;
  Put(first, f.first);
  Put(second, f.second);
}

// Copies `text` into a zero-padded field of `size` bytes, always NUL-terminated.
void PutText(unsigned char* field, std::size_t size, std::string_view text) noexcept {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

bool FileReadable(const char* path) {
  std::string probe;
  return path != nullptr && ReadFilePrefix(path, 1, probe);
}

}  // namespace

const char* ExportedName(int language, Op op) noexcept {
  if (language < 0 || language >= kLanguageCount || idx(op) < 0 || idx(op) >= kOpCount) return nullptr;
  return kNames.names[language][idx(op)];
}

bool FindExportedName(const char* name, int& language, Op& op) noexcept {
  if (name == nullptr) return false;
  for (int l = 0; l < kLanguageCount; ++l) {
    for (int o = 0; o < kOpCount; ++o) {
      const char* n = kNames.names[l][o];
      if (n != nullptr && std::strcmp(n, name) == 0) {
        language = l;
        op = static_cast<Op>(o);
        return true;
      }
    }
  }
  return false;
}

Engine* EngineAt(int32_t language) noexcept {
  // Built on first use and never destroyed.
  static Engine* const kEngines[kLanguageCount] = {new Engine(0), new Engine(1), new Engine(2), new Engine(3)};
  return language >= 0 && language < kLanguageCount ? kEngines[language] : nullptr;
}

// ---- common machinery --------------------------------------------------------

// Logs the call, runs its test hook (outside the engine's lock, as an engine
// that calls back into the library would) and returns its forced answer, if
// any.
template <class... A>
Forced Engine::Enter(Op op, const A&... args) {
  std::string line = FormatCall(ExportedName(language_, op), args...);
  Hook hook;
  {
    std::lock_guard lock(mutex_);
    if (log_.size() < kLogCapacity) log_.push_back(std::move(line));
    hook = hooks_[idx(op)];
  }
  if (hook.function != nullptr) hook.function(hook.argument);
  std::lock_guard lock(mutex_);
  return forced_[idx(op)];
}

// Only a handle found among the live channels is ever dereferenced.
Channel* Engine::FindLocked(const void* handle) const {
  const auto it = channels_.find(handle);
  return it == channels_.end() ? nullptr : it->second.get();
}

template <class T>
int32_t Engine::SetField(Op op, ENGINE_HANDLE handle, T Channel::*field, T value) {
  return Guarded(0, [&] {
    const Forced f = Enter(op, handle, value);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    Channel* c = FindLocked(handle);
    if (c == nullptr) return 0;
    c->*field = value;
    return 1;
  });
}

template <class T>
int32_t Engine::GetField(Op op, ENGINE_HANDLE handle, T Channel::*field) {
  return Guarded(0, [&] {
    const Forced f = Enter(op, handle);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    const Channel* c = FindLocked(handle);
    return c == nullptr ? 0 : static_cast<int32_t>(c->*field);
  });
}

// ---- voices --------------------------------------------------------------------

int32_t Engine::load(const char* directory, uint32_t option, int32_t speaker) noexcept {
  return Guarded(LoadRefused(), [&] {
    const Forced f = Enter(Op::load, directory, option, speaker);
    if (f.active) return f.result;
    if (directory == nullptr || speaker < 0 || speaker >= kSpeakerCount) return LoadRefused();
    {
      std::lock_guard lock(mutex_);
      if (refused_[speaker]) return LoadRefused();
    }
    // The caller releases `directory` after the call: keep a copy.
    auto voice = std::make_shared<Voice>();
    voice->speaker = speaker;
    voice->loadOption = option;
    voice->directory = directory;
    const std::string path = voice->directory + kLanguageCodes[language_] + "-" + std::to_string(speaker) + ".voice";
    // A refused reload leaves the voice loaded before it in place.
    if (!LoadVoiceDescriptor(path, voice->descriptor).Ok()) return LoadRefused();
    // An unknown synthesiser voice, or one this build cannot speak with, is refused here and never at speak.
    if (OpenBackend(voice->descriptor, language_, voice->backend) != BackendError::kNone) return LoadRefused();
    std::lock_guard lock(mutex_);
    voices_[speaker] = std::move(voice);
    return LoadSucceeded();
  });
}

int32_t Engine::unload(int32_t speaker) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::unload, speaker);
    if (f.active) return f.result;
    std::shared_ptr<const Voice> dropped;  // released outside the lock
    std::lock_guard lock(mutex_);
    if (speaker >= 0 && speaker < kSpeakerCount) dropped = std::exchange(voices_[speaker], nullptr);
    return 1;
  });
}

int32_t Engine::engineInfo(void* record101) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::engineInfo, record101);
    if (f.active) return f.result;
    if (record101 == nullptr) return 0;
    auto* rec = static_cast<unsigned char*>(record101);
    PutText(rec, 40, kLanguageNames[language_]);
    PutText(rec + 40, 40, kEngineNames[language_]);
    PutText(rec + 80, 20, BackendVersionText());
    rec[100] = static_cast<unsigned char>(language_);
    return 1;
  });
}

int32_t Engine::dbInfo(int32_t speaker, void* record48) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::dbInfo, speaker, record48);
    if (f.active) return f.result;
    if (record48 == nullptr) return 0;
    std::optional<int32_t> forcedStatus;
    std::shared_ptr<const Voice> voice;
    if (speaker >= 0 && speaker < kSpeakerCount) {
      std::lock_guard lock(mutex_);
      forcedStatus = forcedDbStatus_[speaker];
      voice = voices_[speaker];
    }
    auto* rec = static_cast<unsigned char*>(record48);
    // The status names the voice's backend: 0 tone, 1 espeak-ng, 2 flite.
    const int32_t status = forcedStatus.value_or(voice ? static_cast<int32_t>(voice->descriptor.kind) : -1);
    std::memcpy(rec, &status, sizeof status);
    if (status == -1) {
      if (forcedStatus) {
        // Bait for the caller: with status -1 none of this may be passed on.
        const int32_t bogusRate = 12345;
        PutText(rec + 4, 20, "junk");
        std::memcpy(rec + 44, &bogusRate, sizeof bogusRate);
      }
      return 1;
    }
    const int32_t rate = voice ? voice->descriptor.rate : 0;
    PutText(rec + 4, 20, voice ? voice->descriptor.name : "");
    // The synthesiser's voice name where there is one (the status says which backend), else the backend's.
    PutText(rec + 24, 20,
            !voice                               ? ""
            : voice->descriptor.voice[0] != '\0' ? voice->descriptor.voice
                                                 : voice->descriptor.backend);
    std::memcpy(rec + 44, &rate, sizeof rate);
    return 1;
  });
}

int32_t Engine::DefaultsAs(const Forced& f, int32_t* out1, int32_t* out2, int32_t top) {
  if (f.active) {
    WriteOutputs(f, out1, out2);
    return f.result;
  }
  Put(out1, kDefaultValue);
  Put(out2, top);
  return 1;
}

int32_t Engine::pitchDefault(int32_t speaker, int32_t* out1, int32_t* out2) noexcept {
  return Guarded(0, [&] { return DefaultsAs(Enter(Op::pitchDefault, speaker, out1, out2), out1, out2, kPitchTop); });
}
int32_t Engine::pitchDefault(int32_t* out1, int32_t* out2) noexcept {
  return Guarded(0, [&] { return DefaultsAs(Enter(Op::pitchDefault, out1, out2), out1, out2, kPitchTop); });
}
int32_t Engine::speedDefault(int32_t* out1, int32_t* out2) noexcept {
  return Guarded(0, [&] { return DefaultsAs(Enter(Op::speedDefault, out1, out2), out1, out2, kSpeedTop); });
}
int32_t Engine::volumeDefault(int32_t* out1, int32_t* out2) noexcept {
  return Guarded(0, [&] { return DefaultsAs(Enter(Op::volumeDefault, out1, out2), out1, out2, kVolumeTop); });
}

// ---- channels ------------------------------------------------------------------

ENGINE_HANDLE Engine::CreateChannel(void* userData, ORVN_SynthesisCallback callback, int32_t speaker) {
  if (speaker < 0 || speaker >= kSpeakerCount) return nullptr;
  auto channel = std::make_shared<Channel>();
  channel->head.language = language_;
  channel->head.speaker = speaker;
  channel->userData = userData;
  channel->callback = callback;
  std::lock_guard lock(mutex_);
  channel->voice = voices_[speaker];
  if (!channel->voice) return nullptr;
  ENGINE_HANDLE handle = &channel->head;
  channels_.emplace(handle, std::move(channel));
  return handle;
}

ENGINE_HANDLE Engine::create(void* userData, ORVN_SynthesisCallback callback, int32_t speaker,
                             int32_t reserved) noexcept {
  return Guarded<ENGINE_HANDLE>(nullptr, [&]() -> ENGINE_HANDLE {
    const Forced f = Enter(Op::create, userData, callback, speaker, reserved);
    if (f.active && f.result == 0) return nullptr;
    return CreateChannel(userData, callback, speaker);
  });
}

ENGINE_HANDLE Engine::create(void* userData, ORVN_SynthesisCallback callback, int32_t speaker) noexcept {
  return Guarded<ENGINE_HANDLE>(nullptr, [&]() -> ENGINE_HANDLE {
    const Forced f = Enter(Op::create, userData, callback, speaker);
    if (f.active && f.result == 0) return nullptr;
    return CreateChannel(userData, callback, speaker);
  });
}

int32_t Engine::destroy(ENGINE_HANDLE handle) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::destroy, handle);
    if (f.active) return f.result;
    std::shared_ptr<Channel> dropped;  // freed outside the lock (or after a running speak)
    std::lock_guard lock(mutex_);
    const auto it = channels_.find(handle);
    if (it == channels_.end()) return 0;
    dropped = std::move(it->second);
    channels_.erase(it);
    return 1;
  });
}

int32_t Engine::changeSpeaker(ENGINE_HANDLE handle, int32_t speaker) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::changeSpeaker, handle, speaker);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    Channel* c = FindLocked(handle);
    if (c == nullptr || speaker < 0 || speaker >= kSpeakerCount || !voices_[speaker]) return 0;
    // The channel speaks with the new voice from now on, but its head keeps
    // the speaker it was counted against: the library takes the channel off
    // that speaker when it is deleted, so the counters balance whatever
    // speakers the channel visits.
    c->voice = voices_[speaker];
    return 1;
  });
}

int32_t Engine::changeAttr(ENGINE_HANDLE handle, const char* tag) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::changeAttr, handle, tag);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    Channel* c = FindLocked(handle);
    if (c == nullptr || tag == nullptr) return 0;
    return ParseAttributeTags(tag, c->attrs) ? 1 : 0;
  });
}

int32_t Engine::setOutBufSize(ENGINE_HANDLE handle, int32_t size) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::setOutBufSize, handle, size);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    Channel* c = FindLocked(handle);
    if (c == nullptr) return 0;
    c->outBufSize = size;
    return 1;
  });
}

// The stored options: (setter, getter, field).
#define SYN_CHANNEL_OPTIONS(X)                         \
  X(setTextFormat, getTextFormat, textFormat, int8_t)  \
  X(setCharSet, getCharSet, charSet, int8_t)           \
  X(setLipSync, getLipSync, lipSync, int8_t)           \
  X(setHighLight, getHighLight, highLight, int8_t)     \
  X(setByteSwap, getByteSwap, byteSwap, int8_t)        \
  X(setReadGwalho, getReadGwalho, readGwalho, int32_t) \
  X(setSentDelimLF, getSentDelimLF, sentDelimLF, int32_t)

#define SYN_DEFINE_OPTION_(setter, getter, field, type)                \
  int32_t Engine::setter(ENGINE_HANDLE handle, type value) noexcept {  \
    return SetField<type>(Op::setter, handle, &Channel::field, value); \
  }                                                                    \
  int32_t Engine::getter(ENGINE_HANDLE handle) noexcept { return GetField<type>(Op::getter, handle, &Channel::field); }
SYN_CHANNEL_OPTIONS(SYN_DEFINE_OPTION_)
#undef SYN_DEFINE_OPTION_

int32_t Engine::setPauseLength(ENGINE_HANDLE handle, int32_t first, int32_t second) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::setPauseLength, handle, first, second);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    Channel* c = FindLocked(handle);
    if (c == nullptr) return 0;
    c->pauseFirst = first;
    c->pauseSecond = second;
    return 1;
  });
}

int32_t Engine::getPauseLength(ENGINE_HANDLE handle, int32_t* first, int32_t* second) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::getPauseLength, handle, first, second);
    if (f.active) {
      WriteOutputs(f, first, second);
      return f.result;
    }
    std::lock_guard lock(mutex_);
    const Channel* c = FindLocked(handle);
    if (c == nullptr) return 0;
    Put(first, c->pauseFirst);
    Put(second, c->pauseSecond);
    return 1;
  });
}

// ---- user dictionaries -------------------------------------------------------------

int32_t Engine::LoadDictAs(Op op, ENGINE_HANDLE handle, const char* path, int32_t* first, int32_t* second) {
  return Guarded(0, [&] {
    const Forced f = Enter(op, handle, path, first, second);
    if (f.active) {
      WriteOutputs(f, first, second);
      return f.result;
    }
    {
      std::lock_guard lock(mutex_);
      if (FindLocked(handle) == nullptr) return 0;
    }
    // Read and parse outside the lock; the channel keeps its old dictionary on failure.
    auto dictionary = std::make_shared<UserDictionary>();
    const DictResult r = LoadUserDictionary(path, *dictionary);
    if (r.error != DictError::kNone) {
      Put(first, static_cast<int32_t>(r.error));
      Put(second, r.line);
      return 0;
    }
    std::shared_ptr<const UserDictionary> replaced;  // released outside the lock
    {
      std::lock_guard lock(mutex_);
      Channel* c = FindLocked(handle);
      if (c == nullptr) return 0;  // destroyed meanwhile
      replaced = std::exchange(c->dictionary, std::move(dictionary));
    }
    Put(first, r.entries);
    Put(second, 0);
    return 1;
  });
}

int32_t Engine::loadDict(ENGINE_HANDLE handle, const char* path, int32_t* first, int32_t* second) noexcept {
  return LoadDictAs(Op::loadDict, handle, path, first, second);
}
int32_t Engine::changeDict(ENGINE_HANDLE handle, const char* path, int32_t* first, int32_t* second) noexcept {
  return LoadDictAs(Op::changeDict, handle, path, first, second);
}

int32_t Engine::unloadDict(ENGINE_HANDLE handle) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::unloadDict, handle);
    if (f.active) return f.result;
    std::shared_ptr<const UserDictionary> dropped;
    std::lock_guard lock(mutex_);
    Channel* c = FindLocked(handle);
    if (c == nullptr) return 0;
    dropped = std::exchange(c->dictionary, nullptr);
    return 1;
  });
}

// ---- effect database -------------------------------------------------------------

int32_t Engine::loadEffectDb(const char* path1, const char* path2, int32_t mode, int32_t value) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::loadEffectDb, path1, path2, mode, value);
    if (f.active) return f.result;
    if (!FileReadable(path1) || !FileReadable(path2)) return 0;
    std::lock_guard lock(mutex_);
    effectDbLoaded_ = true;
    return 1;
  });
}

int32_t Engine::unloadEffectDb() noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::unloadEffectDb);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    effectDbLoaded_ = false;
    return 1;
  });
}

int32_t Engine::setEffectTagRead(int32_t value) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::setEffectTagRead, value);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    effectTagRead_ = value;
    return 1;
  });
}

int32_t Engine::getEffectTagRead() noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::getEffectTagRead);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    return effectTagRead_;
  });
}

// ---- synthesis -----------------------------------------------------------------

int32_t Engine::SpeakAs(Op op, ENGINE_HANDLE handle, const char* text, int32_t mode) {
  return Guarded(0, [&] {
    const Forced f = Enter(op, handle, text, mode);
    if (f.active) return f.result;

    // Take what the request needs, then let go of the lock: the callback may
    // call back into the engine.
    std::shared_ptr<Channel> channel;  // keeps the channel alive for the whole request
    std::shared_ptr<const Voice> voice;
    std::shared_ptr<const UserDictionary> dictionary;
    Attributes attrs;
    int32_t outBufSize = 0;
    bool swapBytes = false;
    {
      std::lock_guard lock(mutex_);
      const auto it = channels_.find(handle);
      if (it == channels_.end()) return 0;
      channel = it->second;
      voice = channel->voice;
      dictionary = channel->dictionary;
      attrs = channel->attrs;
      outBufSize = channel->outBufSize;
      swapBytes = channel->byteSwap == 1;
      channel->stopRequested.store(false, std::memory_order_release);
    }
    if (text == nullptr || !voice) return 0;

    // The dictionary's words and readings are written in the engine's own
    // code, so it rewrites the raw bytes; only then are they decoded, and the
    // backend hears characters.
    std::string replaced;
    std::string_view body = text;
    if (dictionary) {
      replaced = dictionary->Apply(body);
      body = replaced;
    }
    std::u32string characters;
    DecodeText(language_, body, characters);
    if (characters.empty() || channel->callback == nullptr) return 1;
    return Synthesize(characters, *voice, attrs, outBufSize,
                      {channel->callback, channel->userData, swapBytes, &channel->stopRequested})
               ? 1
               : 0;
  });
}

// A set buffer size is used as given, rounded down to whole samples; otherwise chunks hold 100 ms of audio.
bool Engine::Synthesize(std::u32string_view characters, const Voice& voice, const Attributes& attrs, int32_t outBufSize,
                        const ChunkTarget& target) {
  const int32_t rate = voice.descriptor.rate;
  const std::size_t chunkSamples =
      outBufSize >= 2 ? static_cast<std::size_t>(outBufSize / 2) : static_cast<std::size_t>(rate / 10);
  return SpeakText(*voice.backend, characters, attrs, rate, chunkSamples, target);
}

int32_t Engine::speak(ENGINE_HANDLE handle, const char* text, int32_t mode) noexcept {
  return SpeakAs(Op::speak, handle, text, mode);
}
int32_t Engine::speakName(ENGINE_HANDLE handle, const char* text, int32_t mode) noexcept {
  return SpeakAs(Op::speakName, handle, text, mode);
}
int32_t Engine::speakSms(ENGINE_HANDLE handle, const char* text, int32_t mode) noexcept {
  return SpeakAs(Op::speakSms, handle, text, mode);
}

int32_t Engine::stop(ENGINE_HANDLE handle) noexcept {
  return Guarded(0, [&] {
    const Forced f = Enter(Op::stop, handle);
    if (f.active) return f.result;
    std::lock_guard lock(mutex_);
    Channel* c = FindLocked(handle);
    if (c == nullptr) return 0;
    c->stopRequested.store(true, std::memory_order_release);
    return 1;
  });
}

// ---- test control ------------------------------------------------------------------

void Engine::ResetTestState() {
  std::lock_guard lock(mutex_);
  forced_.fill(Forced{});
  refused_.fill(false);
  forcedDbStatus_.fill(std::nullopt);
  hooks_.fill(Hook{});
  log_.clear();
}

void Engine::SetForced(Op op, const Forced& forced) {
  std::lock_guard lock(mutex_);
  forced_[idx(op)] = forced;
}

Forced Engine::ForcedAnswer(Op op) {
  std::lock_guard lock(mutex_);
  return forced_[idx(op)];
}

void Engine::SetHook(Op op, void (*function)(void*), void* argument) {
  std::lock_guard lock(mutex_);
  hooks_[idx(op)] = {function, argument};
}

void Engine::ForceDbStatus(int32_t speaker, int32_t status) {
  if (speaker < 0 || speaker >= kSpeakerCount) return;
  std::lock_guard lock(mutex_);
  forcedDbStatus_[speaker] = status;
}

void Engine::RefuseSpeaker(int32_t speaker, bool refuse) {
  if (speaker < 0 || speaker >= kSpeakerCount) return;
  std::lock_guard lock(mutex_);
  refused_[speaker] = refuse;
}

int32_t Engine::LogCount() {
  std::lock_guard lock(mutex_);
  return static_cast<int32_t>(log_.size());
}

int32_t Engine::LogEntry(int32_t index, char* buffer, int32_t size) {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<std::size_t>(index) >= log_.size()) return -1;
  const std::string& entry = log_[static_cast<std::size_t>(index)];
  if (buffer != nullptr && size > 0) {
    const std::size_t n = std::min(entry.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, entry.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int32_t>(entry.size());
}

void Engine::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

int32_t Engine::OpenChannels() {
  std::lock_guard lock(mutex_);
  return static_cast<int32_t>(channels_.size());
}

}  // namespace syn

extern "C" SYNCORE_API syn::LanguageEngine* SynCore_Engine(int32_t language) { return syn::EngineAt(language); }
