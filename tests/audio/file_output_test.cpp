// The file output callback against the same chunks converted and coded through the exports one by one.
#include "audio/file_output.h"
#include "audio/rate_conversion.h"

#include "audio_test_support.h"

namespace orven_test {
namespace {

using namespace orven::audio;

// Each chunk as the callback must convert it: from zero filter memory; no path gives nothing.
Samples Convert(Samples chunk, int32_t from, int32_t to) {
  if (from == to) return chunk;
  Samples out(2 * chunk.size() + 1);
  const auto n = static_cast<int32_t>(chunk.size());
  if (from * to == 16000 * 8000) return out.resize(ORVN_ConvSamplingRate(n, chunk.data(), out.data(), from, to)), out;
  if (from < to || to == 8000) return {};
  const float ratio = static_cast<float>(from) / static_cast<float>(to);  // the three-point average around i * ratio
  out.resize(static_cast<size_t>(static_cast<float>(chunk.size()) / ratio));
  for (size_t i = 0; i < out.size(); ++i) {
    const auto j = static_cast<size_t>(static_cast<float>(i) * ratio);
    out[i] = static_cast<int16_t>((chunk[j == 0 ? j : j - 1] + chunk[j] + chunk[j + 1 < chunk.size() ? j + 1 : j]) / 3);
  }
  return out;
}

// AU takes signed 8-bit, big-endian 16-bit and G.721's first code in the low nibble.
Bytes Code(Samples s, int32_t fileType, int32_t encoding) {
  const bool au = fileType == 1;
  const auto linear8 = au ? ORVN_Linear8EnCoding : ORVN_Linear8UnsignedEnCoding;
  decltype(linear8) coders[] = {nullptr, linear8, ORVN_uLawEnCoding, ORVN_aLawEnCoding, nullptr, ORVN_ADPCMEnCoding};
  if (encoding < 1 || encoding > 5) return Samples16(s, au);
  Bytes out(s.size() + 1);
  const auto n = static_cast<int32_t>(s.size());
  out.resize(static_cast<size_t>(encoding == 4 ? ORVN_VOXADPCMEnCoding(n, s.data(), out.data())
                                               : coders[encoding](n, s.data(), out.data())));
  for (uint8_t& b : out) b = au && encoding == 5 ? static_cast<uint8_t>(b << 4 | b >> 4) : b;
  return out;
}

TEST(FileOutput, EveryRatePathAndEncodingMatchesTheExportsChunkByChunk) {
  const TempDir dir;
  Samples source = SpeechLike(4422, 7);  // as long as the chunks below
  for (size_t i = 0; i < source.size(); i += 97) source[i] = i % 2 ? 32767 : -32768;
  const std::pair<int32_t, int32_t> rates[] = {{16000, 16000}, {16000, 8000}, {16000, 11025}, {8000, 16000},
                                               {8000, 11025},  {22050, 8000}, {22050, 16000}, {8000, 8000}};
  for (auto [from, to] : rates)
    for (int32_t fileType : {0, 1, 2})
      for (int32_t encoding : {0, 1, 2, 3, 4, 5, 9}) {
        SCOPED_TRACE(testing::Message() << from << "->" << to << " type " << fileType << " enc " << encoding);
        std::FILE* file = std::fopen((dir / "out").c_str(), "wb");
        FileOutputRecord record{file, fileType, encoding, 0, from, to, 1};
        Samples chunks = source;
        Bytes expected;
        for (size_t at = 0; size_t n : {320, 101, 1, 4000, 0}) {  // even, odd, one sample, long, empty
          const Bytes coded =
              Code(Convert(Samples(source.begin() + at, source.begin() + at + n), from, to), fileType, encoding);
          expected.insert(expected.end(), coded.begin(), coded.end());
          ORVN_PcmChunk chunk{static_cast<int32_t>(2 * n), n ? chunks.data() + at : nullptr};
          EXPECT_EQ(FileOutputCallback(&record, &chunk), 0);
          at += n;
        }
        std::fclose(file);
        ASSERT_EQ(ReadFile(dir / "out"), expected);
        EXPECT_EQ(record.dataBytes, expected.size());
        EXPECT_EQ(chunks, source);  // the engine's chunks are only read
      }
}

// The rate plan is exact in 64 bits whatever the width of size_t, and buffer sizes that a 32-bit address space
// cannot hold are refused rather than wrapped.
TEST(FileOutput, RatePlansAreExactAndBuffersThatCannotFitAreRefused) {
  const struct { uint64_t n; int32_t from, to; RatePath path; uint64_t samples; } plans[] = {
      {100, 16000, 16000, RatePath::kSame, 100},       {101, 16000, 8000, RatePath::kHalve, 50},
      {100, 16000, 11025, RatePath::kDecimate, 68},     {100, 8000, 16000, RatePath::kDouble, 200},
      {100, 22050, 8000, RatePath::kNone, 0},           {100, 8000, 11025, RatePath::kNone, 0},
      {100, 16000, -8000, RatePath::kNone, 0},          {100, 0, -1, RatePath::kNone, 0},
      {100, 0, 0, RatePath::kNone, 0},                  {100, -16000, -16000, RatePath::kNone, 0},
      {200000, 44100, 22050, RatePath::kDecimate, 100000},
      {2147483647, 8000, 16000, RatePath::kDouble, 4294967294u},
      {2147483647, 2147483647, 1, RatePath::kDecimate, 1}};
  for (const auto& p : plans) {
    const RatePlan plan = PlanRateConversion(p.n, p.from, p.to);
    EXPECT_EQ(plan.path, p.path) << p.n << " samples " << p.from << " -> " << p.to;
    EXPECT_EQ(plan.outputSamples, p.samples) << p.n << " samples " << p.from << " -> " << p.to;
  }
  constexpr uint64_t k32 = UINT32_MAX;
  EXPECT_EQ(BufferBytes(100000, 2, k32), 200000u);
  EXPECT_EQ(BufferBytes(2147483647, 2, k32), 4294967294u);
  EXPECT_EQ(BufferBytes(2147483648u, 2, k32), 0u) << "4 GiB does not fit in 32 bits";
  EXPECT_EQ(BufferBytes(4294967294u, 2, k32), 0u);
  EXPECT_EQ(BufferBytes(uint64_t{1} << 62, 8), 0u);
}

// Rates of zero or less, and a source rate of 0 (no database information), contribute nothing and never divide by
// zero; a large chunk is converted whole.
TEST(FileOutput, UnreachableRatesWriteNothingAndLargeChunksConvertWhole) {
  const TempDir dir;
  Samples chunkSamples = SpeechLike(200000, 3);
  const std::pair<int32_t, int32_t> none[] = {{16000, -8000}, {0, -1}, {0, 0}, {0, 8000}, {-1, -2}};
  for (auto [from, to] : none) {
    std::FILE* file = std::fopen((dir / "out").c_str(), "wb");
    FileOutputRecord record{file, 0, 0, 0, from, to, 1};
    ORVN_PcmChunk chunk{2 * 1000, chunkSamples.data()};
    EXPECT_EQ(FileOutputCallback(&record, &chunk), 0);
    EXPECT_EQ(record.dataBytes, 0u) << from << " -> " << to;
    std::fclose(file);
  }
  std::FILE* file = std::fopen((dir / "out").c_str(), "wb");
  FileOutputRecord record{file, 2, 0, 0, 44100, 22050, 1};
  ORVN_PcmChunk chunk{2 * 200000, chunkSamples.data()};
  FileOutputCallback(&record, &chunk);
  std::fclose(file);
  EXPECT_EQ(record.dataBytes, 2u * 100000);
}

}  // namespace
}  // namespace orven_test
