// Files opened by byte paths in the ANSI code page. (The database directory made of a caller's path, drive letters
// and backslashes included, is checked with the other voice tests.)
#include "windows_test_support.h"

namespace orven_test {
namespace {

int32_t ORVN_CDECL IgnoreAudio(void*, ORVN_PcmChunk*) { return 0; }

// A name the ANSI code page can spell: the first of a few candidates for Western, Korean, Chinese, Japanese and
// Cyrillic code pages.
std::wstring AnsiSpellableName() {
  for (const wchar_t* name : {L"caf\u00e9", L"\ud55c\uae00", L"\u4e2d\u6587", L"\u304b\u306a", L"\u0416\u0443\u043a"})
    if (!AnsiPath(name).empty()) return name;
  return {};
}

// Paths are bytes in the ANSI code page, as the C runtime and the A functions of Windows read them: a user dictionary,
// the file that ORVN_TextToFile writes, the mixer's files and its check that the output is not an input.
TEST(WindowsPaths, FilesAreOpenedByAnsiCodePagePaths) {
  const std::wstring name = AnsiSpellableName();
  if (name.empty()) GTEST_SKIP() << "the ANSI code page " << GetACP() << " has none of the candidate characters";
  const ScratchDir scratch;
  const fs::path dir = scratch.Path() / name, speech = dir / (name + L".wav"), joined = dir / (name + L"2.wav");
  const std::string dictionary = AnsiPath(dir / (name + L".dic")), ansiSpeech = AnsiPath(speech);
  fs::create_directory(dir);
  std::ofstream(dir / (name + L".dic"), std::ios::binary) << "abc\txyz\nde\tfgh\n";
  ORVN_Initialize();
  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 9, VoicesDir().c_str(), 0), 0);

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
  ORVN_UnLoadEngine(ORVN_ENGLISH);
}

}  // namespace
}  // namespace orven_test
