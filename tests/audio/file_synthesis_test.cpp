// File synthesis: every file the entries write, read back by sox and ffprobe; files after failures; the step order.

#include "../api/api_test_support.h"
#include "audio_test_support.h"

namespace orven_test {
namespace {

class FileSynthesisTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
  }
  ScratchDir dir;
};

constexpr const char* kText = "tones for files";  // one 60 ms tone per character
constexpr int kMilliseconds = 15 * 60;

// A container and encoding as ffprobe and soxi name them.
struct HeaderedForm {
  int32_t fileType, encoding;
  const char *codec, *soxiEncoding;
};
const HeaderedForm kHeaderedForms[] = {{0, 0, "pcm_s16le", "16-bit Signed Integer PCM"},
                                       {0, 1, "pcm_u8", "8-bit Unsigned Integer PCM"},
                                       {0, 2, "pcm_mulaw", "8-bit u-law"},
                                       {0, 3, "pcm_alaw", "8-bit A-law"},
                                       {1, 0, "pcm_s16be", "16-bit Signed Integer PCM"},
                                       {1, 1, "pcm_s8", "8-bit Signed Integer PCM"},
                                       {1, 2, "pcm_mulaw", "8-bit u-law"},
                                       {1, 3, "pcm_alaw", "8-bit A-law"},
                                       {1, 5, "adpcm_g726le", "4-bit G.721 ADPCM"}};
class HeaderedFileTest : public FileSynthesisTest, public testing::WithParamInterface<HeaderedForm> {};

// How closely 16-bit little-endian samples follow the samples they should be: their normalised correlation.
double Correlation(const std::string& reference, const Bytes& decoded) {
  double xx = 0, yy = 0, xy = 0;
  for (size_t i = 0; 2 * i + 1 < reference.size() && 2 * i + 1 < decoded.size(); ++i) {
    const double x = static_cast<int16_t>(static_cast<uint8_t>(reference[2 * i]) | reference[2 * i + 1] << 8),
                 y = static_cast<int16_t>(decoded[2 * i] | decoded[2 * i + 1] << 8);
    xx += x * x, yy += y * y, xy += x * y;
  }
  return xy / std::sqrt(xx * yy + 1);
}

// From each voice to each rate, ffprobe and soxi read the container, codec, rate and length (to 0.1 s) as written.
// At the voice's own rate sox decodes the engine's samples back, to within what the coding loses (G.721 the most, its
// coder reset at every chunk: a correlation of 0.87 to 0.92); a coder that packs, orders or signs its samples
// otherwise than the header says decodes to something else (G.721 with its nibbles swapped: 0.04 to 0.6).
TEST_P(HeaderedFileTest, OpensInSoxAndFfprobeAsWritten) {
  REQUIRE_TOOL("soxi");
  REQUIRE_TOOL("ffprobe");
  const auto [fileType, encoding, codec, soxiEncoding] = GetParam();
  const char* type = fileType == 0 ? "wav" : "au";
  const std::string path = dir / "f", decoded = dir / "decoded.raw";
  const std::string probe =
      "{ ffprobe -v error -of csv=p=0 -show_entries stream=codec_name,sample_rate,channels:format=format_name,duration "
      "'" +
      path + "' && soxi '" + path +
      "' 2>/dev/null | sed -n -e 's/^Channels *: //p' -e 's/^Sample Rate *: //p' -e 's/^Sample Encoding: //p' "
      "-e 's/^Duration *: 00:00:\\([0-9.]*\\).*/\\1/p'; } | awk -F, -v OFS=, "
      "'{ for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9]+[.][0-9]+$/) $i = sprintf(\"%.1f\", $i); print }'";
  for (auto [speaker, rate] : {std::pair{0, 16000}, {0, 8000}, {0, 11025}, {1, 8000}, {1, 16000}}) {
    const std::string call = "ORVN_TextToFile(English, speaker " + std::to_string(speaker) + ", " + type +
                             ", encoding " + std::to_string(encoding) + ", " + std::to_string(rate) + " Hz)";
    ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, speaker, fileType, encoding, rate, kText, path.c_str(), nullptr, nullptr),
              0)
        << call;
    const std::string want = std::string(codec) + "," + std::to_string(rate) + ",1\n" + type + ",0.9\n1\n" +
                             std::to_string(rate) + "\n0.9\n" + soxiEncoding + "\n";
    EXPECT_EQ(Output(probe), want) << call;
    if (rate != (speaker == 0 ? 16000 : 8000)) continue;
    ASSERT_EQ(std::system(("sox '" + path + "' -t raw -e signed -b 16 -L '" + decoded + "' 2>/dev/null").c_str()), 0)
        << call;
    const std::string spoken = Synthesised(kText, speaker);
    EXPECT_EQ(ReadFile(decoded).size(), spoken.size()) << call;
    EXPECT_GT(Correlation(spoken, ReadFile(decoded)), 0.8) << call;
  }
}
INSTANTIATE_TEST_SUITE_P(Forms, HeaderedFileTest, testing::ValuesIn(kHeaderedForms), [](const auto& info) {
  return std::string(info.param.fileType == 0 ? "wav_" : "au_") + info.param.codec;
});

