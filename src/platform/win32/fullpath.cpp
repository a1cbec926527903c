#include "platform/fullpath.h"

#include <windows.h>

namespace orven::platform {

bool ResolveFullPath(const char* path, std::string& out) {
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(path, MAX_PATH, buffer, nullptr);
  // 0 is a failure; MAX_PATH or more is the size the result would need.
  if (length == 0 || length >= MAX_PATH) return false;
  out.assign(buffer, length);
  return true;
}

}  // namespace orven::platform
