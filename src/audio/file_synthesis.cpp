// File synthesis: a whole text, name or SMS request rendered into an audio
// file on a private channel whose callback is the file output step.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "api/checks.h"
#include "api/library.h"
#include "audio/file_output.h"
#include "audio/owned.h"
#include "options/option_defaults.h"

using namespace orven;
using namespace orven::audio;

namespace {

enum class Reading { Text, Name, Sms };

constexpr int32_t kMode = 1;  // file synthesis always speaks in mode 1

bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

int32_t Speak(Reading reading, ORVN_CHANNEL channel, const char* text) {
  switch (reading) {
    case Reading::Name: return ORVN_NameToSpeech(channel, text, kMode);
    case Reading::Sms: return ORVN_SMSToSpeech(channel, text, kMode);
    default: return ORVN_TextToSpeech(channel, text, kMode);
  }
}

int32_t SynthesizeToFile(Reading reading, int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                         int32_t outputRate, const char* text, const char* fileName, const char* attributes,
                         const char* dictionary) {
  if (int32_t check = ValidateVoice(language, speaker); check != ORVN_OK) return check;
  if (IsEmpty(text) || IsEmpty(fileName)) return Fail(ORVN_ERR_INVALID_ARG);
  // VOX only goes into headerless files.
  if ((fileType == kWaveFile || fileType == kAuFile) && encoding == kVoxAdpcm) return Fail(ORVN_ERR_INVALID_ARG);
  if (reading != Reading::Text && language != ORVN_KOREAN) return Fail(ORVN_ERR_KOREAN_ONLY);

  const size_t length = std::strlen(text);
  const HeapArray<char> copy = AllocateArray<char>(length + 1);
  if (!copy) return Fail(ORVN_ERR_NO_MEMORY);
  std::memcpy(copy.get(), text, length + 1);

  const OwnedFile file(std::fopen(fileName, "wb"));
  if (!file) return Fail(ORVN_ERR_FILE_OPEN);
  // Chunks arrive a few kilobytes at a time; a larger stream buffer turns
  // them into a few large writes. It is only a hint: without it the stream
  // keeps its own buffer.
  std::setvbuf(file.get(), nullptr, _IOFBF, 64 * 1024);
  const HeapObject<FileOutputRecord> record(static_cast<FileOutputRecord*>(std::malloc(sizeof(FileOutputRecord))));
  if (!record) return Fail(ORVN_ERR_NO_MEMORY);
  *record = {file.get(), fileType, encoding, 0, g_library.playbackRate.load(std::memory_order_relaxed), outputRate, 1};

  ORVN_CHANNEL channel = ORVN_CreateThread(record.get(), FileOutputCallback, language, speaker);
  if (channel == nullptr) {
    // Whatever kept the channel from being made (its limit too), the caller
    // learns that there was no channel; the empty file stays.
    return Fail(ORVN_ERR_CHANNEL_CREATE);
  }

  if (attributes != nullptr && attributes[0] == '<') ORVN_ChangeAttr(channel, attributes);
  ORVN_DbInfo voice;
  ORVN_GetDBInfo(language, speaker, &voice);
  g_library.playbackRate.store(voice.samplingRate, std::memory_order_relaxed);
  record->sourceRate = voice.samplingRate;
  const bool withDictionary = reading == Reading::Text && dictionary != nullptr;
  if (withDictionary) {
    int32_t first = 0, second = 0;
    ORVN_LoadUserDict(channel, dictionary, &first, &second);
  }
  WriteFileHeader(*record);
  if (reading == Reading::Text) ApplyOptionDefaults(channel, DefaultsFor::TextToFile);

  const int32_t result = Speak(reading, channel, copy.get());
  // The clean-up below clears the last error on its own successes; a failed
  // request keeps the code it left there.
  const int32_t requestError = ORVN_GetError();
  if (withDictionary) ORVN_UnLoadUserDict(channel);
  ORVN_DeleteThread(channel);
  SetLastError(requestError);

  PatchFileHeader(*record);
  return result == 1 ? 0 : result;
}

}  // namespace

ORVN_API(int32_t) ORVN_TextToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                                  int32_t samplingRate, const char* text, const char* fileName,
                                  const char* attributes, const char* dictionary) {
  return SynthesizeToFile(Reading::Text, language, speaker, fileType, encoding, samplingRate, text, fileName,
                          attributes, dictionary);
}

ORVN_API(int32_t) ORVN_NameToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                                  int32_t samplingRate, const char* text, const char* fileName,
                                  const char* attributes) {
  return SynthesizeToFile(Reading::Name, language, speaker, fileType, encoding, samplingRate, text, fileName,
                          attributes, nullptr);
}

ORVN_API(int32_t) ORVN_SMSToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                                 int32_t samplingRate, const char* text, const char* fileName,
                                 const char* attributes) {
  return SynthesizeToFile(Reading::Sms, language, speaker, fileType, encoding, samplingRate, text, fileName,
                          attributes, nullptr);
}