// Headerless files (types 2 and 7), and G.721 asked in WAV, hold the coded samples alone: exactly as many bytes as
// the 0.9 s take in their coding. (Type 2 in every coding is the file output step's own test.)
TEST_F(FileSynthesisTest, HeaderlessFilesHoldTheCodedSamplesAlone) {
  const std::string path = dir / "raw";
  // (file type, encoding, bytes a second at 8000 Hz)
  for (auto [fileType, encoding, bytesPerSecond] :
       {std::tuple{7, 1, 8000}, {7, 3, 8000}, {2, 4, 4000}, {7, 4, 4000}, {0, 5, 4000}}) {
    ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 1, fileType, encoding, 8000, kText, path.c_str(), nullptr, nullptr), 0);
    EXPECT_EQ(ReadFile(path).size(), static_cast<size_t>(kMilliseconds * bytesPerSecond / 1000))
        << "ORVN_TextToFile(type " << fileType << ", encoding " << encoding << ")";
  }
}

// A WAV at the voice's own rate is the 44-byte header and the engine's samples, exactly.
TEST_F(FileSynthesisTest, AWaveAtTheVoicesRateHoldsTheEnginesSamplesExactly) {
  const std::string spoken = Synthesised(kText, 0), path = dir / "exact.wav";
  ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 0, 0, 0, 16000, kText, path.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(ReadFile(path), Container(0, 0, 16000, Bytes(spoken.begin(), spoken.end())));
  EXPECT_FALSE(spoken.empty());
}

// Argument failures give their error and create no file.
TEST_F(FileSynthesisTest, ArgumentFailuresCreateNoFile) {
  const std::string name = dir / "never.wav";
  const char* p = name.c_str();
  const auto refused = [&](const char* what, int32_t result, int32_t expected) {
    EXPECT_EQ(result, expected) << what;
    EXPECT_EQ(ORVN_GetError(), expected) << what;
    EXPECT_FALSE(std::filesystem::exists(name)) << what;
  };
  refused("speaker 11", ORVN_TextToFile(0, 11, 0, 0, 8000, "x", p, nullptr, nullptr), ORVN_ERR_SPEAKER);
  refused("not loaded", ORVN_TextToFile(0, 4, 0, 0, 8000, "x", p, nullptr, nullptr), ORVN_ERR_NOT_LOADED);
  refused("empty text", ORVN_TextToFile(0, 0, 0, 0, 8000, "", p, nullptr, nullptr), ORVN_ERR_INVALID_ARG);
  refused("null file", ORVN_TextToFile(0, 0, 0, 0, 8000, "x", nullptr, nullptr, nullptr), ORVN_ERR_INVALID_ARG);
  refused("VOX in WAV", ORVN_TextToFile(0, 0, 0, 4, 8000, "x", p, nullptr, nullptr), ORVN_ERR_INVALID_ARG);
  refused("VOX in AU", ORVN_SMSToFile(0, 0, 1, 4, 8000, "x", p, nullptr), ORVN_ERR_INVALID_ARG);
  refused("name in English", ORVN_NameToFile(1, 0, 0, 0, 8000, "x", p, nullptr), ORVN_ERR_KOREAN_ONLY);
  EXPECT_EQ(ORVN_TextToFile(0, 0, 0, 0, 8000, "x", (dir / "no/such/dir/f.wav").c_str(), nullptr, nullptr),
            ORVN_ERR_FILE_OPEN);
  EXPECT_EQ(SynTest_OpenChannels(ORVN_KOREAN), 0);
}

// No channel gives -3 and an empty file; a failed request leaves a header matching the data and returns its result.
TEST_F(FileSynthesisTest, FailuresLeaveConsistentFiles) {
  const std::string path = dir / "failed";
  SynTest_ForceResult("CreateJapTTSThread", 0);
  EXPECT_EQ(ORVN_TextToFile(ORVN_JAPANESE, 0, 0, 0, 16000, "x", path.c_str(), nullptr, nullptr),
            ORVN_ERR_CHANNEL_CREATE);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_CHANNEL_CREATE);
  ORVN_SetTextFormat(nullptr, 1);  // tagged text whose markup is malformed
  EXPECT_EQ(ORVN_TextToFile(ORVN_KOREAN, 0, 1, 2, 16000, "a<b", path.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_MARKUP);
  EXPECT_EQ(ReadFile(path), Container(1, 2, 16000, {}));
  SynTest_ForceResult("EngTextToSpeech", 5);
  EXPECT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 0, 0, 2, 8000, "x", path.c_str(), nullptr, nullptr), 5);
  EXPECT_EQ(ReadFile(path), Container(0, 2, 8000, {}));
  EXPECT_EQ(SynTest_OpenChannels(ORVN_ENGLISH), 0);
}

