// WAV and AU headers: built into memory for the exported builders and the
// mixer, and written to (then patched in) the files of file synthesis.
#include <cstring>

#include "audio/file_output.h"
#include "orven_api.h"

namespace orven::audio {
namespace {

struct WaveFormat {
  uint16_t formatTag;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint32_t fmtChunkBytes;  // 18 when the fmt chunk carries cbSize
};

// Encodings 0..3 have a WAV form; VOX and G.721 do not.
constexpr WaveFormat kWaveFormats[] = {
    {1, 2, 16, 16},  // 16-bit linear
    {1, 1, 8, 16},   // 8-bit linear (unsigned)
    {7, 1, 8, 18},   // mu-law
    {6, 1, 8, 18},   // A-law
};

// AU encoding field per index; 0 marks "no AU form" (VOX).
constexpr uint32_t kAuEncodings[] = {3, 2, 1, 27, 0, 23};

// Offsets of the WAV header pieces that are written separately.
constexpr size_t kWaveFormatPart = 36;
constexpr size_t kCbSizeBytes = 2;
constexpr size_t kDataChunkHead = 8;

void PutLe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, v & 0xFFFF);
  PutLe16(p + 2, v >> 16);
}
void PutBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

bool HasWaveForm(int32_t encoding) { return encoding >= kLinear16 && encoding <= kALaw; }
bool HasAuForm(int32_t encoding) { return encoding >= kLinear16 && encoding <= kG721Adpcm && encoding != kVoxAdpcm; }

}  // namespace

size_t BuildWaveHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint16_t channels,
                       uint8_t* header) {
  if (!HasWaveForm(encoding)) return 0;
  const WaveFormat& format = kWaveFormats[encoding];
  const bool withCbSize = format.fmtChunkBytes == 18;
  const size_t length = kWaveFormatPart + (withCbSize ? kCbSizeBytes : 0) + kDataChunkHead;
  const uint32_t rate = static_cast<uint32_t>(samplingRate);
  std::memcpy(header, "RIFF", 4);
  PutLe32(header + 4, dataSize + static_cast<uint32_t>(length) - 8);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  PutLe32(header + 16, format.fmtChunkBytes);
  PutLe16(header + 20, format.formatTag);
  PutLe16(header + 22, channels);
  PutLe32(header + 24, rate);
  // The byte rate is the rate times the block alignment; every stream here
  // is mono, so no channel factor enters.
  PutLe32(header + 28, rate * format.blockAlign);
  PutLe16(header + 32, format.blockAlign);
  PutLe16(header + 34, format.bitsPerSample);
  uint8_t* data = header + kWaveFormatPart;
  if (withCbSize) {
    PutLe16(data, 0);
    data += kCbSizeBytes;
  }
  std::memcpy(data, "data", 4);
  PutLe32(data + 4, dataSize);
  return length;
}

size_t BuildAuHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint32_t channels,
                     uint8_t* header) {
  if (!HasAuForm(encoding)) return 0;
  std::memcpy(header, ".snd", 4);
  PutBe32(header + 4, static_cast<uint32_t>(kAuHeaderBytes));
  PutBe32(header + 8, dataSize);
  PutBe32(header + 12, kAuEncodings[encoding]);
  PutBe32(header + 16, static_cast<uint32_t>(samplingRate));
  PutBe32(header + 20, channels);
  return kAuHeaderBytes;
}

int32_t WriteFileHeader(const FileOutputRecord& record) {
  uint8_t header[kLongestWaveHeader];
  if (record.fileType == kWaveFile) {
    const size_t length = BuildWaveHeader(record.encoding, record.outputRate, record.dataBytes,
                                          static_cast<uint16_t>(record.channels), header);
    if (length == 0) return -1;
    // The format part, the optional cbSize, then the data chunk head.
    std::fwrite(header, 1, kWaveFormatPart, record.file);
    if (length > kWaveFormatPart + kDataChunkHead) std::fwrite(header + kWaveFormatPart, 1, kCbSizeBytes, record.file);
    std::fwrite(header + length - kDataChunkHead, 1, kDataChunkHead, record.file);
    return 0;
  }
  if (record.fileType == kAuFile) {
    const size_t length = BuildAuHeader(record.encoding, record.outputRate, record.dataBytes,
                                        static_cast<uint32_t>(record.channels), header);
    if (length == 0) return -1;
    for (size_t field = 0; field < length; field += 4) std::fwrite(header + field, 1, 4, record.file);
    return 0;
  }
  return 0;
}

void PatchFileHeader(const FileOutputRecord& record) {
  const long position = std::ftell(record.file);
  std::fseek(record.file, 0, SEEK_SET);
  WriteFileHeader(record);
  std::fseek(record.file, position, SEEK_SET);
}

}  // namespace orven::audio

using namespace orven::audio;

ORVN_API(int32_t) ORVN_MakeWaveHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header) {
  return static_cast<int32_t>(
      BuildWaveHeader(encoding, samplingRate, static_cast<uint32_t>(dataSize), 1, static_cast<uint8_t*>(header)));
}

ORVN_API(int32_t) ORVN_MakeAuHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header) {
  return static_cast<int32_t>(
      BuildAuHeader(encoding, samplingRate, static_cast<uint32_t>(dataSize), 1, static_cast<uint8_t*>(header)));
}
