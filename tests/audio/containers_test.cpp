// The exported WAV and AU header builders byte for byte, and the audio mixer's modes, rules and refusals.
#include "audio_test_support.h"

namespace orven_test {
namespace {

// Fields given as (value, bytes) pairs.
Bytes Fields(std::initializer_list<uint32_t> fields, bool bigEndian = false) {
  Bytes out;
  for (auto f = fields.begin(); f != fields.end(); f += 2)
    for (uint32_t i = 0; i < f[1]; ++i) out.push_back(static_cast<uint8_t>(f[0] >> 8 * (bigEndian ? f[1] - 1 - i : i)));
  return out;
}

TEST(Headers, WaveAndAuHeadersHoldTheirFields) {
  const uint32_t kRiff = 0x46464952, kWave = 0x45564157, kFmt = 0x20746D66, kData = 0x61746164;
  // (encoding, format tag, bytes per sample); mu-law and A-law add an empty cbSize to the format chunk.
  for (auto [encoding, tag, width] : {std::tuple{0, 1u, 2u}, {1, 1u, 1u}, {2, 7u, 1u}, {3, 6u, 1u}}) {
    const uint32_t cbSize = tag != 1 ? 2 : 0, fmt = 16 + cbSize;
    Bytes want = Fields({kRiff, 4, 1020 + fmt,    4, kWave, 4, kFmt,      4, fmt, 4,      tag,   2, 1,    2,
                         11025, 4, 11025 * width, 4, width, 2, 8 * width, 2, 0,   cbSize, kData, 4, 1000, 4});
    Bytes got(ORVN_WAVE_HEADER_MAX + 1, 0xEE);
    EXPECT_EQ(ORVN_MakeWaveHeader(encoding, 11025, 1000, got.data()), static_cast<int32_t>(want.size())) << encoding;
    want.resize(got.size(), 0xEE);
    EXPECT_EQ(got, want) << encoding;
  }
  for (auto [encoding, field] : {std::pair{0, 3u}, {1, 2u}, {2, 1u}, {3, 27u}, {5, 23u}}) {
    Bytes got(ORVN_AU_HEADER_BYTES + 1, 0xEE);
    EXPECT_EQ(ORVN_MakeAuHeader(encoding, 8000, 500, got.data()), 24) << encoding;
    EXPECT_EQ(got, Fields({0x2E736E64, 4, 24, 4, 500, 4, field, 4, 8000, 4, 1, 4, 0xEE, 1}, true)) << encoding;
  }
  // Encodings without a form in the container write nothing.
  Bytes h(ORVN_WAVE_HEADER_MAX, 0xEE);
  for (int32_t encoding : {4, 5, -1, 6}) EXPECT_EQ(ORVN_MakeWaveHeader(encoding, 8000, 10, h.data()), 0) << encoding;
  for (int32_t encoding : {4, -1, 6}) EXPECT_EQ(ORVN_MakeAuHeader(encoding, 8000, 10, h.data()), 0) << encoding;
  EXPECT_EQ(h, Bytes(ORVN_WAVE_HEADER_MAX, 0xEE));
}

// Mode 2 mixes, the second repeated or cut to the first's length: 16-bit clamps at +-32700, unsigned 8-bit gives
// a + b - 126, AU's 8-bit is signed. (Appending, modes 0 and 1, most refusals, and that the mixer needs no
// initialisation and leaves the last error alone on success, are held to their rules by the mixer's fuzz target on its
// seed inputs.)
TEST(Mixer, ModesAndFailures) {
  const ScratchDir dir;
  const std::string a = dir / "a", b = dir / "b", out = dir / "out";
  const auto c = [](int32_t t, int32_t e, const Bytes& d) { return Container(t, e, 8000, d); };
  const auto pcm = [&](int32_t type, const Samples& s) { return c(type, 0, Samples16(s, type == 1)); };
  const Samples x = {30000, -30000, 1000, 5}, y = {10000, -10000, -3000, -5}, mix = {32700, -32700, -2000, 0};
  constexpr int32_t kMismatch = ORVN_ERR_FORMAT_MISMATCH, kInvalid = ORVN_ERR_INVALID_ARG;
  struct Case {
    const char* what;
    Bytes first, second;
    int32_t fileType, encoding, mode, error;  // error 0: success, giving `output`
    Bytes output;
  };
  const Case cases[] = {
      {"WAV 16-bit mix", pcm(0, x), pcm(0, y), 0, 0, 2, 0, pcm(0, mix)},
      {"AU 16-bit mix", pcm(1, x), pcm(1, y), 1, 0, 2, 0, pcm(1, mix)},
      {"WAV 8-bit mix", c(0, 1, {0xFF, 0, 0x90, 0x80}), c(0, 1, {0xFF, 0, 0x70, 0x80}), 0, 1, 2, 0,
       c(0, 1, {0xFF, 0, 0x82, 0x82})},
      {"AU 8-bit mix", c(1, 1, {100, 0x80, 5}), c(1, 1, {100, 0x80, 0xFB}), 1, 1, 2, 0, c(1, 1, {127, 0x80, 0})},
      {"second repeated", Bytes(7, 0x80), {0x81, 0x82, 0x83}, 2, 1, 2, 0, {0x83, 0x84, 0x85, 0x83, 0x84, 0x85, 0x83}},
      {"second cut", {0x81, 0x82}, Bytes(5, 0x80), 2, 1, 2, 0, {0x83, 0x84}},
      {"second empty", {0x90, 0x10}, {}, 2, 1, 2, 0, {0x90, 0x10}},
      {"mode -1", {1}, {1}, 2, 0, -1, kInvalid, {}},
      {"file type 3", {1}, {1}, 3, 0, 1, kInvalid, {}},
      {"WAV tags", c(0, 2, {1}), c(0, 3, {1}), 0, 2, 1, kMismatch, {}},
      {"WAV sample sizes", pcm(0, {1}), c(0, 1, {1}), 0, 0, 1, kMismatch, {}},
      {"AU rates", pcm(1, {1}), Container(1, 0, 16000, {1, 2}), 1, 0, 1, kMismatch, {}},
      {"AU encodings", c(1, 2, {1}), c(1, 3, {1}), 1, 2, 1, kMismatch, {}},
      {"AU shorter than a header", pcm(1, {}), Bytes(10, 0), 1, 0, 2, ORVN_ERR_FILE_OPEN, {}}};
  for (const Case& k : cases) {
    WriteFile(a, k.first);
    WriteFile(b, k.second);
    std::filesystem::remove(out);
    ORVN_Initialize();
    const int32_t result = ORVN_AudioMixer(a.c_str(), b.c_str(), out.c_str(), 8000, k.fileType, k.encoding, k.mode);
    EXPECT_EQ(result, k.error ? 1 : 0) << k.what;
    EXPECT_EQ(ORVN_GetError(), k.error) << k.what;
    EXPECT_EQ(std::filesystem::exists(out), k.error != kInvalid) << k.what;  // else an empty output
    EXPECT_EQ(ReadFile(out), k.output) << k.what;
  }
  EXPECT_EQ(ORVN_AudioMixer(nullptr, a.c_str(), (dir / "x").c_str(), 8000, 2, 0, 1), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG);
  EXPECT_EQ(ORVN_AudioMixer((dir / "missing").c_str(), a.c_str(), out.c_str(), 8000, 2, 0, 1), 1);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_FILE_OPEN);
  EXPECT_EQ(std::filesystem::file_size(out), 0u);
}

// An output that names one of the inputs, under any spelling (the same path, another relative form, a symbolic or
// hard link), would be truncated before it is read: refused with -6, every file left as it was.
TEST(Mixer, AnOutputThatIsAnInputIsRefusedAndNothingIsTouched) {
  const ScratchDir dir;
  const std::string a = dir / "a.wav", b = dir / "b.wav";
  const Bytes first = Container(0, 0, 8000, Bytes(64, 1)), second = Container(0, 0, 8000, Bytes(32, 2));
  WriteFile(a, first);
  WriteFile(b, second);
  std::filesystem::create_hard_link(b, dir / "hard.wav");
  std::vector<std::string> outputs = {a, b, dir / "./a.wav", dir / "hard.wav"};
  if (!kWindows) {  // a symbolic link needs a privilege on Windows
    std::filesystem::create_symlink(a, dir / "link.wav");
    outputs.push_back(dir / "link.wav");
  }
  for (const std::string& out : outputs) {
    for (int32_t mode : {0, 1, 2}) {
      ORVN_Initialize();
      const std::string call = "ORVN_AudioMixer(a, b, " + out + ", mode " + std::to_string(mode) + ")";
      EXPECT_EQ(ORVN_AudioMixer(a.c_str(), b.c_str(), out.c_str(), 8000, 0, 0, mode), 1) << call;
      EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG) << call;
      EXPECT_EQ(ReadFile(a), first) << out;
      EXPECT_EQ(ReadFile(b), second) << out;
    }
  }
  EXPECT_EQ(ORVN_AudioMixer(a.c_str(), a.c_str(), (dir / "twice.wav").c_str(), 8000, 0, 0, 1), 0)
      << "the same file twice as input is fine";
}

}  // namespace
}  // namespace orven_test
