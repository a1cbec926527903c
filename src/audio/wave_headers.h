// The mono WAV and AU headers that the file entries write and the mixer
// reads: one fixed layout per encoding, no optional chunks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/formats.h"

namespace orven::audio {

// WAV: RIFF head and fmt chunk up to wBitsPerSample (36 bytes), then the
// 2-byte cbSize for mu-law and A-law, then the 8-byte data chunk head.
inline constexpr size_t kWaveFormatPart = 36;
inline constexpr size_t kWaveFormatTagAt = 20;
inline constexpr size_t kWaveBitsPerSampleAt = 34;
inline constexpr size_t kCbSizeBytes = 2;
inline constexpr size_t kDataChunkHead = 8;
inline constexpr size_t kShortestWaveHeader = kWaveFormatPart + kDataChunkHead;   // 44
inline constexpr size_t kLongestWaveHeader = kShortestWaveHeader + kCbSizeBytes;  // 46
// The format tags whose fmt chunk carries cbSize.
inline constexpr bool HasCbSize(uint16_t formatTag) { return formatTag == 6 || formatTag == 7; }

// AU: six big-endian 32-bit fields: magic, data offset, data size,
// encoding, sampling rate, channels.
inline constexpr size_t kAuHeaderBytes = 24;
inline constexpr size_t kAuFieldsCompared[] = {0, 12, 16, 20};  // magic, encoding, rate, channels

// The header bytes for a stream of `dataSize` data bytes; 0 (nothing
// written) when the container has no header for the encoding. `header`
// holds kLongestWaveHeader (WAV) or kAuHeaderBytes (AU) bytes.
size_t BuildWaveHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint16_t channels, uint8_t* header);
size_t BuildAuHeader(int32_t encoding, int32_t samplingRate, uint32_t dataSize, uint32_t channels, uint8_t* header);

}  // namespace orven::audio
