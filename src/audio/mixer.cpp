// The audio mixer: two files of one kind appended in either order, or mixed
// sample by sample with the second repeated or cut to the first's length.
#include "audio/mixer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "audio/byte_order.h"
#include "audio/owned.h"
#include "audio/wave_headers.h"
#include "orven_api.h"

namespace orven::audio {
namespace {

using File = OwnedFile;

using Bytes = HeapArray<uint8_t>;

// Where an input's data lies, and how long it is.
struct Input {
  std::FILE* file;
  long size = 0;
  long dataStart = 0;
  size_t dataLength = 0;
};

long FileSize(std::FILE* file) {
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  return size < 0 ? 0 : size;
}

// Reads the fixed header of each input and finds its data. The headers'
// own size fields are not trusted: the data runs to the end of the file.
// Returns 0, or the failure code.
int32_t LocateData(int32_t fileType, Input& first, Input& second) {
  if (fileType == kHeaderless) {
    first.dataLength = static_cast<size_t>(first.size);
    second.dataLength = static_cast<size_t>(second.size);
    return ORVN_OK;
  }
  const long headerBytes = static_cast<long>(fileType == kWaveFile ? kShortestWaveHeader : kAuHeaderBytes);
  // A file too short for its container's header cannot be read as one.
  if (first.size < headerBytes || second.size < headerBytes) return ORVN_ERR_FILE_OPEN;
  uint8_t a[kWaveFormatPart], b[kWaveFormatPart];
  static_assert(kWaveFormatPart >= kAuHeaderBytes);
  if (fileType == kWaveFile) {
    std::fread(a, 1, kWaveFormatPart, first.file);
    std::fread(b, 1, kWaveFormatPart, second.file);
    if (GetLe16(a + kWaveFormatTagAt) != GetLe16(b + kWaveFormatTagAt) ||
        GetLe16(a + kWaveBitsPerSampleAt) != GetLe16(b + kWaveBitsPerSampleAt)) {
      return ORVN_ERR_FORMAT_MISMATCH;
    }
    // The fmt chunk's cbSize comes before the data chunk head.
    const long data =
        static_cast<long>(HasCbSize(GetLe16(a + kWaveFormatTagAt)) ? kLongestWaveHeader : kShortestWaveHeader);
    if (first.size < data || second.size < data) return ORVN_ERR_FILE_OPEN;
    first.dataStart = second.dataStart = data;
  } else {
    std::fread(a, 1, kAuHeaderBytes, first.file);
    std::fread(b, 1, kAuHeaderBytes, second.file);
    for (size_t field : kAuFieldsCompared) {
      if (GetBe32(a + field) != GetBe32(b + field)) return ORVN_ERR_FORMAT_MISMATCH;
    }
    first.dataStart = second.dataStart = static_cast<long>(kAuHeaderBytes);
  }
  first.dataLength = static_cast<size_t>(first.size - first.dataStart);
  second.dataLength = static_cast<size_t>(second.size - second.dataStart);
  return ORVN_OK;
}

// A zeroed buffer of `length` bytes (at least one, so an empty input still
// has a valid pointer), filled from `file` at `offset`; short reads leave zeros.
Bytes ReadData(std::FILE* file, long offset, size_t length) {
  Bytes bytes = AllocateArray<uint8_t>(length + 1, true);
  if (bytes && length > 0) {
    std::fseek(file, offset, SEEK_SET);
    std::fread(bytes.get(), 1, length, file);
  }
  return bytes;
}

uint8_t Clamp8(int32_t s) { return static_cast<uint8_t>(s < -128 ? -128 : s > 127 ? 127 : s); }

// Mixes `second` (already repeated or cut to `length`) into `first`.
void Mix(int32_t fileType, int32_t encoding, uint8_t* first, const uint8_t* second, size_t length) {
  const bool au = fileType == kAuFile;
  if (encoding == kLinear8) {
    for (size_t i = 0; i < length; ++i) {
      if (au) {
        first[i] = Clamp8(static_cast<int8_t>(first[i]) + static_cast<int8_t>(second[i]));
      } else {
        // Unsigned samples: the sum of the two offsets is taken as 254.
        first[i] = static_cast<uint8_t>(Clamp8(first[i] + second[i] - 254) + 128);
      }
    }
    return;
  }
  for (size_t i = 0; i + 1 < length; i += 2) {
    const int hi = au ? 0 : 1;  // AU samples are big-endian, WAV and headerless little-endian
    const int16_t a = static_cast<int16_t>((first[i + hi] << 8) | first[i + 1 - hi]);
    const int16_t b = static_cast<int16_t>((second[i + hi] << 8) | second[i + 1 - hi]);
    int32_t s = int32_t{a} + b;
    // Overflow is pulled back below full scale rather than clipped to it.
    if (s > 32767) s = 32700;
    if (s < -32768) s = -32700;
    first[i + hi] = static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8);
    first[i + 1 - hi] = static_cast<uint8_t>(s);
  }
}

}  // namespace

