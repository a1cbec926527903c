#include "platform/fullpath.h"

#include <windows.h>

namespace orven::platform {

bool ResolveFullPath(const char* path, char (&out)[kFullPathCapacity]) {
  static_assert(kFullPathCapacity == MAX_PATH, "the classic limit is MAX_PATH");
  const DWORD length = GetFullPathNameA(path, MAX_PATH, out, nullptr);
  // 0 is a failure; MAX_PATH or more is the size the result would need.
  return length != 0 && length < MAX_PATH;
}

}  // namespace orven::platform
