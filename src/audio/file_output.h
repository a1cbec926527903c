// The state of one synthesis into a file, its header, and the synthesis
// callback that brings every chunk into the file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "audio/formats.h"
#include "orven_api.h"

namespace orven::audio {

// One file synthesis: created by a file entry, passed to the engine as the
// channel's user data and back to the output step with every chunk.
struct FileOutputRecord {
  std::FILE* file;
  int32_t fileType;
  int32_t encoding;
  uint32_t dataBytes;  // coded bytes written after the header so far
  int32_t sourceRate;  // the voice's sampling rate
  int32_t outputRate;  // the rate the caller asked for
  int32_t channels;    // always 1
};

// Writes the record's header at the stream's current position: WAV for
// file type 0, AU for 1, nothing otherwise. 0, or -1 when the container has
// no header for the encoding (nothing written). Write errors are not seen.
int32_t WriteFileHeader(const FileOutputRecord& record);

// Rewrites the header at the start of the stream with the final data size,
// then returns to where the stream was.
void PatchFileHeader(const FileOutputRecord& record);

// The synthesis callback of the file entries: `userData` is their record.
// Every chunk is converted to the record's rate from zero filter memory and
// coded from a reset coder; a chunk the step cannot convert (an unsupported
// pair of rates, a rate of zero or less, a size that does not fit in
// memory) contributes no bytes, and the file keeps a valid header.
int32_t ORVN_CDECL FileOutputCallback(void* userData, ORVN_PcmChunk* chunk);

}  // namespace orven::audio
