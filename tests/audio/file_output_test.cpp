// The file output step on chunks of awkward lengths, and its rate plan, which must hold on 32-bit targets.
#include "audio/file_output.h"

#include "audio/rate_conversion.h"
#include "audio_test_support.h"

namespace orven_test {
namespace {

using namespace orven::audio;

// One chunk through the exports alone: converted from zero filter memory, then coded from a reset coder.
Bytes ThroughTheExports(Samples s, int32_t from, int32_t to, int32_t encoding) {
  if (from != to) {
    Samples converted(2 * s.size() + 1);
    converted.resize(static_cast<size_t>(
        ORVN_ConvSamplingRate(static_cast<int32_t>(s.size()), s.data(), converted.data(), from, to)));
    s = converted;
  }
  if (encoding < 1 || encoding > 5) return Samples16(s, false);
  const decltype(&ORVN_uLawEnCoding) coders[] = {
      nullptr, ORVN_Linear8UnsignedEnCoding, ORVN_uLawEnCoding, ORVN_aLawEnCoding, nullptr, ORVN_ADPCMEnCoding};
  const auto n = static_cast<int32_t>(s.size());
  Bytes out(s.size() + 1);
  out.resize(static_cast<size_t>(encoding == 4 ? ORVN_VOXADPCMEnCoding(n, s.data(), out.data())
                                               : coders[encoding](n, s.data(), out.data())));
  return out;
}

// Each chunk of a headerless file is what the exports make of that chunk alone: no filter memory or coder state
// crosses a chunk, and an odd or one-sample chunk is halved, packed and padded on its own. (AU's own sample forms
// are read back by sox in the file synthesis tests.)
TEST(FileOutput, EachChunkIsConvertedAndCodedOnItsOwn) {
  const ScratchDir dir;
  Samples source = SpeechLike(4422, 7);  // as long as the chunks below
  for (size_t i = 0; i < source.size(); i += 97) source[i] = i % 2 ? 32767 : -32768;
  for (auto [from, to] : {std::pair{16000, 16000}, {16000, 8000}, {8000, 16000}})
    for (int32_t encoding : {0, 1, 2, 3, 4, 5, 9}) {
      SCOPED_TRACE(testing::Message() << from << " -> " << to << " Hz, encoding " << encoding);
      std::FILE* file = std::fopen((dir / "out").c_str(), "wb");
      FileOutputRecord record{file, 2, encoding, 0, from, to, 1};
      Samples chunks = source;
      Bytes expected;
      for (size_t at = 0; size_t n : {320, 101, 1, 4000, 0}) {  // even, odd, one sample, long, empty
        const Bytes coded =
            ThroughTheExports(Samples(source.begin() + at, source.begin() + at + n), from, to, encoding);
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

// A lower rate than the voice's takes at each output position the average of three neighbours (the ends repeat their
// sample): worked on a signal that alternates 0 and 300, at 16000 to 11025 Hz.
TEST(FileOutput, LowerRatesAverageThreeNeighbours) {
  const ScratchDir dir;
  std::FILE* file = std::fopen((dir / "out").c_str(), "wb");
  FileOutputRecord record{file, 2, 0, 0, 16000, 11025, 1};
  Samples alternating(16);
  for (size_t i = 1; i < alternating.size(); i += 2) alternating[i] = 300;
  ORVN_PcmChunk chunk{32, alternating.data()};
  EXPECT_EQ(FileOutputCallback(&record, &chunk), 0);
  std::fclose(file);
  EXPECT_EQ(ReadFile(dir / "out"), Samples16({100, 100, 200, 200, 100, 100, 200, 200, 100, 100, 200}, false));
}

// The rate plan is exact in 64 bits whatever the width of size_t, and buffer sizes that a 32-bit address space
// cannot hold are refused rather than wrapped.
TEST(FileOutput, RatePlansAreExactAndBuffersThatCannotFitAreRefused) {
  const struct {
    uint64_t n;
    int32_t from, to;
    RatePath path;
    uint64_t samples;
  } plans[] = {{100, 16000, 16000, RatePath::kSame, 100},
               {101, 16000, 8000, RatePath::kHalve, 50},
               {100, 16000, 11025, RatePath::kDecimate, 68},
               {100, 8000, 16000, RatePath::kDouble, 200},
               {100, 22050, 8000, RatePath::kNone, 0},
               {100, 8000, 11025, RatePath::kNone, 0},
               {100, 16000, -8000, RatePath::kNone, 0},
               {100, 0, -1, RatePath::kNone, 0},
               {100, 0, 0, RatePath::kNone, 0},
               {100, -16000, -16000, RatePath::kNone, 0},
               {200000, 44100, 22050, RatePath::kDecimate, 100000},
               {2147483647, 8000, 16000, RatePath::kDouble, 4294967294u},
               {2147483647, 2147483647, 1, RatePath::kDecimate, 1}};
  for (const auto& p : plans) {
    const RatePlan plan = PlanRateConversion(p.n, p.from, p.to);
    EXPECT_EQ(std::pair(plan.path, plan.outputSamples), std::pair(p.path, p.samples))
        << "PlanRateConversion(" << p.n << ", " << p.from << ", " << p.to << ")";
  }
  constexpr uint64_t k32 = UINT32_MAX;
  EXPECT_EQ(BufferBytes(100000, 2, k32), 200000u);
  EXPECT_EQ(BufferBytes(2147483647, 2, k32), 4294967294u);
  EXPECT_EQ(BufferBytes(2147483648u, 2, k32), 0u) << "4 GiB does not fit in 32 bits";
  EXPECT_EQ(BufferBytes(4294967294u, 2, k32), 0u);
  EXPECT_EQ(BufferBytes(uint64_t{1} << 62, 8), 0u);
}

}  // namespace
}  // namespace orven_test
