// Owned C resources of the audio code: heap memory from malloc/calloc (so
// that a failed allocation is a null pointer to answer, not an exception)
// and stdio streams.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace orven::audio {

struct FreeDeleter {
  void operator()(void* p) const noexcept { std::free(p); }
};

template <typename T>
using HeapObject = std::unique_ptr<T, FreeDeleter>;
template <typename T>
using HeapArray = std::unique_ptr<T[], FreeDeleter>;

// `count` elements (at least one, so that 0 is not a failure), null when
// there is no memory or their size would not fit in a size_t; zero-filled
// when `zeroed`.
template <typename T>
HeapArray<T> AllocateArray(size_t count, bool zeroed = false) {
  const size_t n = count > 0 ? count : 1;
  if (n > SIZE_MAX / sizeof(T)) return nullptr;
  return HeapArray<T>(static_cast<T*>(zeroed ? std::calloc(n, sizeof(T)) : std::malloc(n * sizeof(T))));
}

struct FileCloser {
  void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace orven::audio
