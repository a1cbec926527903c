// PCM buffer mode: one text, name or SMS request run with a caller-chosen
// engine output buffer size, which is put back to ordinary buffering after.
#include <cstdlib>
#include <cstring>

#include "api/checks.h"
#include "api/library.h"
#include "engine/engine_ops.h"
#include "text/requests.h"
#include "text/utf8.h"

using namespace orven;

namespace {

constexpr int32_t kSmallestBuffer = 1024;
constexpr int32_t kLargestBuffer = 64000;
constexpr int32_t kOrdinaryBuffering = 0;

using Request = int32_t(ORVN_STDCALL_*)(ORVN_CHANNEL, const char*, int32_t);

int32_t RunBuffered(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size, Request request,
                    bool koreanOnly) {
  ChannelSlot at;
  if (int32_t check = ValidateChannel(channel, &at); check != ORVN_OK) return check;
  if (text == nullptr || text[0] == '\0') return Fail(ORVN_ERR_INVALID_ARG);
  if (size < kSmallestBuffer || size > kLargestBuffer) return Fail(ORVN_ERR_RANGE);
  if (koreanOnly && at.language != ORVN_KOREAN) return Fail(ORVN_ERR_KOREAN_ONLY);

  const size_t length = std::strlen(text);
  text::OwnedText copy(static_cast<char*>(std::malloc(length + 1)));
  if (!copy) return Fail(ORVN_ERR_CONVERSION);
  std::memcpy(copy.get(), text, length + 1);

  SetChannelOutBufSize(channel, size);
  const int32_t result = request(channel, copy.get(), mode);
  // Whatever the request did, the channel goes back to ordinary buffering,
  // which leaves the last error at 0: the returned value tells the outcome.
  SetChannelOutBufSize(channel, kOrdinaryBuffering);
  return result;
}

}  // namespace

namespace orven {

void SetChannelOutBufSize(ORVN_CHANNEL channel, int32_t size) {
  ChannelSlot at;
  if (ValidateChannel(channel, &at) != ORVN_OK) return;
  EngineFor(at.language).setOutBufSize(channel, size);
  SetLastError(ORVN_OK);
}

}  // namespace orven

ORVN_API(int32_t) ORVN_TextToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) {
  return RunBuffered(channel, text, mode, size, ORVN_TextToSpeech, false);
}

ORVN_API(int32_t) ORVN_NameToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) {
  return RunBuffered(channel, text, mode, size, ORVN_NameToSpeech, true);
}

ORVN_API(int32_t) ORVN_SMSToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) {
  return RunBuffered(channel, text, mode, size, ORVN_SMSToSpeech, true);
}
