// Helpers of the Windows tests: scratch directories, the current directory, ANSI paths, the tone voices.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace orven_windows_test {

namespace fs = std::filesystem;

// A fresh directory under the temporary directory, removed with everything in it.
struct ScratchDir {
  ScratchDir()
      : path(fs::temp_directory_path() /
             ("orven-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial))) {
    fs::create_directories(path);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  static inline int serial = 0;
  const fs::path path;
};

// The current directory moved for the length of a scope.
struct CurrentDirectory {
  explicit CurrentDirectory(const fs::path& to) { fs::current_path(to); }
  ~CurrentDirectory() { fs::current_path(saved); }
  const fs::path saved = fs::current_path();
};

// A path as bytes in the ANSI code page, as a C program on Windows spells it; "" when the code page lacks one of
// its characters.
inline std::string AnsiPath(const fs::path& path) {
  const bool utf8 = GetACP() == CP_UTF8;  // which takes neither the flag nor the report of a lossy conversion
  BOOL lossy = FALSE;
  char bytes[4096];
  const int size = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, path.c_str(), -1, bytes, sizeof bytes,
                                       nullptr, utf8 ? nullptr : &lossy);
  return size > 0 && !lossy ? bytes : "";
}

// The tone voices of the tests, absolute, taken before any test moves the current directory: ORVEN_TEST_VOICES,
// else the source tree's.
inline const fs::path& TestVoices() {
  static const fs::path voices =
      fs::absolute(std::getenv("ORVEN_TEST_VOICES") != nullptr ? fs::path(std::getenv("ORVEN_TEST_VOICES"))
                                                               : fs::path(ORVEN_SOURCE_DIR "/tests/voices"));
  return voices;
}

}  // namespace orven_windows_test
