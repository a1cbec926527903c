// The audio mixer: two files of one kind joined or mixed into a third. It
// needs no initialisation; of the library state it touches only the last
// error, and it answers 0 (done) or 1 (refused, the reason in the last
// error).
#include "audio/mixer.h"

#include "audio/formats.h"
#include "core/checks.h"
#include "core/library.h"
#include "platform/files.h"

using namespace orven;
using namespace orven::audio;

namespace {

constexpr int32_t kMixed = 0;
constexpr int32_t kRefused = 1;

int32_t Refuse(int32_t code) {
  SetLastError(code);
  return kRefused;
}

}  // namespace

ORVN_API(int32_t)
ORVN_AudioMixer(const char* firstFile, const char* secondFile, const char* outputFile, int32_t samplingRate,
                int32_t fileType, int32_t encoding, int32_t mode) noexcept {
  if (IsNullOrEmpty(firstFile) || IsNullOrEmpty(secondFile) || IsNullOrEmpty(outputFile)) {
    return Refuse(ORVN_ERR_INVALID_ARG);
  }
  if (fileType < kWaveFile || fileType > kHeaderless) return Refuse(ORVN_ERR_INVALID_ARG);
  // A mode other than the three is refused like any other bad argument.
  if (mode < kSecondThenFirst || mode > kMix) return Refuse(ORVN_ERR_INVALID_ARG);
  if (mode == kMix && encoding != kLinear16 && encoding != kLinear8) return Refuse(ORVN_ERR_INVALID_ARG);
  // The output is truncated before the inputs are read, so an output that is
  // one of the inputs (under any name: a link, another spelling) would
  // destroy it. Refused before any file is opened.
  if (platform::SameFile(outputFile, firstFile) || platform::SameFile(outputFile, secondFile)) {
    return Refuse(ORVN_ERR_INVALID_ARG);
  }
  const int32_t result = MixFiles(firstFile, secondFile, outputFile, samplingRate, fileType, encoding, mode);
  return result == ORVN_OK ? kMixed : Refuse(result);
}
