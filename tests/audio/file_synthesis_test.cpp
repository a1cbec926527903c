// File synthesis through the exports: the step order, what is on disk after
// every outcome, and every file the entries can write opened by sox and
// ffprobe as independent readers.
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <sstream>
#include <string_view>

#include "../api/api_test_support.h"
#include "audio_test_support.h"

namespace orven_test {
namespace {

// Concatenates without a chain of operator+, which g++ 12 at -O2 warns
// about wrongly (-Wrestrict).
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out.append(part);
  return out;
}

// Runs a command and returns what it printed, or "" when it failed.
std::string Capture(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(Cat({command, " 2>/dev/null"}).c_str(), "r")) {
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    if (pclose(pipe) != 0) output.clear();
  }
  return output;
}

bool HaveTool(const char* tool) { return !Capture(Cat({"command -v ", tool})).empty(); }

// The oracles are required on CI; a developer without them sees a skip.
#define REQUIRE_ORACLES()                                                                 \
  if (!HaveTool("soxi") || !HaveTool("ffprobe")) {                                        \
    if (std::getenv("ORVEN_REQUIRE_ORACLES")) FAIL() << "sox and ffprobe are required";   \
    GTEST_SKIP() << "sox or ffprobe missing";                                             \
  }

std::map<std::string, std::string> FfprobeFields(const std::string& path) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(Capture(Cat({"ffprobe -v error -show_entries stream=codec_name,sample_rate,channels"
                                        ":format=format_name,duration -of default=nw=1 '",
                                        path, "'"})));
  for (std::string line; std::getline(lines, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return fields;
}

class FileSynthesisTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
  }
  TempDir dir_;
};

// One tone per character: 60 ms each.
constexpr const char* kText = "tones for files";
constexpr double kSeconds = 15 * 0.060;

struct FileCase {
  int32_t fileType, encoding;
  const char* ffFormat;  // ffprobe's format_name
  const char* ffCodec;   // ffprobe's codec_name
  const char* soxEncoding;
};

const FileCase kHeadered[] = {
    {0, 0, "wav", "pcm_s16le", "Signed Integer PCM"}, {0, 1, "wav", "pcm_u8", "Unsigned Integer PCM"},
    {0, 2, "wav", "pcm_mulaw", "u-law"},              {0, 3, "wav", "pcm_alaw", "A-law"},
    {1, 0, "au", "pcm_s16be", "Signed Integer PCM"},  {1, 1, "au", "pcm_s8", "Signed Integer PCM"},
    {1, 2, "au", "pcm_mulaw", "u-law"},               {1, 3, "au", "pcm_alaw", "A-law"},
    {1, 5, "au", "adpcm_g726le", "G.721 ADPCM"},
};

// (voice speaker, file rate): the rates each voice can be written at.
const std::pair<int32_t, int32_t> kRates[] = {{0, 16000}, {0, 8000}, {0, 11025}, {1, 8000}, {1, 16000}};

TEST_F(FileSynthesisTest, EveryHeaderedFileOpensInSoxAndFfprobeAsWritten) {
  REQUIRE_ORACLES();
  for (const FileCase& c : kHeadered) {
    for (auto [speaker, rate] : kRates) {
      const std::string name = Cat({"f", std::to_string(c.fileType), "e", std::to_string(c.encoding), "s",
                                    std::to_string(speaker), "r", std::to_string(rate)});
      SCOPED_TRACE(name);
      const std::string path = dir_ / Cat({name, c.fileType == 0 ? ".wav" : ".au"});
      ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, speaker, c.fileType, c.encoding, rate, kText, path.c_str(), nullptr,
                                nullptr),
                0);
      auto probe = FfprobeFields(path);
      EXPECT_EQ(probe["format_name"], c.ffFormat);
      EXPECT_EQ(probe["codec_name"], c.ffCodec);
      EXPECT_EQ(probe["sample_rate"], std::to_string(rate));
      EXPECT_EQ(probe["channels"], "1");
      // Decimation to 11025 Hz drops up to one sample per chunk.
      EXPECT_NEAR(std::stod(probe["duration"].empty() ? "0" : probe["duration"]), kSeconds, 0.02);

      const auto soxi = [&](const char* field) { return Capture(Cat({"soxi ", field, " '", path, "'"})); };
      EXPECT_EQ(soxi("-t"), Cat({c.fileType == 0 ? "wav" : "au", "\n"}));
      EXPECT_EQ(soxi("-r"), Cat({std::to_string(rate), "\n"}));
      EXPECT_EQ(soxi("-c"), "1\n");
      EXPECT_EQ(soxi("-e"), Cat({c.soxEncoding, "\n"}));
      const std::string seconds = soxi("-D");
      EXPECT_NEAR(std::stod(seconds.empty() ? "0" : seconds), kSeconds, 0.02);
    }
  }
}

