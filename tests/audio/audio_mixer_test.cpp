// The audio mixer: appending, mixing, the header checks and the refusals.
#include <functional>

#include "audio_test_support.h"

namespace orven_test {
namespace {

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override { ORVN_Initialize(); }
  // Writes the two inputs, mixes them into "out" and returns the result.
  int32_t Run(const Bytes& first, const Bytes& second, int32_t fileType, int32_t encoding, int32_t mode,
              int32_t rate = 8000) {
    WriteFile(dir_ / "a", first);
    WriteFile(dir_ / "b", second);
    return ORVN_AudioMixer((dir_ / "a").c_str(), (dir_ / "b").c_str(), (dir_ / "out").c_str(), rate, fileType,
                           encoding, mode);
  }
  Bytes Output() { return ReadFile(dir_ / "out"); }
  TempDir dir_;
};

TEST_F(MixerTest, AppendingPutsTheDataInEitherOrderUnderOneHeader) {
  const Bytes a = Samples16({1, 2, 3}, false), b = Samples16({-4, -5}, false);
  for (int32_t mode : {0, 1}) {
    ASSERT_EQ(Run(Container(0, 0, 16000, a), Container(0, 0, 16000, b), 0, 0, mode, 16000), 0);
    Bytes expected = mode == 1 ? a : b;
    const Bytes& tail = mode == 1 ? b : a;
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Output(), Container(0, 0, 16000, expected)) << mode;
  }
  // mu-law files get the 46-byte header.
  ASSERT_EQ(Run(Container(0, 2, 8000, {1, 2}), Container(0, 2, 8000, {3}), 0, 2, 1), 0);
  EXPECT_EQ(Output(), Container(0, 2, 8000, {1, 2, 3}));
  EXPECT_EQ(Output().size(), 49u);
  // Headerless and AU files, any encoding.
  ASSERT_EQ(Run({9, 8}, {7}, 2, 4, 0), 0);
  EXPECT_EQ(Output(), (Bytes{7, 9, 8}));
  ASSERT_EQ(Run(Container(1, 5, 8000, {1}), Container(1, 5, 8000, {2}), 1, 5, 1), 0);
  EXPECT_EQ(Output(), Container(1, 5, 8000, {1, 2}));
}

TEST_F(MixerTest, SixteenBitSumsPullOverflowBackTo32700) {
  for (int32_t fileType : {0, 1, 2}) {
    SCOPED_TRACE(fileType);
    const bool be = fileType == 1;
    const Bytes a = Samples16({30000, -30000, 1000, 5}, be), b = Samples16({10000, -10000, -3000, -5}, be);
    ASSERT_EQ(Run(Container(fileType, 0, 8000, a), Container(fileType, 0, 8000, b), fileType, 0, 2), 0);
    EXPECT_EQ(Output(), Container(fileType, 0, 8000, Samples16({32700, -32700, -2000, 0}, be)));
  }
}

TEST_F(MixerTest, EightBitMixesFollowTheContainersSampleForm) {
  // Unsigned samples (WAV, headerless): silence and silence give 0x82.
  ASSERT_EQ(Run(Bytes(4, 0x80), Bytes(4, 0x80), 2, 1, 2), 0);
  EXPECT_EQ(Output(), Bytes(4, 0x82));
  ASSERT_EQ(Run(Container(0, 1, 8000, {0xFF, 0x00, 0x90}), Container(0, 1, 8000, {0xFF, 0x00, 0x70}), 0, 1, 2), 0);
  EXPECT_EQ(Output(), Container(0, 1, 8000, {0xFF, 0x00, 0x82}));
  // Signed samples (AU).
  ASSERT_EQ(Run(Container(1, 1, 8000, {100, 0x80, 5}), Container(1, 1, 8000, {100, 0x80, 0xFB}), 1, 1, 2), 0);
  EXPECT_EQ(Output(), Container(1, 1, 8000, {127, 0x80, 0}));
}