// Output rates no conversion reaches (zero or negative, or from a voice without database information, whose rate
// reads 0) write a header and no data, on every target: no division by zero, no wrapped buffer size.
TEST_F(FileSynthesisTest, RatesThatCannotBeReachedGiveAHeaderAndNoData) {
  const std::string path = dir / "rates";
  const struct {
    const char* what;
    int32_t speaker;
    int32_t rate;
    bool noDbInfo;
  } cases[] = {{"16 kHz voice to -8000 Hz", 0, -8000, false}, {"16 kHz voice to 0 Hz", 0, 0, false},
               {"8 kHz voice to -1 Hz", 1, -1, false},        {"no db info, to -1 Hz", 0, -1, true},
               {"no db info, to 0 Hz", 0, 0, true},           {"no db info, to 8000 Hz", 0, 8000, true}};
  for (const auto& c : cases) {
    SynTest_Reset();
    if (c.noDbInfo) SynTest_ForceDbStatus(ORVN_ENGLISH, c.speaker, -1);
    EXPECT_EQ(ORVN_TextToFile(ORVN_ENGLISH, c.speaker, 0, 0, c.rate, "abc", path.c_str(), nullptr, nullptr), 0)
        << c.what;
    EXPECT_EQ(ReadFile(path), Container(0, 0, c.rate, {})) << c.what;
  }
}

// A voice unloaded while the entry runs (between its channel and its database query) reads as rate 0, never as
// whatever the stack held: the file gets its header and no data, and the request's failure is what is reported.
TEST_F(FileSynthesisTest, AVoiceUnloadedMidwayGivesAHeaderAndNoData) {
  const std::string path = dir / "unloaded";
  SynTest_SetHook(
      "ChangeChiTTSAttr", [](void*) { ORVN_UnLoadEngineEx(ORVN_CHINESE, 0); }, nullptr);
  EXPECT_EQ(ORVN_TextToFile(ORVN_CHINESE, 0, 1, 0, 8000, "abc", path.c_str(), "<speed=\"100\">", nullptr),
            ORVN_ERR_NOT_LOADED);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);
  EXPECT_EQ(ReadFile(path), Container(1, 0, 8000, {}));
}

// A fully successful entry ends with the last error 0 whatever its set-up steps or earlier calls left there; a
// failed request's own code stays visible.
TEST_F(FileSynthesisTest, TheLastErrorIsTheRequestsOwn) {
  const std::string path = dir / "error";
  ORVN_GetTextLimitLength(7, 0);  // -13 left by an earlier call
  EXPECT_EQ(ORVN_TextToFile(ORVN_KOREAN, 0, 0, 0, 16000, "x", path.c_str(), nullptr, ""), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_OK) << "the refused empty dictionary path must not outlive a success";
  ORVN_SetVoiceCapacity(ORVN_KOREAN, 9, 64, 2);
  ORVN_UnLoadEngineEx(ORVN_KOREAN, 9);
  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_KOREAN, 9, VoicesDir().c_str(), 0), 0);
  EXPECT_EQ(ORVN_TextToFile(ORVN_KOREAN, 9, 0, 0, 16000, "long", path.c_str(), nullptr, ""), ORVN_ERR_TEXT_LIMIT);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_TEXT_LIMIT);
}

// The channel is prepared in order and cleaned up; name files take no dictionary, defaults or non-tag attributes.
TEST_F(FileSynthesisTest, TheChannelIsPreparedInOrderAndCleanedUp) {
  const std::string dict = dir / "words.txt", path = dir / "order.wav";
  WriteFile(dict, Bytes{'x', '\t', 'y', '\n'});
  ORVN_SetPauseLength(nullptr, 5, 6);
  ORVN_SetLipSync(nullptr, 1);
  ClearEngineLogs();
  ASSERT_EQ(ORVN_TextToFile(ORVN_KOREAN, 1, 0, 0, 8000, "x", path.c_str(), "<speed=\"150\">", dict.c_str()), 0);
  EXPECT_EQ(EngineOps(ORVN_KOREAN),
            "CreateTTSThread ChangeTTSAttr GetDBInfo LoadUSRDict SetLipSync SetPauseLength "
            "SetSentDelimLF GetCharSet GetTextFormat TextToSpeech UnLoadUSRDict DeleteTTSThread ");
  ClearEngineLogs();
  ASSERT_EQ(ORVN_NameToFile(ORVN_KOREAN, 1, 0, 0, 8000, "kim", path.c_str(), "speed"), 0);
  EXPECT_EQ(EngineOps(ORVN_KOREAN), "CreateTTSThread GetDBInfo GetCharSet GetTextFormat NameToSpeech DeleteTTSThread ");
}

}  // namespace
}  // namespace orven_test
