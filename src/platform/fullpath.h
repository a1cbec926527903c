// Turning a caller's database path into an absolute directory path.
#pragma once

#include <cstddef>

namespace orven::platform {

// The separator that ends a directory path handed to an engine.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The classic path limit: an absolute path of fewer characters than this,
// terminator included.
inline constexpr std::size_t kFullPathCapacity = 260;

// Resolves `path` against the current directory into `out` (kFullPathCapacity
// bytes), lexically: the path need not exist. Returns false when it cannot,
// or when the result would need kFullPathCapacity characters or more. Never
// allocates.
bool ResolveFullPath(const char* path, char (&out)[kFullPathCapacity]);

}  // namespace orven::platform
