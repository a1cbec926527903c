// engine_core.h - SYNCORE's per-language engine state (internal to SYNCORE).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "pcm_output.h"
#include "speech_backend.h"
#include "syncore.h"
#include "text_rules.h"
#include "voice_descriptor.h"

namespace syn {

// Every engine operation, in the order of the tables in engine_abi.h.
enum class Op : int {
#define SYN_OP_COMMON_(ret, op, kor, eng, chi, jap, params, args) op,
#define SYN_OP_SPECIAL_(ret, op, name, params, args) op,
  ORVN_ENGINE_COMMON_OPS(SYN_OP_COMMON_) ORVN_ENGINE_KOREAN_OPS(SYN_OP_SPECIAL_)
#undef SYN_OP_COMMON_
#undef SYN_OP_SPECIAL_
      kCount
};
inline constexpr int kOpCount = static_cast<int>(Op::kCount);
inline constexpr int kLanguageCount = 4;
inline constexpr int32_t kSpeakerCount = 10;  // speakers 0..9 can be loaded
inline constexpr std::size_t kLogCapacity = 100000;

// The exported name of `op` in `language` (null for a Korean-only operation elsewhere).
const char* ExportedName(int language, Op op) noexcept;
// Finds the language and operation of an exported name.
bool FindExportedName(const char* name, int& language, Op& op) noexcept;

struct Voice {
  int32_t speaker = 0;
  uint32_t loadOption = 0;
  std::string directory;
  VoiceDescriptor descriptor;
  std::shared_ptr<const SpeechBackend> backend;  // shared by every channel on the voice
};

struct Channel {
  ORVN_ChannelHead head{};  // the handle points here
  void* userData = nullptr;
  ORVN_SynthesisCallback callback = nullptr;
  int8_t textFormat = 0;
  int8_t charSet = 0;
  int8_t lipSync = 0;
  int8_t highLight = 0;
  int8_t byteSwap = 0;
  int32_t readGwalho = 0;
  int32_t sentDelimLF = 1;
  int32_t pauseFirst = 0;
  int32_t pauseSecond = 0;
  int32_t outBufSize = 0;
  Attributes attrs;
  std::shared_ptr<const Voice> voice;
  std::shared_ptr<const UserDictionary> dictionary;
  std::atomic<bool> stopRequested{false};
};

// A forced answer set through the test-control interface.
struct Forced {
  bool active = false;
  int32_t result = 0;
  bool hasOutputs = false;
  int32_t first = 0;
  int32_t second = 0;
};

class Engine final : public LanguageEngine {
 public:
  explicit Engine(int language) noexcept : language_(language) {}

#define SYN_OVERRIDE_COMMON_(ret, op, kor, eng, chi, jap, params, args) ret op params noexcept override;
#define SYN_OVERRIDE_SPECIAL_(ret, op, name, params, args) ret op params noexcept override;
#define SYN_OVERRIDE_OTHER_(ret, op, eng, chi, jap, params, args) ret op params noexcept override;
  ORVN_ENGINE_COMMON_OPS(SYN_OVERRIDE_COMMON_)
  ORVN_ENGINE_KOREAN_OPS(SYN_OVERRIDE_SPECIAL_)
  ORVN_ENGINE_OTHER_OPS(SYN_OVERRIDE_OTHER_)
#undef SYN_OVERRIDE_COMMON_
#undef SYN_OVERRIDE_SPECIAL_
#undef SYN_OVERRIDE_OTHER_

  // Test control.
  void ResetTestState();
  void SetForced(Op op, const Forced& forced);
  Forced ForcedAnswer(Op op);
  void ForceDbStatus(int32_t speaker, int32_t status);
  void SetHook(Op op, void (*function)(void*), void* argument);
  void RefuseSpeaker(int32_t speaker, bool refuse);
  int32_t LogCount();
  int32_t LogEntry(int32_t index, char* buffer, int32_t size);
  void ClearLog();
  int32_t OpenChannels();

 private:
  template <class... A>
  Forced Enter(Op op, const A&... args);
  Channel* FindLocked(const void* handle) const;
  ENGINE_HANDLE CreateChannel(void* userData, ORVN_SynthesisCallback callback, int32_t speaker);
  int32_t SpeakAs(Op op, ENGINE_HANDLE handle, const char* text, int32_t mode);
  bool Synthesize(std::u32string_view characters, const Voice& voice, const Attributes& attrs, int32_t outBufSize,
                  const ChunkTarget& target);
  int32_t DefaultsAs(const Forced& forced, int32_t* out1, int32_t* out2, int32_t top);
  int32_t LoadDictAs(Op op, ENGINE_HANDLE handle, const char* path, int32_t* first, int32_t* second);
  template <class T>
  int32_t SetField(Op op, ENGINE_HANDLE handle, T Channel::*field, T value);
  template <class T>
  int32_t GetField(Op op, ENGINE_HANDLE handle, T Channel::*field);
  int32_t LoadSucceeded() const noexcept { return language_ == 0 ? 0 : 1; }
  int32_t LoadRefused() const noexcept { return language_ == 0 ? -1 : 0; }

  const int language_;
  std::mutex mutex_;  // guards everything below and every channel's fields but the stop flag
  std::array<std::shared_ptr<const Voice>, kSpeakerCount> voices_{};
  std::unordered_map<const void*, std::shared_ptr<Channel>> channels_;
  bool effectDbLoaded_ = false;
  int32_t effectTagRead_ = 0;
  std::vector<std::string> log_;
  std::array<Forced, kOpCount> forced_{};
  std::array<bool, kSpeakerCount> refused_{};
  std::array<std::optional<int32_t>, kSpeakerCount> forcedDbStatus_{};
  struct Hook {
    void (*function)(void*) = nullptr;
    void* argument = nullptr;
  };
  std::array<Hook, kOpCount> hooks_{};
};

// The engine of language 0..3, null otherwise. Engines are never destroyed,
// so calls made while the process exits still find them.
Engine* EngineAt(int32_t language) noexcept;

}  // namespace syn
