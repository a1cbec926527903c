#include "platform/fullpath.h"

#include <unistd.h>

#include <climits>
#include <cstring>

namespace orven::platform {
namespace {

// Appends the components of `path` to the normalised absolute path `out`
// of `length` bytes: empty and "." components vanish, ".." takes the last
// component off (and stays at the root). False when `out` would overflow.
bool AppendComponents(const char* path, char* out, std::size_t capacity, std::size_t& length) {
  const char* p = path;
  while (*p != '\0') {
    while (*p == '/') ++p;
    const char* end = p;
    while (*end != '\0' && *end != '/') ++end;
    const std::size_t n = static_cast<std::size_t>(end - p);
    if (n == 0 || (n == 1 && p[0] == '.')) {
      // nothing
    } else if (n == 2 && p[0] == '.' && p[1] == '.') {
      while (length > 1 && out[length - 1] != '/') --length;
      if (length > 1) --length;  // the separator before the removed component
    } else {
      const std::size_t separator = length > 1 ? 1 : 0;
      if (length + separator + n >= capacity) return false;
      if (separator != 0) out[length++] = '/';
      std::memcpy(out + length, p, n);
      length += n;
    }
    p = end;
  }
  return true;
}

}  // namespace

bool ResolveFullPath(const char* path, char (&out)[kFullPathCapacity]) {
  if (path == nullptr || path[0] == '\0') return false;
  // The normalised path is built in a buffer as large as any the system
  // takes, then must fit the classic limit.
  char work[PATH_MAX + 1];
  std::size_t length = 1;
  work[0] = '/';
  if (path[0] != '/') {
    char cwd[PATH_MAX + 1];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    if (!AppendComponents(cwd, work, sizeof work, length)) return false;
  }
  if (!AppendComponents(path, work, sizeof work, length)) return false;
  // A path naming a directory by its trailing separator (or by "." or "..")
  // keeps one.
  const std::size_t given = std::strlen(path);
  const bool trailing = path[given - 1] == '/' || (given >= 2 && std::strcmp(path + given - 2, "/.") == 0) ||
                        std::strcmp(path, ".") == 0 || (given >= 3 && std::strcmp(path + given - 3, "/..") == 0) ||
                        std::strcmp(path, "..") == 0;
  if (trailing && length > 1) work[length++] = '/';
  if (length >= kFullPathCapacity) return false;
  std::memcpy(out, work, length);
  out[length] = '\0';
  return true;
}

}  // namespace orven::platform
