// The file output step on its own: chunks handed to the callback against
// the same chunks converted and coded through the exports one by one.
#include <cmath>
#include <cstdio>

#include "audio/file_output.h"
#include "audio_test_support.h"

namespace orven_test {
namespace {

using orven::audio::FileOutputCallback;
using orven::audio::FileOutputRecord;
using Samples = std::vector<int16_t>;

Samples SpeechLike(size_t n, uint32_t seed) {
  Samples s(n);
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double t = static_cast<double>(i) / 16000;
    const double v = 9000 * std::sin(2 * M_PI * 220 * t) + 5000 * std::sin(2 * M_PI * 1900 * t) +
                     static_cast<int32_t>(seed >> 20) - 2048;
    s[i] = static_cast<int16_t>(i % 97 == 0 ? (i % 2 ? 32767 : -32768) : v);
  }
  return s;
}

// Each chunk as the callback must convert it: from zero filter memory.
Samples Convert(Samples chunk, int32_t from, int32_t to) {
  if (from == to) return chunk;
  Samples out(2 * chunk.size() + 1);
  const auto n = static_cast<int32_t>(chunk.size());
  if ((from == 16000 && to == 8000) || (from == 8000 && to == 16000)) {
    out.resize(static_cast<size_t>(ORVN_ConvSamplingRate(n, chunk.data(), out.data(), from, to)));
  } else if (from > to && to != 8000) {
    // The three-point average around i * ratio, the ratio in single precision.
    const float ratio = static_cast<float>(from) / static_cast<float>(to);
    out.resize(static_cast<size_t>(static_cast<float>(chunk.size()) / ratio));
    for (size_t i = 0; i < out.size(); ++i) {
      const auto j = static_cast<size_t>(static_cast<float>(i) * ratio);
      const int32_t before = chunk[j == 0 ? j : j - 1], after = chunk[j + 1 < chunk.size() ? j + 1 : j];
      out[i] = static_cast<int16_t>((before + chunk[j] + after) / 3);
    }
  } else {
    out.clear();  // no path between these rates
  }
  return out;
}

Bytes Code(Samples s, int32_t fileType, int32_t encoding) {
  const bool au = fileType == 1;
  const auto n = static_cast<int32_t>(s.size());
  Bytes out(s.size() + 1);
  switch (encoding) {
    case 1: out.resize(static_cast<size_t>(au ? ORVN_Linear8EnCoding(n, s.data(), out.data())
                                               : ORVN_Linear8UnsignedEnCoding(n, s.data(), out.data()))); break;
    case 2: out.resize(static_cast<size_t>(ORVN_uLawEnCoding(n, s.data(), out.data()))); break;
    case 3: out.resize(static_cast<size_t>(ORVN_aLawEnCoding(n, s.data(), out.data()))); break;
    case 4: out.resize(static_cast<size_t>(ORVN_VOXADPCMEnCoding(n, s.data(), out.data()))); break;
    case 5:
      out.resize(static_cast<size_t>(ORVN_ADPCMEnCoding(n, s.data(), out.data())));
      if (au)
        for (uint8_t& b : out) b = static_cast<uint8_t>(b << 4 | b >> 4);
      break;
    default: return Samples16(s, au);
  }
  return out;
}

// Chunk lengths in samples: even, odd, one sample, and a long one.
const size_t kChunks[] = {320, 101, 1, 4000};

struct RunResult {
  Bytes written;
  uint32_t dataBytes;
  Samples untouched;  // the chunks' samples after the calls
};

RunResult WriteChunks(int32_t from, int32_t to, int32_t fileType, int32_t encoding, const Samples& source) {
  std::FILE* file = std::tmpfile();
  FileOutputRecord record{file, fileType, encoding, 0, from, to, 1};
  Samples chunks = source;
  size_t at = 0;
  for (size_t n : kChunks) {
    ORVN_PcmChunk chunk{static_cast<int32_t>(2 * n), chunks.data() + at};
    EXPECT_EQ(FileOutputCallback(&record, &chunk), 0);
    at += n;
  }
  ORVN_PcmChunk empty{0, nullptr};
  EXPECT_EQ(FileOutputCallback(&record, &empty), 0);
  Bytes written(static_cast<size_t>(std::ftell(file)));
  std::rewind(file);
  EXPECT_EQ(std::fread(written.data(), 1, written.size(), file), written.size());
  std::fclose(file);
  return {written, record.dataBytes, chunks};
}

TEST(FileOutput, EveryRatePathAndEncodingMatchesTheExportsChunkByChunk) {
  const std::pair<int32_t, int32_t> rates[] = {{16000, 16000}, {16000, 8000}, {16000, 11025}, {8000, 16000},
                                               {8000, 11025},  {22050, 8000}, {22050, 16000}, {8000, 8000}};
  size_t total = 0;
  for (size_t n : kChunks) total += n;
  const Samples source = SpeechLike(total, 7);
  for (auto [from, to] : rates) {
    for (int32_t fileType : {0, 1, 2}) {
      for (int32_t encoding : {0, 1, 2, 3, 4, 5, 9}) {
        SCOPED_TRACE(testing::Message() << from << "->" << to << " type " << fileType << " enc " << encoding);
        Bytes expected;
        size_t at = 0;
        for (size_t n : kChunks) {
          const Samples chunk(source.begin() + static_cast<long>(at), source.begin() + static_cast<long>(at + n));
          const Bytes coded = Code(Convert(chunk, from, to), fileType, encoding);
          expected.insert(expected.end(), coded.begin(), coded.end());
          at += n;
        }
        const RunResult got = WriteChunks(from, to, fileType, encoding, source);
        ASSERT_EQ(got.written, expected);
        EXPECT_EQ(got.dataBytes, expected.size());
        EXPECT_EQ(got.untouched, source);  // the engine's chunks are only read
      }
    }
  }
}

TEST(FileOutput, ConvertedLengthsPerChunk) {
  // (from, to, samples in one 100-sample chunk's output)
  const std::tuple<int32_t, int32_t, size_t> cases[] = {
      {16000, 8000, 50}, {16000, 11025, 68}, {8000, 16000, 200}, {8000, 11025, 0}, {22050, 8000, 0}};
  for (auto [from, to, samples] : cases) {
    std::FILE* file = std::tmpfile();
    FileOutputRecord record{file, 0, 0, 0, from, to, 1};
    Samples chunk = SpeechLike(100, 3);
    ORVN_PcmChunk pcm{200, chunk.data()};
    FileOutputCallback(&record, &pcm);
    EXPECT_EQ(record.dataBytes, 2 * samples) << from << "->" << to;
    EXPECT_EQ(std::ftell(file), static_cast<long>(2 * samples));
    std::fclose(file);
  }
}

}  // namespace
}  // namespace orven_test
