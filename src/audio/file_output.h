// The state of one synthesis into a file, and the headers written for it.
#pragma once

#include <cstdint>
#include <cstdio>

namespace orven::audio {

// Encoding indexes shared by the file entries, the headers and the mixer.
enum Encoding : int32_t {
  kLinear16 = 0,
  kLinear8 = 1,
  kMuLaw = 2,
  kALaw = 3,
  kVoxAdpcm = 4,
  kG721Adpcm = 5,
};

// File types; the file entries treat every other value as headerless.
enum FileType : int32_t { kWaveFile = 0, kAuFile = 1, kHeaderless = 2 };

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

inline constexpr size_t kLongestWaveHeader = 46;
inline constexpr size_t kAuHeaderBytes = 24;

// The header bytes for a stream of `dataSize` data bytes; 0 (nothing
// written) when the container has no header for the encoding.
size_t BuildWaveHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint16_t channels,
                       uint8_t* header);
size_t BuildAuHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint32_t channels,
                     uint8_t* header);

// Writes the record's header at the stream's current position: WAV for
// file type 0, AU for 1, nothing otherwise. 0, or -1 when the container has
// no header for the encoding (nothing written). Write errors are not seen.
int32_t WriteFileHeader(const FileOutputRecord& record);

// Rewrites the header at the start of the stream with the final data size,
// then returns to where the stream was.
void PatchFileHeader(const FileOutputRecord& record);

}  // namespace orven::audio

#include "orven_api.h"

namespace orven::audio {

// The synthesis callback of the file entries: `userData` is their record.
int32_t ORVN_CDECL FileOutputCallback(void* userData, ORVN_PcmChunk* chunk);

}  // namespace orven::audio
