#include "platform/files.h"

#include <windows.h>

namespace orven::platform {
namespace {

// The volume and file index of an existing file, through a handle opened for
// no access at all (attributes only), which neither reads nor truncates it.
bool Identify(const char* path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const BOOL known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return known != FALSE;
}

}  // namespace

bool SameFile(const char* first, const char* second) noexcept {
  BY_HANDLE_FILE_INFORMATION a, b;
  if (!Identify(first, a) || !Identify(second, b)) return false;
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace orven::platform
