// The file output step: the synthesis callback of file synthesis. Every
// chunk the engine delivers is brought to the file's rate, coded in the
// file's encoding with the container's byte and nibble order, and appended.
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "audio/file_output.h"
#include "audio/rate_conversion.h"
#include "orven_api.h"

namespace orven::audio {
namespace {

template <typename T>
struct Buffer {
  struct Free {
    void operator()(T* p) const noexcept { std::free(p); }
  };
  std::unique_ptr<T[], Free> data;
  Buffer() = default;
  explicit Buffer(size_t count) : data(static_cast<T*>(std::malloc((count > 0 ? count : 1) * sizeof(T)))) {}
};

void SwapBytes(int16_t* samples, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const auto u = static_cast<uint16_t>(samples[i]);
    samples[i] = static_cast<int16_t>((u << 8) | (u >> 8));
  }
}

}  // namespace

// Each chunk is converted from silence and coded from a reset coder: the
// record's byte count is all that carries from one chunk to the next.
int32_t ORVN_CDECL FileOutputCallback(void* userData, ORVN_PcmChunk* chunk) {
  auto& record = *static_cast<FileOutputRecord*>(userData);
  if (chunk == nullptr || chunk->byteCount <= 0 || chunk->samples == nullptr) return 0;
  const size_t n = static_cast<uint32_t>(chunk->byteCount) >> 1;

  // The samples to code: the chunk itself, or the rate converter's output.
  // Coding may change samples in place (VOX, AU byte order), so the chunk,
  // which belongs to the engine, is only ever read.
  const int16_t* samples = chunk->samples;
  size_t count = n;
  Buffer<int16_t> converted;
  const int32_t from = record.sourceRate, to = record.outputRate;
  if (from > to && to == 8000) {
    count = 0;
    if (from == 16000) {
      converted = Buffer<int16_t>(n);
      if (!converted.data) return 0;
      std::memcpy(converted.data.get(), chunk->samples, n * sizeof(int16_t));
      count = Downsample16kTo8k(converted.data.get(), n, converted.data.get(), nullptr, false);
    }
  } else if (from > to) {
    converted = Buffer<int16_t>(DecimatedCapacity(n, from, to));
    if (!converted.data) return 0;
    count = DecimateAverage3(chunk->samples, n, converted.data.get(), from, to);
  } else if (from < to) {
    count = 0;
    if (from == 8000 && to == 16000) {
      converted = Buffer<int16_t>(2 * n);
      if (!converted.data) return 0;
      count = Upsample8kTo16k(chunk->samples, n, converted.data.get());
    }
  }
  if (converted.data) samples = converted.data.get();

  const bool au = record.fileType == kAuFile;
  const auto samplesIn = static_cast<int32_t>(count);
  const bool coding = record.encoding >= kLinear8 && record.encoding <= kG721Adpcm;
  if (!coding) {
    // 16-bit samples: little-endian in WAV and headerless files, big-endian
    // in AU files; in host order they go out as they are.
    const size_t bytes = 2 * count;
    if (au != (std::endian::native == std::endian::big)) {
      Buffer<int16_t> work(count);
      if (!work.data) return 0;
      if (count > 0) std::memcpy(work.data.get(), samples, bytes);
      SwapBytes(work.data.get(), count);
      if (bytes > 0) std::fwrite(work.data.get(), 1, bytes, record.file);
    } else if (bytes > 0) {
      std::fwrite(samples, 1, bytes, record.file);
    }
    record.dataBytes += static_cast<uint32_t>(bytes);
    return 0;
  }

  Buffer<uint8_t> coded(count);
  if (!coded.data) return 0;
  size_t bytes = 0;
  switch (record.encoding) {
    case kLinear8:
      bytes = static_cast<size_t>(au ? ORVN_Linear8EnCoding(samplesIn, samples, coded.data.get())
                                     : ORVN_Linear8UnsignedEnCoding(samplesIn, samples, coded.data.get()));
      break;
    case kMuLaw: bytes = static_cast<size_t>(ORVN_uLawEnCoding(samplesIn, samples, coded.data.get())); break;
    case kALaw: bytes = static_cast<size_t>(ORVN_aLawEnCoding(samplesIn, samples, coded.data.get())); break;
    case kVoxAdpcm: {
      // The VOX coder shifts its input in place.
      Buffer<int16_t> work(count);
      if (!work.data) return 0;
      if (count > 0) std::memcpy(work.data.get(), samples, count * sizeof(int16_t));
      bytes = static_cast<size_t>(ORVN_VOXADPCMEnCoding(samplesIn, work.data.get(), coded.data.get()));
      break;
    }
    default:  // G.721
      bytes = static_cast<size_t>(ORVN_ADPCMEnCoding(samplesIn, samples, coded.data.get()));
      // AU stores the first sample's code in the low nibble.
      if (au)
        for (size_t i = 0; i < bytes; ++i) coded.data[i] = static_cast<uint8_t>((coded.data[i] << 4) | (coded.data[i] >> 4));
      break;
  }
  if (bytes > 0) std::fwrite(coded.data.get(), 1, bytes, record.file);
  record.dataBytes += static_cast<uint32_t>(bytes);
  return 0;
}

}  // namespace orven::audio
