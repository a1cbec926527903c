// Shared by the fuzz targets: the input as a zero-terminated heap copy of
// exactly its size plus the terminator, and a check that aborts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#define FUZZ_CHECK(condition)                                               \
  do {                                                                      \
    if (!(condition)) {                                                     \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                         \
    }                                                                       \
  } while (0)

namespace fuzz {

// The routines take zero-terminated texts: an input holding a zero byte is
// the text before it.
inline std::unique_ptr<char[]> Terminated(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> text(new char[size + 1]);
  std::memcpy(text.get(), data, size);
  text[size] = 0;
  return text;
}

}  // namespace fuzz
