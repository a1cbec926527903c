#include "platform/fullpath.h"

#include <filesystem>
#include <system_error>

namespace orven::platform {

bool ResolveFullPath(const char* path, std::string& out) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return false;
  std::string resolved = absolute.lexically_normal().string();
  if (resolved.empty() || resolved.size() >= 260) return false;
  out = std::move(resolved);
  return true;
}

}  // namespace orven::platform