TEST_F(MixerTest, TheSecondInputIsRepeatedOrCutToTheFirstsLength) {
  Bytes three, one;
  for (int i = 0; i < 3 * 4; ++i) three.push_back(static_cast<uint8_t>(0x80 + 1));
  one = {0x80 + 10, 0x80 + 20, 0x80 + 30, 0x80 + 40};
  ASSERT_EQ(Run(three, one, 2, 1, 2), 0);
  Bytes expected;
  for (int i = 0; i < 3; ++i)
    for (uint8_t b : one) expected.push_back(static_cast<uint8_t>(0x81 + b - 254 + 128));
  EXPECT_EQ(Output(), expected);
  ASSERT_EQ(Run(one, three, 2, 1, 2), 0);
  EXPECT_EQ(Output().size(), one.size());
  // A part copy at the end: 5 bytes from a 2-byte input.
  ASSERT_EQ(Run(Bytes(5, 0x80), {0x81, 0x82}, 2, 1, 2), 0);
  EXPECT_EQ(Output(), (Bytes{0x83, 0x84, 0x83, 0x84, 0x83}));
  // An empty second input leaves the first as it was.
  ASSERT_EQ(Run(Samples16({7, -7}, false), {}, 2, 0, 2), 0);
  EXPECT_EQ(Output(), Samples16({7, -7}, false));
}

TEST_F(MixerTest, DisagreeingHeadersAreRefused) {
  struct Case {
    const char* what;
    Bytes first, second;
    int32_t fileType;
  };
  const Case cases[] = {
      {"WAV format tags", Container(0, 2, 8000, {1}), Container(0, 3, 8000, {1}), 0},
      {"WAV sample sizes", Container(0, 0, 8000, {1, 2}), Container(0, 1, 8000, {1}), 0},
      {"AU rates", Container(1, 0, 8000, {1, 2}), Container(1, 0, 16000, {1, 2}), 1},
      {"AU encodings", Container(1, 2, 8000, {1}), Container(1, 3, 8000, {1}), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ORVN_Initialize();
    EXPECT_EQ(Run(c.first, c.second, c.fileType, 0, 1), 1);
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FORMAT_MISMATCH);
  }
}

TEST_F(MixerTest, BadArgumentsAreRefusedBeforeAnyFileIsOpened) {
  const std::string a = dir_ / "a", out = dir_ / "never";
  WriteFile(a, Bytes(8, 0x80));
  const std::pair<const char*, std::function<int32_t()>> cases[] = {
      {"null name", [&] { return ORVN_AudioMixer(nullptr, a.c_str(), out.c_str(), 8000, 2, 0, 1); }},
      {"empty name", [&] { return ORVN_AudioMixer(a.c_str(), a.c_str(), "", 8000, 2, 0, 1); }},
      {"file type 3", [&] { return ORVN_AudioMixer(a.c_str(), a.c_str(), out.c_str(), 8000, 3, 0, 1); }},
      {"mode 3", [&] { return ORVN_AudioMixer(a.c_str(), a.c_str(), out.c_str(), 8000, 2, 0, 3); }},
      {"mode -1", [&] { return ORVN_AudioMixer(a.c_str(), a.c_str(), out.c_str(), 8000, 2, 0, -1); }},
      {"mixing mu-law", [&] { return ORVN_AudioMixer(a.c_str(), a.c_str(), out.c_str(), 8000, 2, 2, 2); }},
  };
  for (const auto& [what, call] : cases) {
    SCOPED_TRACE(what);
    ORVN_Initialize();
    EXPECT_EQ(call(), 1);
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG);
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(MixerTest, UnreadableOrTooShortInputsAreRefusedAndTheOutputStaysEmpty) {
  const std::string out = dir_ / "out";
  EXPECT_EQ(ORVN_AudioMixer((dir_ / "missing").c_str(), (dir_ / "missing").c_str(), out.c_str(), 8000, 2, 0, 1), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FILE_OPEN);
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(std::filesystem::file_size(out), 0u);

  ORVN_Initialize();
  EXPECT_EQ(Run(Bytes(30, 0), Container(0, 0, 8000, {1, 2}), 0, 0, 1), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FILE_OPEN);
  ORVN_Initialize();
  EXPECT_EQ(Run(Container(1, 0, 8000, {}), Bytes(10, 0), 1, 0, 2), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FILE_OPEN);
  EXPECT_EQ(Output().size(), 0u);

  // A success leaves the last error as it was; the mixer needs no initialisation.
  ORVN_UnInitialize();
  EXPECT_EQ(Run(Bytes(2, 0x80), Bytes(2, 0x80), 2, 1, 2), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FILE_OPEN);
  ORVN_Initialize();
}

}  // namespace
}  // namespace orven_test