TEST_F(FileSynthesisTest, HeaderlessFilesHoldTheCodedSamplesAlone) {
  REQUIRE_ORACLES();
  // (encoding, sox's description of the raw data, bytes per second at 8000 Hz)
  const std::tuple<int32_t, std::string, int32_t> cases[] = {
      {0, "-e signed -b 16", 16000}, {1, "-e unsigned -b 8", 8000}, {2, "-e u-law -b 8", 8000},
      {3, "-e a-law -b 8", 8000},    {4, "-t vox", 4000},            {5, "", 4000}};
  for (const auto& [encoding, soxType, bytesPerSecond] : cases) {
    SCOPED_TRACE(encoding);
    for (int32_t fileType : {2, 7}) {
      const std::string path = dir_ / Cat({"raw", std::to_string(encoding), "_", std::to_string(fileType)});
      ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 1, fileType, encoding, 8000, kText, path.c_str(), nullptr, nullptr), 0);
      const Bytes file = ReadFile(path);
      EXPECT_NEAR(static_cast<double>(file.size()) / bytesPerSecond, kSeconds, 0.01);
      if (soxType.empty()) continue;
      const std::string format = soxType == "-t vox" ? soxType : Cat({"-t raw ", soxType});
      const std::string seconds = Capture(
          Cat({"sox -r 8000 -c 1 ", format, " '", path, "' -n stat 2>&1 | sed -n 's/^Length (seconds): *//p'"}));
      EXPECT_NEAR(std::stod(seconds.empty() ? "0" : seconds), kSeconds, 0.01) << format;
    }
  }
  // A WAV file cannot hold G.721: the data is written without any header.
  const std::string path = dir_ / "g721.wav";
  ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 1, 0, 5, 8000, kText, path.c_str(), nullptr, nullptr), 0);
  EXPECT_NEAR(static_cast<double>(ReadFile(path).size()) / 4000, kSeconds, 0.01);
  EXPECT_NE(ReadFile(path)[0], 'R');
}

TEST_F(FileSynthesisTest, AWaveAtTheVoicesRateHoldsTheEnginesSamplesExactly) {
  // The same text through a channel of our own gives the reference samples.
  Bytes spoken;
  ORVN_CHANNEL channel = ORVN_CreateThread(
      &spoken,
      [](void* user, ORVN_PcmChunk* chunk) {
        auto* bytes = reinterpret_cast<const uint8_t*>(chunk->samples);
        static_cast<Bytes*>(user)->insert(static_cast<Bytes*>(user)->end(), bytes, bytes + chunk->byteCount);
        return 0;
      },
      ORVN_CHINESE, 0);
  ASSERT_EQ(ORVN_TextToSpeech(channel, kText, 1), 1);
  ORVN_DeleteThread(channel);

  const std::string path = dir_ / "exact.wav";
  ASSERT_EQ(ORVN_TextToFile(ORVN_CHINESE, 0, 0, 0, 16000, kText, path.c_str(), nullptr, nullptr), 0);
  const Bytes file = ReadFile(path);
  ASSERT_EQ(file.size(), 44 + spoken.size());
  EXPECT_EQ(Bytes(file.begin() + 44, file.end()), spoken);
  EXPECT_EQ(Le32(file, 40), file.size() - 44);
  EXPECT_EQ(Le32(file, 4), file.size() - 8);
}

