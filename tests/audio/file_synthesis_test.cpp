// File synthesis: every file the entries write, read back by sox and ffprobe; files after failures; the step order.
#include <cstdio>

#include "../api/api_test_support.h"
#include "audio_test_support.h"

namespace orven_test {
namespace {

// What a shell command printed, or "" when it failed.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe != nullptr && (c = fgetc(pipe)) != EOF;) out.push_back(static_cast<char>(c));
  return pipe != nullptr && pclose(pipe) == 0 ? out : "";
}

class FileSynthesisTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
  }
  std::string EngineOps(int32_t language) {  // the engine calls' names, each followed by a space
    std::string ops;
    for (const std::string& entry : EngineLog(language)) ops.append(entry.substr(0, entry.find('('))).append(" ");
    return ops;
  }
  TempDir dir_;
};

constexpr const char* kText = "tones for files";  // one 60 ms tone per character
constexpr double kSeconds = 15 * 0.060;

// Each (container x encoding) at each voice rate as ffprobe and soxi read it (durations to 0.1 s).
TEST_F(FileSynthesisTest, EveryHeaderedFileOpensInSoxAndFfprobeAsWritten) {
  REQUIRE_TOOL("soxi");
  REQUIRE_TOOL("ffprobe");
  const char* codecs[2][6] = {{"pcm_s16le", "pcm_u8", "pcm_mulaw", "pcm_alaw"},
                              {"pcm_s16be", "pcm_s8", "pcm_mulaw", "pcm_alaw", "", "adpcm_g726le"}};
  const char* soxi[2][6] = {{"Signed Integer PCM", "Unsigned Integer PCM", "u-law", "A-law"},
                            {"Signed Integer PCM", "Signed Integer PCM", "u-law", "A-law", "", "G.721 ADPCM"}};
  const std::string path = dir_ / "f";
  std::string probe = "f='";
  probe.append(path).append(
      "'; { ffprobe -v error -of csv=p=0 -show_entries stream=codec_name,sample_rate,channels:format=format_name,"
      "duration \"$f\" && for o in t r c e D; do soxi -$o \"$f\"; done; } | awk -F, -v OFS=, "
      "'{ for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9]+[.][0-9]+$/) $i = sprintf(\"%.1f\", $i); print }'");
  for (auto [fileType, encoding] : {std::pair{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 5}}) {
    for (auto [speaker, rate] : {std::pair{0, 16000}, {0, 8000}, {0, 11025}, {1, 8000}, {1, 16000}}) {
      const char* type = fileType == 0 ? "wav" : "au";
      char want[200];
      std::snprintf(want, sizeof want, "%s,%d,1\n%s,0.9\n%s\n%d\n1\n%s\n0.9\n", codecs[fileType][encoding], rate, type,
                    type, rate, soxi[fileType][encoding]);
      ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, speaker, fileType, encoding, rate, kText, path.c_str(), nullptr, nullptr),
                0);
      EXPECT_EQ(Output(probe), want) << type << " " << encoding << " speaker " << speaker;
    }
  }
}

// Headerless files (types 2 and 7), and G.721 asked in WAV, hold the coded samples alone.
TEST_F(FileSynthesisTest, HeaderlessFilesHoldTheCodedSamplesAlone) {
  REQUIRE_TOOL("sox");
  // (type, encoding, sox's reading, bytes a second)
  const std::tuple<int32_t, int32_t, const char*, int32_t> cases[] = {{2, 0, "-t raw -e signed -b 16", 16000},
                                                                      {7, 1, "-t raw -e unsigned -b 8", 8000},
                                                                      {2, 2, "-t raw -e u-law -b 8", 8000},
                                                                      {7, 3, "-t raw -e a-law -b 8", 8000},
                                                                      {2, 4, "-t vox", 4000},
                                                                      {7, 4, "-t vox", 4000},
                                                                      {2, 5, nullptr, 4000},
                                                                      {0, 5, nullptr, 4000}};
  const std::string path = dir_ / "raw";
  for (const auto& [fileType, encoding, soxType, bytesPerSecond] : cases) {
    SCOPED_TRACE(testing::Message() << fileType << "/" << encoding);
    ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 1, fileType, encoding, 8000, kText, path.c_str(), nullptr, nullptr), 0);
    const Bytes file = ReadFile(path);
    EXPECT_NEAR(static_cast<double>(file.size()) / bytesPerSecond, kSeconds, 0.01);
    EXPECT_NE(std::string(file.begin(), file.begin() + std::min<size_t>(4, file.size())), "RIFF");
    if (soxType == nullptr) continue;
    char command[300];
    std::snprintf(command, sizeof command, "sox -r 8000 -c 1 %s '%s' -n stat 2>&1 | sed -n 's/^Length (seconds): *//p'",
                  soxType, path.c_str());
    const std::string seconds = Output(command);
    EXPECT_NEAR(std::atof(seconds.c_str()), kSeconds, 0.01);
  }
}

