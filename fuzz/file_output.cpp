// The file output step on one chunk, with any pair of rates (a source rate
// 0..96000 and any output rate, negatives included), any file type and
// encoding, and chunks of up to several seconds. The chunk is exactly sized,
// so a read past it is caught; the bytes the step counts must be the bytes
// the stream received, and as many as the chunk's conversion and coding
// give.
//
// Layout of the fuzz data:
//   [0..3] source rate (modulo 96001)  [4..7] output rate (any int32)
//   [8] file type  [9] encoding  [10..12] chunk bytes (modulo 2,000,001)
//   [13..] sample bytes, repeated to fill the chunk
#include "audio/file_output.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "audio/rate_conversion.h"
#include "fuzz_support.h"

namespace {

using namespace orven::audio;

constexpr size_t kHead = 13;
constexpr uint32_t kLargestChunk = 2000000;  // about 10 s of 96 kHz audio

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }

// The coded bytes for `samples` converted samples: a byte each, a nibble each (VOX drops an odd last one, G.721 pads
// it), else two bytes each.
uint64_t CodedBytes(int32_t encoding, uint64_t samples) {
  if (encoding == kLinear8 || encoding == kMuLaw || encoding == kALaw) return samples;
  if (encoding == kVoxAdpcm || encoding == kG721Adpcm) return (samples + (encoding == kG721Adpcm)) / 2;
  return 2 * samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHead) return 0;
  const auto sourceRate = static_cast<int32_t>(Le32(data) % 96001);
  const auto outputRate = static_cast<int32_t>(Le32(data + 4));
  const int32_t fileType = data[8] % 4;
  const int32_t encoding = static_cast<int8_t>(data[9]) % 8;
  const uint32_t byteCount = (data[10] | (data[11] << 8) | (uint32_t{data[12]} << 16)) % (kLargestChunk + 1);

  const size_t n = byteCount / 2;
  std::unique_ptr<int16_t[]> samples(new int16_t[n == 0 ? 1 : n]);
  auto* bytes = reinterpret_cast<uint8_t*>(samples.get());
  const size_t rest = size - kHead;
  for (size_t i = 0; i < 2 * n; ++i) bytes[i] = rest == 0 ? 0 : data[kHead + i % rest];
  // Exactly n samples: an odd byte count's last byte is never read.
  std::unique_ptr<int16_t[]> chunkSamples(new int16_t[n == 0 ? 1 : n]);
  std::memcpy(chunkSamples.get(), samples.get(), 2 * n);

  std::FILE* file = std::tmpfile();
  FUZZ_CHECK(file != nullptr);
  FileOutputRecord record{file, fileType, encoding, 0, sourceRate, outputRate, 1};
  ORVN_PcmChunk chunk{static_cast<int32_t>(byteCount), chunkSamples.get()};
  FUZZ_CHECK(FileOutputCallback(&record, &chunk) == 0);
  // The engine's chunk is only read.
  FUZZ_CHECK(std::memcmp(chunkSamples.get(), samples.get(), 2 * n) == 0);

  const RatePlan plan = PlanRateConversion(n, sourceRate, outputRate);
  const uint64_t expected = plan.path == RatePath::kNone ? 0 : CodedBytes(encoding, plan.outputSamples);
  FUZZ_CHECK(record.dataBytes == expected);
  FUZZ_CHECK(std::ftell(file) == static_cast<long>(expected));
  if (sourceRate <= 0 || outputRate <= 0) FUZZ_CHECK(expected == 0);
  std::fclose(file);
  return 0;
}
