// The exported WAV and AU header builders.
#include <cstring>

#include "audio_test_support.h"

namespace orven_test {
namespace {

struct WaveCase {
  int32_t encoding;
  int32_t length;
  uint16_t formatTag, blockAlign, bits;
};

TEST(WaveHeader, EveryEncodingWithAWaveFormHasItsFields) {
  const WaveCase cases[] = {{0, 44, 1, 2, 16}, {1, 44, 1, 1, 8}, {2, 46, 7, 1, 8}, {3, 46, 6, 1, 8}};
  for (const WaveCase& c : cases) {
    SCOPED_TRACE(c.encoding);
    Bytes h(ORVN_WAVE_HEADER_MAX, 0xEE);
    ASSERT_EQ(ORVN_MakeWaveHeader(c.encoding, 11025, 1000, h.data()), c.length);
    EXPECT_EQ(std::string(h.begin(), h.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(h, 4), 1000u + c.length - 8);
    EXPECT_EQ(std::string(h.begin() + 8, h.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(h, 16), c.length == 44 ? 16u : 18u);
    EXPECT_EQ(Le16(h, 20), c.formatTag);
    EXPECT_EQ(Le16(h, 22), 1);
    EXPECT_EQ(Le32(h, 24), 11025u);
    EXPECT_EQ(Le32(h, 28), 11025u * c.blockAlign);
    EXPECT_EQ(Le16(h, 32), c.blockAlign);
    EXPECT_EQ(Le16(h, 34), c.bits);
    const size_t data = static_cast<size_t>(c.length) - 8;
    if (c.length == 46) {
      EXPECT_EQ(Le16(h, 36), 0);
    }
    EXPECT_EQ(std::string(h.begin() + data, h.begin() + data + 4), "data");
    EXPECT_EQ(Le32(h, data + 4), 1000u);
    if (c.length == 44) {
      EXPECT_EQ(h[44], 0xEE) << "nothing past the header";
    }
  }
}

TEST(WaveHeader, WorkedValues) {
  Bytes h(ORVN_WAVE_HEADER_MAX);
  ASSERT_EQ(ORVN_MakeWaveHeader(0, 16000, 32000, h.data()), 44);
  EXPECT_EQ(Le32(h, 4), 32036u);
  EXPECT_EQ(Le32(h, 28), 32000u);
  EXPECT_EQ(Le32(h, 40), 32000u);
  ASSERT_EQ(ORVN_MakeWaveHeader(2, 8000, 1000, h.data()), 46);
  EXPECT_EQ(Le32(h, 4), 1038u);
}

TEST(Headers, EncodingsWithoutAFormWriteNothing) {
  for (int32_t encoding : {4, 5, -1, 6}) {
    Bytes h(ORVN_WAVE_HEADER_MAX, 0xEE);
    EXPECT_EQ(ORVN_MakeWaveHeader(encoding, 8000, 10, h.data()), 0) << encoding;
    EXPECT_EQ(h, Bytes(ORVN_WAVE_HEADER_MAX, 0xEE));
  }
  for (int32_t encoding : {4, -1, 6}) {
    Bytes h(ORVN_AU_HEADER_BYTES, 0xEE);
    EXPECT_EQ(ORVN_MakeAuHeader(encoding, 8000, 10, h.data()), 0) << encoding;
    EXPECT_EQ(h, Bytes(ORVN_AU_HEADER_BYTES, 0xEE));
  }
}

TEST(AuHeader, SixBigEndianFields) {
  const std::pair<int32_t, uint32_t> encodings[] = {{0, 3}, {1, 2}, {2, 1}, {3, 27}, {5, 23}};
  for (auto [encoding, field] : encodings) {
    Bytes h(ORVN_AU_HEADER_BYTES);
    ASSERT_EQ(ORVN_MakeAuHeader(encoding, 8000, 500, h.data()), 24);
    EXPECT_EQ(Bytes(h.begin(), h.begin() + 4), (Bytes{0x2E, 0x73, 0x6E, 0x64}));
    EXPECT_EQ(Be32(h, 4), 24u);
    EXPECT_EQ(Be32(h, 8), 500u);
    EXPECT_EQ(Be32(h, 12), field);
    EXPECT_EQ(Be32(h, 16), 8000u);
    EXPECT_EQ(Be32(h, 20), 1u);
  }
  Bytes h(ORVN_AU_HEADER_BYTES);
  ORVN_MakeAuHeader(3, 8000, 500, h.data());
  EXPECT_EQ(Bytes(h.begin() + 12, h.begin() + 16), (Bytes{0x00, 0x00, 0x00, 0x1B}));
}

}  // namespace
}  // namespace orven_test
