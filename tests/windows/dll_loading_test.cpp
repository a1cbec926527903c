// ORVEN_M.dll binds its engine DLLs by name when it is loaded. A program that loads it by full path from another
// directory gets the engines beside the library: neither those beside the program nor whatever the current
// directory holds. This program does not link the library, so that it can load a copy of it.
#include "windows_test_support.h"

namespace orven_test {
namespace {

constexpr const char* kLibraries[] = {"ORVEN_M.dll", "KORSYN.dll", "ENGSYN.dll",
                                      "CHISYN.dll",  "JAPSYN.dll", "SYNCORE.dll"};

template <class Function>
Function Export(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

fs::path ModuleDirectory(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(module, path.data(), MAX_PATH));
  return fs::path(path).parent_path();
}

TEST(EngineDlls, ComeFromTheLibrarysOwnDirectory) {
  const std::string voices = VoicesDir();
  const ScratchDir scratch;
  const fs::path lib = scratch.Path() / "lib", elsewhere = scratch.Path() / "elsewhere";
  fs::create_directories(lib);
  fs::create_directories(elsewhere);
  for (const char* name : kLibraries) {
    fs::copy_file(ModuleDirectory(nullptr) / name, lib / name);
    // A decoy of every name in the current directory: a loader that took it would fail on it.
    std::ofstream(elsewhere / name) << "not a DLL";
  }
  CurrentDirectory moved(elsewhere);
  HMODULE library = LoadLibraryExW((lib / "ORVEN_M.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  ASSERT_NE(library, nullptr) << "LoadLibraryEx failed with " << GetLastError();
  for (const char* name : kLibraries) {
    const fs::path from = ModuleDirectory(GetModuleHandleA(name));
    EXPECT_TRUE(fs::equivalent(from, lib)) << name << " came from " << from;
  }

  // The engines answer: every language's tone voice loads and speaks into a file in the current directory.
  Export<decltype(&ORVN_Initialize)>(library, "ORVN_Initialize")();
  const auto load = Export<decltype(&ORVN_LoadEngineEx)>(library, "ORVN_LoadEngineEx");
  const auto toFile = Export<decltype(&ORVN_TextToFile)>(library, "ORVN_TextToFile");
  for (int32_t language = 0; language < ORVN_LANGUAGE_COUNT; ++language) {
    EXPECT_EQ(load(language, 9, voices.c_str(), 0), 0) << "ORVN_LoadEngineEx(" << language << ", 9, " << voices << ")";
    EXPECT_EQ(toFile(language, 9, 0, 0, 16000, "abc", "out.wav", nullptr, nullptr), 0)
        << "ORVN_TextToFile(" << language << ", 9)";
    EXPECT_GT(fs::file_size(elsewhere / "out.wav"), 44u) << "ORVN_TextToFile(" << language << ", 9)";
  }
  FreeLibrary(library);
}

}  // namespace
}  // namespace orven_test
