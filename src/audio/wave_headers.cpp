// WAV and AU headers, built into memory.
#include "audio/wave_headers.h"

#include <cstring>

#include "audio/byte_order.h"

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

bool HasWaveForm(int32_t encoding) { return encoding >= kLinear16 && encoding <= kALaw; }
bool HasAuForm(int32_t encoding) { return encoding >= kLinear16 && encoding <= kG721Adpcm && encoding != kVoxAdpcm; }

}  // namespace

size_t BuildWaveHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint16_t channels, uint8_t* header) {
  if (!HasWaveForm(encoding)) return 0;
  const WaveFormat& format = kWaveFormats[encoding];
  const bool withCbSize = format.fmtChunkBytes == 18;
  const size_t length = kWaveFormatPart + (withCbSize ? kCbSizeBytes : 0) + kDataChunkHead;
  const uint32_t rate = static_cast<uint32_t>(samplingRate);
  std::memcpy(header, "RIFF", 4);
  PutLe32(header + 4, dataSize + static_cast<uint32_t>(length) - 8);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  PutLe32(header + 16, format.fmtChunkBytes);
  PutLe16(header + kWaveFormatTagAt, format.formatTag);
  PutLe16(header + 22, channels);
  PutLe32(header + 24, rate);
  // The byte rate is the rate times the block alignment; every stream here
  // is mono, so no channel factor enters.
  PutLe32(header + 28, rate * format.blockAlign);
  PutLe16(header + 32, format.blockAlign);
  PutLe16(header + kWaveBitsPerSampleAt, format.bitsPerSample);
  uint8_t* data = header + kWaveFormatPart;
  if (withCbSize) {
    PutLe16(data, 0);
    data += kCbSizeBytes;
  }
  std::memcpy(data, "data", 4);
  PutLe32(data + 4, dataSize);
  return length;
}

size_t BuildAuHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint32_t channels, uint8_t* header) {
  if (!HasAuForm(encoding)) return 0;
  std::memcpy(header, ".snd", 4);
  PutBe32(header + 4, static_cast<uint32_t>(kAuHeaderBytes));
  PutBe32(header + 8, dataSize);
  PutBe32(header + 12, kAuEncodings[encoding]);
  PutBe32(header + 16, static_cast<uint32_t>(samplingRate));
  PutBe32(header + 20, channels);
  return kAuHeaderBytes;
}

}  // namespace orven::audio
