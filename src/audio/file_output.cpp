// The file output step: the synthesis callback of file synthesis. Every
// chunk the engine delivers is brought to the file's rate, coded in the
// file's encoding with the container's byte and nibble order, and appended.
#include "audio/file_output.h"

#include <bit>
#include <cstring>

#include "audio/byte_order.h"
#include "audio/encoders/g711.h"
#include "audio/encoders/g721.h"
#include "audio/encoders/linear8.h"
#include "audio/encoders/vox_adpcm.h"
#include "audio/owned.h"
#include "audio/rate_conversion.h"
#include "audio/wave_headers.h"

namespace orven::audio {
namespace {

// Appends `bytes` bytes to the file and counts them.
void Append(FileOutputRecord& record, const void* data, size_t bytes) {
  if (bytes > 0) std::fwrite(data, 1, bytes, record.file);
  record.dataBytes += static_cast<uint32_t>(bytes);
}

// `count` samples, or null when their size does not fit in memory.
HeapArray<int16_t> AllocateSamples(uint64_t count) {
  if (BufferBytes(count, sizeof(int16_t)) == 0 && count != 0) return nullptr;
  return AllocateArray<int16_t>(static_cast<size_t>(count));
}

}  // namespace

int32_t WriteFileHeader(const FileOutputRecord& record) {
  uint8_t header[kLongestWaveHeader];
  if (record.fileType == kWaveFile) {
    const size_t length = BuildWaveHeader(record.encoding, record.outputRate, record.dataBytes,
                                          static_cast<uint16_t>(record.channels), header);
    if (length == 0) return -1;
    // The format part, the optional cbSize, then the data chunk head.
    std::fwrite(header, 1, kWaveFormatPart, record.file);
    if (length > kShortestWaveHeader) std::fwrite(header + kWaveFormatPart, 1, kCbSizeBytes, record.file);
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

int32_t ORVN_CDECL FileOutputCallback(void* userData, ORVN_PcmChunk* chunk) {
  auto& record = *static_cast<FileOutputRecord*>(userData);
  // A chunk that claims no bytes, or a negative count no engine buffer could
  // hold, contributes nothing.
  if (chunk == nullptr || chunk->byteCount <= 0 || chunk->samples == nullptr) return 0;
  const size_t n = static_cast<uint32_t>(chunk->byteCount) >> 1;
  const RatePlan plan = PlanRateConversion(n, record.sourceRate, record.outputRate);
  if (plan.path == RatePath::kNone || plan.outputSamples == 0) return 0;

  // The samples to code: the chunk itself, or a buffer of ours. The chunk
  // belongs to the engine and is only read; `writable()` gives a buffer that
  // may be changed in place, copying the chunk only when it is needed.
  HeapArray<int16_t> owned;
  const int16_t* samples = chunk->samples;
  const auto count = static_cast<size_t>(plan.outputSamples);
  const auto writable = [&]() -> int16_t* {
    if (!owned) {
      owned = AllocateSamples(count);
      if (owned) std::memcpy(owned.get(), samples, count * sizeof(int16_t));
      samples = owned.get();
    }
    return owned.get();
  };

  switch (plan.path) {
    case RatePath::kHalve: {
      // The filter writes its results over its input, so it runs on a copy
      // of the whole chunk.
      owned = AllocateSamples(n);
      if (!owned) return 0;
      std::memcpy(owned.get(), chunk->samples, n * sizeof(int16_t));
      Downsample16kTo8k(owned.get(), n, owned.get(), nullptr, false);
      samples = owned.get();
      break;
    }
    case RatePath::kDecimate:
      owned = AllocateSamples(count);
      if (!owned) return 0;
      DecimateAverage3(chunk->samples, n, owned.get(), plan);
      samples = owned.get();
      break;
    case RatePath::kDouble:
      owned = AllocateSamples(count);
      if (!owned) return 0;
      Upsample8kTo16k(chunk->samples, n, owned.get());
      samples = owned.get();
      break;
    default:
      break;
  }

  const bool au = record.fileType == kAuFile;
  if (record.encoding < kLinear8 || record.encoding > kG721Adpcm) {
    // 16-bit samples: little-endian in WAV and headerless files, big-endian
    // in AU files; in host order they go out as they are.
    if (au != (std::endian::native == std::endian::big)) {
      int16_t* work = writable();
      if (work == nullptr) return 0;
      SwapSampleBytes(work, count);
    }
    Append(record, samples, 2 * count);
    return 0;
  }

  const HeapArray<uint8_t> coded = AllocateArray<uint8_t>(count);
  if (!coded) return 0;
  uint8_t* out = coded.get();
  size_t bytes = count;
  switch (record.encoding) {
    case kLinear8:
      // Signed in AU files, unsigned (offset 128) in WAV and headerless ones.
      (au ? EncodeLinear8 : EncodeLinear8Unsigned)(samples, count, out);
      break;
    case kMuLaw:
      EncodeMuLaw(samples, count, out);
      break;
    case kALaw:
      EncodeALaw(samples, count, out);
      break;
    case kVoxAdpcm: {
      int16_t* work = writable();  // the VOX coder shifts its input in place
      if (work == nullptr) return 0;
      bytes = EncodeVox(work, count, out);
      break;
    }
    default:  // G.721; AU stores the first sample's code in the low nibble
      bytes = G721Encode(samples, count, out);
      if (au)
        for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>((out[i] << 4) | (out[i] >> 4));
      break;
  }
  Append(record, out, bytes);
  return 0;
}

}  // namespace orven::audio
