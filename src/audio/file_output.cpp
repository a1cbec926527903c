// The file output step: the synthesis callback of file synthesis. Every
// chunk the engine delivers is brought to the file's rate, coded in the
// file's encoding with the container's byte and nibble order, and appended.
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "audio/file_output.h"
#include "audio/owned.h"
#include "audio/rate_conversion.h"
#include "orven_api.h"

namespace orven::audio {
namespace {

void SwapBytes(int16_t* samples, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const auto u = static_cast<uint16_t>(samples[i]);
    samples[i] = static_cast<int16_t>((u << 8) | (u >> 8));
  }
}

// Appends `bytes` bytes to the file and counts them.
void Append(FileOutputRecord& record, const void* data, size_t bytes) {
  if (bytes > 0) std::fwrite(data, 1, bytes, record.file);
  record.dataBytes += static_cast<uint32_t>(bytes);
}

}  // namespace

// Each chunk is converted from silence and coded from a reset coder: the
// record's byte count is all that carries from one chunk to the next.
int32_t ORVN_CDECL FileOutputCallback(void* userData, ORVN_PcmChunk* chunk) {
  auto& record = *static_cast<FileOutputRecord*>(userData);
  if (chunk == nullptr || chunk->byteCount <= 0 || chunk->samples == nullptr) return 0;
  const size_t n = static_cast<uint32_t>(chunk->byteCount) >> 1;

  // The samples to code: the chunk itself, or a buffer of ours. The chunk
  // belongs to the engine and is only read; `writable()` gives a buffer that
  // may be changed in place, copying the chunk only when it is needed.
  HeapArray<int16_t> owned;
  const int16_t* samples = chunk->samples;
  size_t count = n;
  const auto writable = [&]() -> int16_t* {
    if (!owned) {
      owned = AllocateArray<int16_t>(count);
      if (owned && count > 0) std::memcpy(owned.get(), samples, count * sizeof(int16_t));
      samples = owned.get();
    }
    return owned.get();
  };

  const int32_t from = record.sourceRate, to = record.outputRate;
  if (from > to && to == 8000) {
    if (from != 16000) return 0;  // no filter for this pair: nothing to write
    int16_t* work = writable();
    if (work == nullptr) return 0;
    count = Downsample16kTo8k(work, n, work, nullptr, false);
  } else if (from > to) {
    owned = AllocateArray<int16_t>(DecimatedCapacity(n, from, to));
    if (!owned) return 0;
    count = DecimateAverage3(chunk->samples, n, owned.get(), from, to);
    samples = owned.get();
  } else if (from < to) {
    if (from != 8000 || to != 16000) return 0;
    owned = AllocateArray<int16_t>(2 * n);
    if (!owned) return 0;
    count = Upsample8kTo16k(chunk->samples, n, owned.get());
    samples = owned.get();
  }

  const bool au = record.fileType == kAuFile;
  if (record.encoding < kLinear8 || record.encoding > kG721Adpcm) {
    // 16-bit samples: little-endian in WAV and headerless files, big-endian
    // in AU files; in host order they go out as they are.
    if (au != (std::endian::native == std::endian::big)) {
      int16_t* work = writable();
      if (work == nullptr) return 0;
      SwapBytes(work, count);
    }
    Append(record, samples, 2 * count);
    return 0;
  }

  const HeapArray<uint8_t> coded = AllocateArray<uint8_t>(count);
  if (!coded) return 0;
  uint8_t* out = coded.get();
  const auto samplesIn = static_cast<int32_t>(count);
  int32_t bytes = 0;
  switch (record.encoding) {
    case kLinear8:
      bytes = au ? ORVN_Linear8EnCoding(samplesIn, samples, out) : ORVN_Linear8UnsignedEnCoding(samplesIn, samples, out);
      break;
    case kMuLaw: bytes = ORVN_uLawEnCoding(samplesIn, samples, out); break;
    case kALaw: bytes = ORVN_aLawEnCoding(samplesIn, samples, out); break;
    case kVoxAdpcm: {
      int16_t* work = writable();  // the VOX coder shifts its input in place
      if (work == nullptr) return 0;
      bytes = ORVN_VOXADPCMEnCoding(samplesIn, work, out);
      break;
    }
    default:  // G.721; AU stores the first sample's code in the low nibble
      bytes = ORVN_ADPCMEnCoding(samplesIn, samples, out);
      if (au)
        for (int32_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>((out[i] << 4) | (out[i] >> 4));
      break;
  }
  Append(record, out, static_cast<size_t>(bytes));
  return 0;
}

}  // namespace orven::audio