TEST_F(FileSynthesisTest, ArgumentFailuresCreateNoFile) {
  const std::string path = dir_ / "never.wav";
  struct Case {
    const char* what;
    std::function<int32_t()> call;
    int32_t expected;
  };
  const Case cases[] = {
      {"speaker 11", [&] { return ORVN_TextToFile(0, 11, 0, 0, 8000, "x", path.c_str(), nullptr, nullptr); },
       ORVN_ERR_SPEAKER},
      {"not loaded", [&] { return ORVN_TextToFile(0, 4, 0, 0, 8000, "x", path.c_str(), nullptr, nullptr); },
       ORVN_ERR_NOT_LOADED},
      {"empty text", [&] { return ORVN_TextToFile(0, 0, 0, 0, 8000, "", path.c_str(), nullptr, nullptr); },
       ORVN_ERR_INVALID_ARG},
      {"null file", [&] { return ORVN_TextToFile(0, 0, 0, 0, 8000, "x", nullptr, nullptr, nullptr); },
       ORVN_ERR_INVALID_ARG},
      {"VOX in WAV", [&] { return ORVN_TextToFile(0, 0, 0, 4, 8000, "x", path.c_str(), nullptr, nullptr); },
       ORVN_ERR_INVALID_ARG},
      {"VOX in AU", [&] { return ORVN_SMSToFile(0, 0, 1, 4, 8000, "x", path.c_str(), nullptr); },
       ORVN_ERR_INVALID_ARG},
      {"name in English", [&] { return ORVN_NameToFile(1, 0, 0, 0, 8000, "x", path.c_str(), nullptr); },
       ORVN_ERR_KOREAN_ONLY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(), c.expected);
    EXPECT_EQ(ORVN_GetError(), c.expected);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  EXPECT_EQ(ORVN_TextToFile(0, 0, 0, 0, 8000, "x", (dir_ / "no/such/dir/f.wav").c_str(), nullptr, nullptr),
            ORVN_ERR_FILE_OPEN);
  EXPECT_EQ(SynTest_OpenChannels(ORVN_KOREAN), 0);
}

TEST_F(FileSynthesisTest, WithoutAChannelTheFileStaysEmpty) {
  const std::string path = dir_ / "empty.wav";
  SynTest_ForceResult("CreateJapTTSThread", 0);
  EXPECT_EQ(ORVN_TextToFile(ORVN_JAPANESE, 0, 0, 0, 16000, "x", path.c_str(), nullptr, nullptr),
            ORVN_ERR_CHANNEL_CREATE);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  // A reached channel limit is reported the same way.
  SynTest_ClearForced("CreateJapTTSThread");
  ORVN_UnLoadEngineEx(ORVN_JAPANESE, 9);
  ORVN_SetVoiceCapacity(ORVN_JAPANESE, 9, 1, 0);
  ORVN_LoadEngineEx(ORVN_JAPANESE, 9, VoicesDir().c_str(), 0);
  ORVN_CHANNEL busy = ORVN_CreateThread(nullptr, NoopCallback, ORVN_JAPANESE, 9);
  EXPECT_EQ(ORVN_TextToFile(ORVN_JAPANESE, 9, 1, 0, 16000, "x", path.c_str(), nullptr, nullptr),
            ORVN_ERR_CHANNEL_CREATE);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_CHANNEL_CREATE);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  ORVN_DeleteThread(busy);
}

TEST_F(FileSynthesisTest, AFailedRequestStillLeavesAConsistentFile) {
  const std::string path = dir_ / "markup.au";
  ORVN_SetTextFormat(nullptr, 1);  // the file channel gets tagged text...
  EXPECT_EQ(ORVN_TextToFile(ORVN_KOREAN, 0, 1, 2, 16000, "a<b", path.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_MARKUP);  // ...whose markup is malformed
  const Bytes file = ReadFile(path);
  ASSERT_EQ(file.size(), 24u);
  EXPECT_EQ(Be32(file, 8), 0u);

  // The engine's own result comes back, 1 becoming 0.
  SynTest_ForceResult("EngTextToSpeech", 5);
  EXPECT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 0, 0, 2, 8000, "x", path.c_str(), nullptr, nullptr), 5);
  EXPECT_EQ(ReadFile(path).size(), 46u);
  EXPECT_EQ(SynTest_OpenChannels(ORVN_ENGLISH), 0);
}

TEST_F(FileSynthesisTest, TheChannelIsPreparedInOrderAndCleanedUp) {
  const std::string dict = dir_ / "words.txt", path = dir_ / "order.wav";
  WriteFile(dict, Bytes{'x', '\t', 'y', '\n'});
  ORVN_SetPauseLength(nullptr, 5, 6);
  ORVN_SetLipSync(nullptr, 1);
  ClearEngineLogs();
  ASSERT_EQ(ORVN_TextToFile(ORVN_KOREAN, 1, 0, 0, 8000, "x", path.c_str(), "<speed=\"150\">", dict.c_str()), 0);
  std::vector<std::string> ops;
  for (const std::string& entry : EngineLog(ORVN_KOREAN)) ops.push_back(entry.substr(0, entry.find('(')));
  EXPECT_EQ(ops, (std::vector<std::string>{"CreateTTSThread", "ChangeTTSAttr", "GetDBInfo", "LoadUSRDict",
                                           "SetLipSync", "SetPauseLength", "SetSentDelimLF", "GetCharSet",
                                           "GetTextFormat", "TextToSpeech", "UnLoadUSRDict", "DeleteTTSThread"}));
  // Name and SMS files take neither the dictionary nor the defaults, and an
  // attribute text that is not a tag is not applied.
  ClearEngineLogs();
  ASSERT_EQ(ORVN_NameToFile(ORVN_KOREAN, 1, 0, 0, 8000, "kim", path.c_str(), "speed"), 0);
  ops.clear();
  for (const std::string& entry : EngineLog(ORVN_KOREAN)) ops.push_back(entry.substr(0, entry.find('(')));
  EXPECT_EQ(ops, (std::vector<std::string>{"CreateTTSThread", "GetDBInfo", "GetCharSet", "GetTextFormat",
                                           "NameToSpeech", "DeleteTTSThread"}));
}

}  // namespace
}  // namespace orven_test
