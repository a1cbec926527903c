#include "platform/files.h"

#include <sys/stat.h>

namespace orven::platform {

bool SameFile(const char* first, const char* second) noexcept {
  struct stat a, b;
  if (stat(first, &a) != 0 || stat(second, &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace orven::platform
