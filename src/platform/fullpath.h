// Turning a caller's database path into an absolute directory path.
#pragma once

#include <string>

namespace orven::platform {

// The separator that ends a directory path handed to an engine.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Resolves `path` against the current directory into an absolute path of
// fewer than 260 characters (the classic path limit, terminator included).
// Returns false when it cannot, or when the result would need 260 or more.
// The path is resolved lexically: it need not exist.
bool ResolveFullPath(const char* path, std::string& out);

}  // namespace orven::platform
