// Paths on Windows: the database directory that ORVN_LoadEngine makes of a caller's path, and files opened by byte
// paths in the ANSI code page.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "orven_api.h"
#include "orven_engine_testctl.h"
#include "windows_test_support.h"

namespace orven_windows_test {
namespace {

// The directory the English engine was last asked to load from: LoadEngTTSEngineEx("DIR", option, speaker).
std::string DirectoryGivenToEngine() {
  constexpr char kLoad[] = "LoadEngTTSEngineEx(\"";
  std::string last = "(no load)";
  for (int32_t i = 0; i < SynTest_LogCount(ORVN_ENGLISH); ++i) {
    char entry[2048];
    SynTest_LogEntry(ORVN_ENGLISH, i, entry, sizeof entry);
    if (std::strncmp(entry, kLoad, sizeof kLoad - 1) == 0) {
      last.assign(entry + sizeof kLoad - 1, std::strrchr(entry, '"'));
    }
  }
  return last;
}

int32_t ORVN_CDECL IgnoreAudio(void*, ORVN_PcmChunk*) { return 0; }

class WindowsPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    TestVoices();
    ORVN_Initialize();
    ORVN_UnLoadEngine(ORVN_ENGLISH);
    SynTest_Reset();
  }
  void TearDown() override { ORVN_UnLoadEngine(ORVN_ENGLISH); }
};

// Relative paths, also drive-relative ones, are resolved against the current directory, with either separator;
// the engine receives the absolute path with exactly one trailing backslash. A path whose full form
// would need 260 characters or more goes to the engine as given.
TEST_F(WindowsPaths, TheEngineReceivesTheResolvedDatabaseDirectory) {
  ScratchDir scratch;
  CurrentDirectory moved(scratch.path);
  const std::string cwd = AnsiPath(fs::current_path());  // X:\...\orven-N
  const std::string drive = cwd.substr(0, 2), parent = cwd.substr(0, cwd.rfind('\\'));
  const std::string tooLong = std::string(150, 'x') + "/" + std::string(150, 'y');
  const struct {
    std::string given, expected;
  } rows[] = {
      {"db", cwd + "\\db\\"},
      {"db\\", cwd + "\\db\\"},
      {"db/", cwd + "\\db\\"},
      {"..\\db", parent + "\\db\\"},
      {drive + "db", cwd + "\\db\\"},
      // Another drive; not D:, which may be an empty disc drive that has Windows ask for a disc.
      {"Q:\\voices\\main", "Q:\\voices\\main\\"},
      {"Q:/voices/main/", "Q:\\voices\\main\\"},
      {tooLong, tooLong + "\\"},
  };
  for (const auto& row : rows) {
    SynTest_ClearLog(ORVN_ENGLISH);
    EXPECT_EQ(ORVN_LoadEngine(ORVN_ENGLISH, row.given.c_str(), 0), 1) << "ORVN_LoadEngine(1, \"" << row.given << "\")";
    EXPECT_EQ(DirectoryGivenToEngine(), row.expected) << "ORVN_LoadEngine(1, \"" << row.given << "\")";
  }

  // What the engine receives is a directory it can read from.
  CurrentDirectory beside(TestVoices().parent_path());
  const std::string relative = "./" + AnsiPath(TestVoices().filename()) + "/";
  EXPECT_EQ(ORVN_LoadEngine(ORVN_ENGLISH, relative.c_str(), 0), 0) << "ORVN_LoadEngine(1, \"" << relative << "\")";
}

// A name the ANSI code page can spell: the first of a few candidates for Western, Korean, Chinese, Japanese and
// Cyrillic code pages.
std::wstring AnsiSpellableName() {
  for (const wchar_t* name : {L"caf\u00e9", L"\ud55c\uae00", L"\u4e2d\u6587", L"\u304b\u306a", L"\u0416\u0443\u043a"})
    if (!AnsiPath(name).empty()) return name;
  return {};
}

// Paths are bytes in the ANSI code page, as the C runtime and the A functions of Windows read them: a user dictionary,
// the file that ORVN_TextToFile writes, the mixer's files and its check that the output is not an input.
TEST_F(WindowsPaths, FilesAreOpenedByAnsiCodePagePaths) {
  const std::wstring name = AnsiSpellableName();
  if (name.empty()) GTEST_SKIP() << "the ANSI code page " << GetACP() << " has none of the candidate characters";
  ScratchDir scratch;
  const fs::path dir = scratch.path / name, speech = dir / (name + L".wav"), joined = dir / (name + L"2.wav");
  const std::string dictionary = AnsiPath(dir / (name + L".dic")), ansiSpeech = AnsiPath(speech);
  fs::create_directory(dir);
  std::ofstream(dir / (name + L".dic"), std::ios::binary) << "abc\txyz\nde\tfgh\n";
  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 9, AnsiPath(TestVoices()).c_str(), 0), 0);

  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, IgnoreAudio, ORVN_ENGLISH, 9);
  int32_t entries = 0, faultLine = 0;
  EXPECT_NE(ORVN_LoadUserDict(channel, dictionary.c_str(), &entries, &faultLine), 0);
  EXPECT_EQ(entries, 2) << "ORVN_LoadUserDict reports the entries it read";
  ORVN_DeleteThread(channel);

  ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 9, 0, 0, 16000, "abc", ansiSpeech.c_str(), nullptr, dictionary.c_str()), 0);
  const uintmax_t data = fs::file_size(speech) - 44;
  EXPECT_EQ(ORVN_AudioMixer(ansiSpeech.c_str(), ansiSpeech.c_str(), AnsiPath(joined).c_str(), 16000, 0, 0, 1), 0);
  EXPECT_EQ(fs::file_size(joined), 44 + 2 * data) << "ORVN_AudioMixer joins its two inputs";
  std::string sameAgain = ansiSpeech;
  std::replace(sameAgain.begin(), sameAgain.end(), '\\', '/');
  EXPECT_EQ(ORVN_AudioMixer(ansiSpeech.c_str(), AnsiPath(joined).c_str(), sameAgain.c_str(), 16000, 0, 0, 1), 1)
      << "ORVN_AudioMixer must see that its output is its first input";
  EXPECT_EQ(fs::file_size(speech), 44 + data);
}

}  // namespace
}  // namespace orven_windows_test
