// Engine information: the engine's and a voice database's records, and a
// speaker's text limit.
#include <cstring>

#include "api/internal.h"
#include "core/checks.h"
#include "core/engine_table.h"
#include "core/library.h"
#include "engine/engine_ops.h"

using namespace orven;

namespace {

// Copies a text of an engine record up to and including its terminator,
// never past the field.
void CopyField(char* to, const unsigned char* from, size_t field) {
  size_t length = strnlen(reinterpret_cast<const char*>(from), field);
  std::memcpy(to, from, length < field ? length + 1 : field);
}

}  // namespace

ORVN_API(void) ORVN_GetEngineInfo(int32_t language, ORVN_EngineInfo* info) noexcept {
  if (CheckLanguageIndex(language) != ORVN_OK) return;
  if (info == nullptr) {
    Fail(ORVN_ERR_INVALID_ARG);
    return;
  }
  unsigned char work[ORVN_ENGINE_INFO_BYTES] = {};
  EngineFor(language).engineInfo(work);
  std::memset(info, 0, sizeof *info);
  CopyField(info->engineText1, work + offsetof(ORVN_EngineInfo, engineText1), sizeof info->engineText1);
  CopyField(info->engineText2, work + offsetof(ORVN_EngineInfo, engineText2), sizeof info->engineText2);
  CopyField(info->engineText3, work + offsetof(ORVN_EngineInfo, engineText3), sizeof info->engineText3);
  info->engineByte = static_cast<char>(work[offsetof(ORVN_EngineInfo, engineByte)]);
  std::memcpy(info->libraryVersion, ORVN_LIBRARY_VERSION, sizeof ORVN_LIBRARY_VERSION);
  SetLastError(ORVN_OK);
}

void api::ReadDbInfo(int32_t language, int32_t speaker, ORVN_DbInfo* info) {
  if (ValidateVoice(language, speaker) != ORVN_OK) {
    if (info != nullptr) info->dbStatus = -1;
    return;
  }
  if (info == nullptr) {
    Fail(ORVN_ERR_INVALID_ARG);
    return;
  }
  unsigned char work[ORVN_ENGINE_DBINFO_BYTES] = {};
  EngineFor(language).dbInfo(speaker, work);
  ORVN_DbInfo reported;
  std::memcpy(&reported.dbStatus, work + offsetof(ORVN_DbInfo, dbStatus), sizeof reported.dbStatus);
  std::memset(info, 0, sizeof *info);
  info->dbStatus = reported.dbStatus;
  if (reported.dbStatus != -1) {
    std::memcpy(&info->samplingRate, work + offsetof(ORVN_DbInfo, samplingRate), sizeof info->samplingRate);
    CopyField(info->dbText2, work + offsetof(ORVN_DbInfo, dbText2), sizeof info->dbText2);
    CopyField(info->dbText1, work + offsetof(ORVN_DbInfo, dbText1), sizeof info->dbText1);
  }
  SetLastError(ORVN_OK);
}

ORVN_API(void) ORVN_GetDBInfo(int32_t language, int32_t speaker, ORVN_DbInfo* info) noexcept {
  api::ReadDbInfo(language, speaker, info);
}

ORVN_API(int32_t) ORVN_GetTextLimitLength(int32_t language, int32_t speaker) noexcept {
  int32_t check = ValidateVoice(language, speaker);
  if (check != ORVN_OK) return check;
  return static_cast<int32_t>(SlotAt(language, speaker).textLimit.get());
}
