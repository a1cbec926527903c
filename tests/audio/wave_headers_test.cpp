// The exported WAV and AU header builders, byte for byte.
#include "audio_test_support.h"

namespace orven_test {
namespace {

Bytes Fields(std::initializer_list<std::pair<uint32_t, int>> fields, bool bigEndian = false) {  // (value, bytes)
  Bytes out;
  for (auto [value, bytes] : fields)
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> 8 * (bigEndian ? bytes - 1 - i : i)));
  return out;
}

TEST(Headers, WaveAndAuHeadersHoldTheirFields) {
  const uint32_t kRiff = 0x46464952, kWave = 0x45564157, kFmt = 0x20746D66, kData = 0x61746164;
  // (encoding, format tag, bytes per sample); mu-law and A-law add an empty cbSize to the format chunk.
  for (auto [encoding, tag, width] : {std::tuple{0, 1u, 2u}, {1, 1u, 1u}, {2, 7u, 1u}, {3, 6u, 1u}}) {
    const bool extended = tag != 1;
    Bytes want = Fields({{kRiff, 4},
                         {1000u + (extended ? 38 : 36), 4},
                         {kWave, 4},
                         {kFmt, 4},
                         {extended ? 18u : 16u, 4},
                         {tag, 2},
                         {1, 2},
                         {11025, 4},
                         {11025 * width, 4},
                         {width, 2},
                         {8 * width, 2},
                         {0, extended ? 2 : 0},
                         {kData, 4},
                         {1000, 4}});
    Bytes got(ORVN_WAVE_HEADER_MAX + 1, 0xEE);
    EXPECT_EQ(ORVN_MakeWaveHeader(encoding, 11025, 1000, got.data()), static_cast<int32_t>(want.size())) << encoding;
    want.resize(got.size(), 0xEE);
    EXPECT_EQ(got, want) << encoding;
  }
  for (auto [encoding, field] : {std::pair{0, 3u}, {1, 2u}, {2, 1u}, {3, 27u}, {5, 23u}}) {
    Bytes got(ORVN_AU_HEADER_BYTES + 1, 0xEE);
    EXPECT_EQ(ORVN_MakeAuHeader(encoding, 8000, 500, got.data()), 24) << encoding;
    EXPECT_EQ(got, Fields({{0x2E736E64, 4}, {24, 4}, {500, 4}, {field, 4}, {8000, 4}, {1, 4}, {0xEE, 1}}, true))
        << encoding;
  }
  // Encodings without a form in the container write nothing.
  Bytes h(ORVN_WAVE_HEADER_MAX, 0xEE);
  for (int32_t encoding : {4, 5, -1, 6}) EXPECT_EQ(ORVN_MakeWaveHeader(encoding, 8000, 10, h.data()), 0) << encoding;
  for (int32_t encoding : {4, -1, 6}) EXPECT_EQ(ORVN_MakeAuHeader(encoding, 8000, 10, h.data()), 0) << encoding;
  EXPECT_EQ(h, Bytes(ORVN_WAVE_HEADER_MAX, 0xEE));
}

}  // namespace
}  // namespace orven_test
