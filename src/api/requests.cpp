// Text, name and SMS requests, and the same in PCM buffer mode: check the
// channel and the text, convert the text to the engine's code, strip its
// markup, hold it against the voice's text limit, and hand it to the
// engine's speak operation. The audio goes to the channel's callback from
// inside that operation, not through this path.
#include <cstdlib>
#include <cstring>

#include "api/internal.h"
#include "core/checks.h"
#include "core/engine_table.h"
#include "core/library.h"
#include "engine/engine_ops.h"
#include "text/code_pages.h"
#include "text/markup.h"

using namespace orven;
using api::Reading;
using text::Converted;
using text::OwnedText;

namespace {

constexpr int32_t kUtf8Input = 1;   // character-set code: callers hand the channel UTF-8
constexpr int32_t kTaggedText = 1;  // text format code: the text carries markup
constexpr int32_t kMarkupMode = 1;  // the one request mode in which markup is stripped
constexpr int32_t kSmallestBuffer = 1024;
constexpr int32_t kLargestBuffer = 64000;
constexpr int32_t kOrdinaryBuffering = 0;

// The checks every request runs before it touches the text, in order: the
// channel, the text, the buffer size (PCM buffer mode only), the language
// for a name or SMS reading.
int32_t CheckRequest(ORVN_CHANNEL channel, const char* text, Reading reading, const int32_t* bufferSize,
                     ChannelSlot* at) {
  if (int32_t check = ValidateChannel(channel, at); check != ORVN_OK) return check;
  if (IsNullOrEmpty(text)) return Fail(ORVN_ERR_INVALID_ARG);
  if (bufferSize != nullptr && (*bufferSize < kSmallestBuffer || *bufferSize > kLargestBuffer)) {
    return Fail(ORVN_ERR_RANGE);
  }
  if (reading != Reading::kText && at->language != ORVN_KOREAN) return Fail(ORVN_ERR_KOREAN_ONLY);
  return ORVN_OK;
}

// A private zero-terminated copy of the caller's text; null without memory.
Converted CopyText(const char* text) {
  const size_t length = std::strlen(text);
  OwnedText copy(static_cast<char*>(std::malloc(length + 1)));
  if (copy) std::memcpy(copy.get(), text, length + 1);
  return {std::move(copy), length};
}

// The text as the channel's engine reads it, when the channel takes UTF-8.
// English keeps its UTF-8 and only loses a leading byte-order mark; a view
// into the working copy is enough then.
Converted ConvertForEngine(int32_t language, const Converted& copy, const char** send, size_t* length) {
  switch (language) {
    case ORVN_KOREAN:
      return text::Utf8ToKorean(copy.bytes.get());
    case ORVN_CHINESE:
      return text::Utf8ToChinese(copy.bytes.get());
    case ORVN_JAPANESE:
      return text::Utf8ToJapanese(copy.bytes.get());
    default: {
      const bool bom = copy.length >= 3 && std::memcmp(copy.bytes.get(), "\xEF\xBB\xBF", 3) == 0;
      *send = copy.bytes.get() + (bom ? 3 : 0);
      *length = copy.length - (bom ? 3 : 0);
      return {};
    }
  }
}

int32_t SpeakAs(const EngineOps& engine, Reading reading, ORVN_CHANNEL channel, const char* text, int32_t mode) {
  switch (reading) {
    case Reading::kName:
      return engine.speakName(channel, text, mode);
    case Reading::kSms:
      return engine.speakSms(channel, text, mode);
    default:
      return engine.speak(channel, text, mode);
  }
}

// The request proper, on a channel that passed its checks, with the
// request's own working copy of the text. Every buffer made here is owned
// by a local and released on every return.
int32_t Run(const ChannelSlot& at, ORVN_CHANNEL channel, const Converted& copy, int32_t mode, Reading reading) {
  const EngineOps& engine = EngineFor(at.language);
  const auto charSet = static_cast<int8_t>(engine.getCharSet(channel));
  const auto textFormat = static_cast<int8_t>(engine.getTextFormat(channel));

  const char* send = copy.bytes.get();
  size_t length = copy.length;
  Converted converted;
  if (charSet == kUtf8Input) {
    converted = ConvertForEngine(at.language, copy, &send, &length);
    if (at.language != ORVN_ENGLISH) {
      if (!converted) return Fail(ORVN_ERR_CONVERSION);
      send = converted.bytes.get();
      length = converted.length;
    }
  }

  Converted stripped;
  if (textFormat == kTaggedText && mode == kMarkupMode) {
    if (text::StripMarkup(send, stripped) == text::MarkupStatus::kMalformed) Fail(ORVN_ERR_MARKUP);
    // Malformed markup, or no memory for the stripped text: nothing is spoken.
    if (!stripped) return 0;
    converted = Converted{};  // the text before stripping is no longer needed
    send = stripped.bytes.get();
    length = stripped.length;
    // Stripped of its tags, a name or SMS text is read as ordinary text.
    reading = Reading::kText;
  }

  const uint32_t limit = SlotAt(at.language, at.speaker).textLimit.Get();
  if (limit > 0 && length > limit) return Fail(ORVN_ERR_TEXT_LIMIT);
  return SpeakAs(engine, reading, channel, send, mode);
}

}  // namespace

