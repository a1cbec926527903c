// The audio mixer: appending, mixing, the header checks and the refusals.
#include "audio_test_support.h"

namespace orven_test {
namespace {

// Mode 0 puts the second's data first, mode 1 the first's, under one new header; mode 2 mixes:
// 16-bit overflow becomes +-32700, unsigned 8-bit sums (WAV, headerless) take 254 as the two
// offsets, AU's 8-bit is signed; the second input is repeated or cut to the first's length.
TEST(Mixer, ModesAndFailures) {
  const TempDir dir;
  const std::string a = dir / "a", b = dir / "b", out = dir / "out";
  const auto pcm = [](int32_t type, const Samples& s) { return Container(type, 0, 8000, Samples16(s, type == 1)); };
  struct Case {
    const char* what;
    Bytes first, second;
    int32_t fileType, encoding, mode, error;  // error 0: success, giving `output`
    Bytes output;
  };
  const Case cases[] = {
      {"WAV 16-bit, mode 1", pcm(0, {1, 2, 3}), pcm(0, {-4, -5}), 0, 0, 1, 0, pcm(0, {1, 2, 3, -4, -5})},
      {"WAV mu-law, mode 0", Container(0, 2, 8000, {1, 2}), Container(0, 2, 8000, {3}), 0, 2, 0, 0,
       Container(0, 2, 8000, {3, 1, 2})},
      {"headerless VOX, mode 0", {9, 8}, {7}, 2, 4, 0, 0, {7, 9, 8}},
      {"AU G.721, mode 1", Container(1, 5, 8000, {1}), Container(1, 5, 8000, {2}), 1, 5, 1, 0,
       Container(1, 5, 8000, {1, 2})},
      {"WAV 16-bit mix", pcm(0, {30000, -30000, 1000, 5}), pcm(0, {10000, -10000, -3000, -5}), 0, 0, 2, 0,
       pcm(0, {32700, -32700, -2000, 0})},
      {"AU 16-bit mix", pcm(1, {30000, -30000, 1000, 5}), pcm(1, {10000, -10000, -3000, -5}), 1, 0, 2, 0,
       pcm(1, {32700, -32700, -2000, 0})},
      {"WAV 8-bit mix", Container(0, 1, 8000, {0xFF, 0x00, 0x90, 0x80}),
       Container(0, 1, 8000, {0xFF, 0x00, 0x70, 0x80}), 0, 1, 2, 0, Container(0, 1, 8000, {0xFF, 0x00, 0x82, 0x82})},
      {"AU 8-bit mix", Container(1, 1, 8000, {100, 0x80, 5}), Container(1, 1, 8000, {100, 0x80, 0xFB}), 1, 1, 2, 0,
       Container(1, 1, 8000, {127, 0x80, 0})},
      {"second repeated", Bytes(7, 0x80), {0x81, 0x82, 0x83}, 2, 1, 2, 0, {0x83, 0x84, 0x85, 0x83, 0x84, 0x85, 0x83}},
      {"second cut", {0x81, 0x82}, Bytes(5, 0x80), 2, 1, 2, 0, {0x83, 0x84}},
      {"second empty", {0x90, 0x10}, {}, 2, 1, 2, 0, {0x90, 0x10}},
      {"mode 3", {1}, {1}, 2, 0, 3, ORVN_ERR_INVALID_ARG, {}},
      {"mode -1", {1}, {1}, 2, 0, -1, ORVN_ERR_INVALID_ARG, {}},
      {"file type 3", {1}, {1}, 3, 0, 1, ORVN_ERR_INVALID_ARG, {}},
      {"mixing mu-law", {1}, {1}, 2, 2, 2, ORVN_ERR_INVALID_ARG, {}},
      {"WAV format tags",
       Container(0, 2, 8000, {1}),
       Container(0, 3, 8000, {1}),
       0,
       2,
       1,
       ORVN_ERR_FORMAT_MISMATCH,
       {}},
      {"WAV sample sizes", pcm(0, {1}), Container(0, 1, 8000, {1}), 0, 0, 1, ORVN_ERR_FORMAT_MISMATCH, {}},
      {"AU rates", pcm(1, {1}), Container(1, 0, 16000, {1, 2}), 1, 0, 1, ORVN_ERR_FORMAT_MISMATCH, {}},
      {"AU encodings", Container(1, 2, 8000, {1}), Container(1, 3, 8000, {1}), 1, 2, 1, ORVN_ERR_FORMAT_MISMATCH, {}},
      {"WAV shorter than a header", Bytes(30, 0), pcm(0, {1}), 0, 0, 1, ORVN_ERR_FILE_OPEN, {}},
      {"AU shorter than a header", pcm(1, {}), Bytes(10, 0), 1, 0, 2, ORVN_ERR_FILE_OPEN, {}},
  };
  for (const Case& c : cases) {
    WriteFile(a, c.first);
    WriteFile(b, c.second);
    std::filesystem::remove(out);
    ORVN_Initialize();
    EXPECT_EQ(ORVN_AudioMixer(a.c_str(), b.c_str(), out.c_str(), 8000, c.fileType, c.encoding, c.mode), c.error ? 1 : 0)
        << c.what;
    EXPECT_EQ(ORVN_GetError(), c.error) << c.what;
    // Bad arguments are refused before any file is opened; later failures leave an empty output.
    EXPECT_EQ(std::filesystem::exists(out), c.error != ORVN_ERR_INVALID_ARG) << c.what;
    EXPECT_EQ(ReadFile(out), c.output) << c.what;
  }
  EXPECT_EQ(ORVN_AudioMixer(nullptr, a.c_str(), (dir / "x").c_str(), 8000, 2, 0, 1), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG);
  EXPECT_EQ(ORVN_AudioMixer((dir / "missing").c_str(), a.c_str(), out.c_str(), 8000, 2, 0, 1), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FILE_OPEN);
  EXPECT_EQ(std::filesystem::file_size(out), 0u);
  ORVN_UnInitialize();  // a success needs no initialisation and leaves the last error as it was
  EXPECT_EQ(ORVN_AudioMixer(b.c_str(), b.c_str(), out.c_str(), 8000, 2, 1, 2), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FILE_OPEN);
  ORVN_Initialize();
}

}  // namespace
}  // namespace orven_test
