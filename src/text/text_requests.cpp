// Text, name and SMS requests: check the channel and the text, convert it to
// the engine's code, strip its markup, hold it against the voice's text
// limit, and hand it to the engine's speak operation. The audio goes to the
// channel's callback from inside that operation, not through this path.
#include <cstdlib>
#include <cstring>

#include "api/checks.h"
#include "api/engine_table.h"
#include "api/library.h"
#include "engine/engine_ops.h"
#include "text/code_pages.h"
#include "text/markup.h"
#include "text/requests.h"

using namespace orven;
using text::Converted;
using text::OwnedText;

namespace {

enum class Reading { Text, Name, Sms };

constexpr int32_t kUtf8Input = 1;   // character-set code: callers hand the channel UTF-8
constexpr int32_t kTaggedText = 1;  // text format code: the text carries markup
constexpr int32_t kMarkupMode = 1;  // the one request mode in which markup is stripped

bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

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
    case ORVN_KOREAN: return text::Utf8ToKorean(copy.bytes.get());
    case ORVN_CHINESE: return text::Utf8ToChinese(copy.bytes.get());
    case ORVN_JAPANESE: return text::Utf8ToJapanese(copy.bytes.get());
    default: {
      const bool bom = copy.length >= 3 && std::memcmp(copy.bytes.get(), "\xEF\xBB\xBF", 3) == 0;
      *send = copy.bytes.get() + (bom ? 3 : 0);
      *length = copy.length - (bom ? 3 : 0);
      return {};
    }
  }
}

int32_t Speak(const EngineOps& engine, Reading reading, ORVN_CHANNEL channel, const char* text, int32_t mode) {
  switch (reading) {
    case Reading::Name: return engine.speakName(channel, text, mode);
    case Reading::Sms: return engine.speakSms(channel, text, mode);
    default: return engine.speak(channel, text, mode);
  }
}

// Every buffer made here is owned by a local and released on every return.
int32_t RunRequest(ORVN_CHANNEL channel, const char* text, int32_t mode, Reading reading) {
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  if (IsEmpty(text)) return Fail(ORVN_ERR_INVALID_ARG);
  if (reading != Reading::Text && at.language != ORVN_KOREAN) return Fail(ORVN_ERR_KOREAN_ONLY);

  // Without memory for the working copy the text cannot be prepared at all,
  // which callers see as a text that could not be converted.
  const Converted copy = CopyText(text);
  if (!copy) return Fail(ORVN_ERR_CONVERSION);
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
    stripped = text::StripMarkup(send);
    if (!stripped) return 0;  // the stripper has left -22 in the last error
    converted = Converted{};  // the text before stripping is no longer needed
    send = stripped.bytes.get();
    length = stripped.length;
    // Stripped of its tags, a name or SMS text is read as ordinary text.
    reading = Reading::Text;
  }

  const uint32_t limit = SlotAt(at.language, at.speaker).textLimit.get();
  if (limit > 0 && length > limit) return Fail(ORVN_ERR_TEXT_LIMIT);
  return Speak(engine, reading, channel, send, mode);
}

}  // namespace

ORVN_API(int32_t) ORVN_TextToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) {
  return RunRequest(channel, text, mode, Reading::Text);
}

ORVN_API(int32_t) ORVN_NameToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) {
  return RunRequest(channel, text, mode, Reading::Name);
}

ORVN_API(int32_t) ORVN_SMSToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) {
  return RunRequest(channel, text, mode, Reading::Sms);
}

ORVN_API(int32_t) ORVN_StopTextToSpeech(ORVN_CHANNEL channel) {
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  // Making a stop from another thread safe is the engine's business.
  EngineFor(at.language).stop(channel);
  return 1;
}