// A WAV at the voice's own rate is the 44-byte header and the engine's samples, exactly.
TEST_F(FileSynthesisTest, AWaveAtTheVoicesRateHoldsTheEnginesSamplesExactly) {
  Bytes spoken;
  const auto keep = [](void* user, ORVN_PcmChunk* chunk) {
    auto* bytes = reinterpret_cast<const uint8_t*>(chunk->samples);
    static_cast<Bytes*>(user)->insert(static_cast<Bytes*>(user)->end(), bytes, bytes + chunk->byteCount);
    return 0;
  };
  ORVN_CHANNEL channel = ORVN_CreateThread(&spoken, keep, ORVN_CHINESE, 0);
  ASSERT_EQ(ORVN_TextToSpeech(channel, kText, 1), 1);
  ORVN_DeleteThread(channel);
  const std::string path = dir_ / "exact.wav";
  ASSERT_EQ(ORVN_TextToFile(ORVN_CHINESE, 0, 0, 0, 16000, kText, path.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(ReadFile(path), Container(0, 0, 16000, spoken));
  EXPECT_FALSE(spoken.empty());
}

// Argument failures give their error and create no file.
TEST_F(FileSynthesisTest, ArgumentFailuresCreateNoFile) {
  const std::string name = dir_ / "never.wav";
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
  EXPECT_EQ(ORVN_TextToFile(0, 0, 0, 0, 8000, "x", (dir_ / "no/such/dir/f.wav").c_str(), nullptr, nullptr),
            ORVN_ERR_FILE_OPEN);
  EXPECT_EQ(SynTest_OpenChannels(ORVN_KOREAN), 0);
}

// No channel gives -3 and an empty file; a failed request leaves a header matching the data and returns its result.
TEST_F(FileSynthesisTest, FailuresLeaveConsistentFiles) {
  const std::string path = dir_ / "failed";
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
  const std::string path = dir_ / "rates";
  const struct { const char* what; int32_t speaker; int32_t rate; bool noDbInfo; } cases[] = {
      {"16 kHz voice to -8000 Hz", 0, -8000, false}, {"16 kHz voice to 0 Hz", 0, 0, false},
      {"8 kHz voice to -1 Hz", 1, -1, false},         {"no db info, to -1 Hz", 0, -1, true},
      {"no db info, to 0 Hz", 0, 0, true},             {"no db info, to 8000 Hz", 0, 8000, true}};
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
  const std::string path = dir_ / "unloaded";
  SynTest_SetHook("ChangeChiTTSAttr", [](void*) { ORVN_UnLoadEngineEx(ORVN_CHINESE, 0); }, nullptr);
  EXPECT_EQ(ORVN_TextToFile(ORVN_CHINESE, 0, 1, 0, 8000, "abc", path.c_str(), "<speed=\"100\">", nullptr),
            ORVN_ERR_NOT_LOADED);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_LOADED);
  EXPECT_EQ(ReadFile(path), Container(1, 0, 8000, {}));
}

// A fully successful entry ends with the last error 0 whatever its set-up steps or earlier calls left there; a
// failed request's own code stays visible.
TEST_F(FileSynthesisTest, TheLastErrorIsTheRequestsOwn) {
  const std::string path = dir_ / "error";
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
  const std::string dict = dir_ / "words.txt", path = dir_ / "order.wav";
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