int32_t MixFiles(const char* firstFile, const char* secondFile, const char* outputFile, int32_t samplingRate,
                 int32_t fileType, int32_t encoding, int32_t mode) {
  // All three are opened before any is looked at, so an output that could be
  // opened is left empty when an input cannot be.
  File first(std::fopen(firstFile, "rb"));
  File second(std::fopen(secondFile, "rb"));
  File output(std::fopen(outputFile, "wb"));
  if (!first || !second || !output) return (ORVN_ERR_FILE_OPEN);

  Input a{first.get()}, b{second.get()};
  a.size = FileSize(a.file);
  b.size = FileSize(b.file);
  if (int32_t code = LocateData(fileType, a, b); code != ORVN_OK) return (code);

  const size_t outputLength = mode == kMix ? a.dataLength : a.dataLength + b.dataLength;
  Bytes dataA = ReadData(a.file, a.dataStart, a.dataLength);
  // Mixing repeats the second input up to the first's length: each copy is
  // read from the file again.
  const size_t lengthB = mode == kMix ? std::max(a.dataLength, b.dataLength) : b.dataLength;
  Bytes dataB = AllocateArray<uint8_t>(lengthB + 1, true);
  Bytes out = AllocateArray<uint8_t>(outputLength + 1, true);
  if (!dataA || !dataB || !out) return (ORVN_ERR_NO_MEMORY);
  for (size_t at = 0; at < lengthB && b.dataLength > 0; at += b.dataLength) {
    std::fseek(b.file, b.dataStart, SEEK_SET);
    std::fread(dataB.get() + at, 1, std::min(b.dataLength, lengthB - at), b.file);
  }

  switch (mode) {
    case kSecondThenFirst:
      std::memcpy(out.get(), dataB.get(), b.dataLength);
      std::memcpy(out.get() + b.dataLength, dataA.get(), a.dataLength);
      break;
    case kFirstThenSecond:
      std::memcpy(out.get(), dataA.get(), a.dataLength);
      std::memcpy(out.get() + a.dataLength, dataB.get(), b.dataLength);
      break;
    default:
      std::memcpy(out.get(), dataA.get(), a.dataLength);
      // An empty second input adds nothing: the first comes out as it was.
      if (b.dataLength > 0) Mix(fileType, encoding, out.get(), dataB.get(), outputLength);
      break;
  }

  uint8_t header[kLongestWaveHeader];
  size_t headerLength = 0;
  const uint32_t size = static_cast<uint32_t>(outputLength);
  if (fileType == kWaveFile) headerLength = BuildWaveHeader(encoding, samplingRate, size, 1, header);
  if (fileType == kAuFile) headerLength = BuildAuHeader(encoding, samplingRate, size, 1, header);
  std::fwrite(header, 1, headerLength, output.get());
  std::fwrite(out.get(), 1, outputLength, output.get());
  return ORVN_OK;
}

}  // namespace orven::audio
