// File synthesis: a whole text, name or SMS request rendered into an audio
// file on a private channel whose callback is the file output step.
#include <cstdlib>
#include <cstring>

#include "api/internal.h"
#include "audio/file_output.h"
#include "audio/owned.h"
#include "core/checks.h"
#include "core/library.h"

using namespace orven;
using namespace orven::audio;
using api::Reading;

namespace {

constexpr int32_t kMode = 1;  // file synthesis always speaks in mode 1

int32_t SynthesizeToFile(Reading reading, int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                         int32_t outputRate, const char* text, const char* fileName, const char* attributes,
                         const char* dictionary) {
  if (int32_t check = ValidateVoice(language, speaker); check != ORVN_OK) return check;
  if (IsNullOrEmpty(text) || IsNullOrEmpty(fileName)) return Fail(ORVN_ERR_INVALID_ARG);
  // VOX only goes into headerless files.
  if ((fileType == kWaveFile || fileType == kAuFile) && encoding == kVoxAdpcm) return Fail(ORVN_ERR_INVALID_ARG);
  if (reading != Reading::kText && language != ORVN_KOREAN) return Fail(ORVN_ERR_KOREAN_ONLY);

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
  // The source rate is the voice's, read below once the channel exists.
  *record = {file.get(), fileType, encoding, 0, 0, outputRate, 1};

  ORVN_CHANNEL channel = api::CreateChannel(record.get(), FileOutputCallback, language, speaker);
  if (channel == nullptr) {
    // Whatever kept the channel from being made (its limit too), the caller
    // learns that there was no channel; the empty file stays.
    return Fail(ORVN_ERR_CHANNEL_CREATE);
  }

  if (attributes != nullptr && attributes[0] == '<') api::ChangeAttribute(channel, attributes);
  // Zeroed first: a voice unloaded meanwhile fails the query before the
  // engine fills anything, and then reports rate 0 (no conversion is
  // possible from it, so the file gets no data) rather than stack garbage.
  ORVN_DbInfo voice{};
  api::ReadDbInfo(language, speaker, &voice);
  g_library.playbackRate.store(voice.samplingRate, std::memory_order_relaxed);
  record->sourceRate = voice.samplingRate;
  const bool withDictionary = reading == Reading::kText && dictionary != nullptr;
  if (withDictionary) {
    int32_t entriesOrReason = 0, faultLine = 0;
    api::LoadDictionary(channel, dictionary, &entriesOrReason, &faultLine);
  }
  WriteFileHeader(*record);
  if (reading == Reading::kText) api::ApplyOptionDefaults(channel, api::DefaultsFor::kTextToFile);

  // The last error that the request leaves is its own: cleared first, so
  // that a refusal of the set-up steps above (an empty dictionary path, say)
  // does not outlive a request that then succeeds.
  SetLastError(ORVN_OK);
  const int32_t result = api::Speak(channel, copy.get(), kMode, reading);
  const int32_t requestError = LastError();
  if (withDictionary) api::UnloadDictionary(channel);
  api::DeleteChannel(channel);
  // The clean-up clears the last error on its own successes; a failed
  // request keeps the code it left there.
  SetLastError(result == 1 ? ORVN_OK : requestError);

  PatchFileHeader(*record);
  return result == 1 ? 0 : result;
}

}  // namespace

ORVN_API(int32_t)
ORVN_TextToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding, int32_t samplingRate,
                const char* text, const char* fileName, const char* attributes, const char* dictionary) noexcept {
  return SynthesizeToFile(Reading::kText, language, speaker, fileType, encoding, samplingRate, text, fileName,
                          attributes, dictionary);
}

ORVN_API(int32_t)
ORVN_NameToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding, int32_t samplingRate,
                const char* text, const char* fileName, const char* attributes) noexcept {
  return SynthesizeToFile(Reading::kName, language, speaker, fileType, encoding, samplingRate, text, fileName,
                          attributes, nullptr);
}

ORVN_API(int32_t)
ORVN_SMSToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding, int32_t samplingRate,
               const char* text, const char* fileName, const char* attributes) noexcept {
  return SynthesizeToFile(Reading::kSms, language, speaker, fileType, encoding, samplingRate, text, fileName,
                          attributes, nullptr);
}