int32_t api::Speak(ORVN_CHANNEL channel, const char* text, int32_t mode, Reading reading) {
  ChannelSlot at;
  if (int32_t check = CheckRequest(channel, text, reading, nullptr, &at); check != ORVN_OK) return check;
  // Without memory for the working copy the text cannot be prepared at all,
  // which callers see as a text that could not be converted.
  const Converted copy = CopyText(text);
  if (!copy) return Fail(ORVN_ERR_CONVERSION);
  return Run(at, channel, copy, mode, reading);
}

int32_t api::SpeakBuffered(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size, Reading reading) {
  ChannelSlot at;
  if (int32_t check = CheckRequest(channel, text, reading, &size, &at); check != ORVN_OK) return check;
  const Converted copy = CopyText(text);
  if (!copy) return Fail(ORVN_ERR_CONVERSION);
  // The size holds for this one request. Whatever the request did, the
  // channel goes back to ordinary buffering, which leaves the last error at
  // 0: the returned value tells the outcome.
  const EngineOps& engine = EngineFor(at.language);
  engine.setOutBufSize(channel, size);
  SetLastError(ORVN_OK);
  const int32_t result = Run(at, channel, copy, mode, reading);
  engine.setOutBufSize(channel, kOrdinaryBuffering);
  SetLastError(ORVN_OK);
  return result;
}

int32_t api::StopSpeaking(ORVN_CHANNEL channel) {
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  // Making a stop from another thread safe is the engine's business.
  EngineFor(at.language).stop(channel);
  return 1;
}

ORVN_API(int32_t) ORVN_TextToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) noexcept {
  return api::Speak(channel, text, mode, Reading::kText);
}

ORVN_API(int32_t) ORVN_NameToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) noexcept {
  return api::Speak(channel, text, mode, Reading::kName);
}

ORVN_API(int32_t) ORVN_SMSToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) noexcept {
  return api::Speak(channel, text, mode, Reading::kSms);
}

ORVN_API(int32_t) ORVN_StopTextToSpeech(ORVN_CHANNEL channel) noexcept { return api::StopSpeaking(channel); }

ORVN_API(int32_t) ORVN_TextToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) noexcept {
  return api::SpeakBuffered(channel, text, mode, size, Reading::kText);
}

ORVN_API(int32_t) ORVN_NameToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) noexcept {
  return api::SpeakBuffered(channel, text, mode, size, Reading::kName);
}

ORVN_API(int32_t) ORVN_SMSToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) noexcept {
  return api::SpeakBuffered(channel, text, mode, size, Reading::kSms);
}
