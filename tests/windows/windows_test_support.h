// Helpers of the Windows tests: paths as bytes in the ANSI code page.
#pragma once

#include <windows.h>

#include "test_support.h"

namespace orven_test {

namespace fs = std::filesystem;

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

}  // namespace orven_test
