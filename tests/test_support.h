// What every test program may need: scratch directories, whole files, and the Linux oracle programs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "orven_api.h"

namespace orven_test {

#if defined(_WIN32)
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

inline const char* const kLanguageNames[] = {"Korean", "English", "Chinese", "Japanese"};  // by ORVN_Language

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

// n samples f(0), f(1), ... rounded and clamped to 16 bits.
template <class F>
Samples Make(int n, F f) {
  Samples x(n);
  for (int i = 0; i < n; ++i) x[i] = static_cast<int16_t>(std::lround(std::clamp<double>(f(i), -32768, 32767)));
  return x;
}

// A directory of its own under the system's temporary directory, removed with its contents.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<unsigned> serial{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do path_ = base / ("orven-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    while (!std::filesystem::create_directory(path_));  // false when another process has that name
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The current directory moved for the length of a scope.
struct CurrentDirectory {
  explicit CurrentDirectory(const std::filesystem::path& to) { std::filesystem::current_path(to); }
  ~CurrentDirectory() { std::filesystem::current_path(saved); }
  const std::filesystem::path saved = std::filesystem::current_path();
};

// The tone voices of the tests (the shipped ones speak): speakers 0 (16 kHz), 1 (8 kHz), 9 (16 kHz). ORVEN_TEST_VOICES
// when set, else the source tree's; absolute, drive letter included on Windows, so that a test may change the current
// directory.
inline std::string VoicesDir() {
  const char* given = std::getenv("ORVEN_TEST_VOICES");
  static const std::string dir = std::filesystem::absolute(given ? given : ORVEN_SOURCE_DIR "/tests/voices").string();
  return dir;
}

// What a synthesis callback received: each chunk's byte count and the samples; `onChunk` runs inside the callback
// with the number of chunks so far.
struct Pcm {
  std::vector<int32_t> chunks;
  std::vector<int16_t> samples;
  std::function<void(size_t)> onChunk;
  static int32_t ORVN_CDECL Collect(void* self, ORVN_PcmChunk* chunk) {
    auto* pcm = static_cast<Pcm*>(self);
    pcm->chunks.push_back(chunk->byteCount);
    pcm->samples.insert(pcm->samples.end(), chunk->samples, chunk->samples + chunk->byteCount / 2);
    if (pcm->onChunk) pcm->onChunk(pcm->chunks.size());
    return 0;
  }
};

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// What a shell command wrote to its standard output, or "" when it failed.
inline std::string Output(const std::string& command) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) out.push_back(static_cast<char>(c));
  return pipe != nullptr && pclose(pipe) == 0 ? out : "";
}

// Whether the shell finds a program named `tool`.
inline bool HaveTool(const std::string& tool) { return !Output("command -v '" + tool + "'").empty(); }

// The oracles (sox, ffprobe, pocketsphinx) are Linux programs: a Windows build skips the test, a Linux build
// without the tool skips it too, or fails it when ORVEN_REQUIRE_ORACLES is set.
#define REQUIRE_TOOL(tool)                                                                              \
  if (orven_test::kWindows) GTEST_SKIP() << tool " is a Linux oracle; the Linux build runs this check"; \
  if (!orven_test::HaveTool(tool)) {                                                                    \
    if (std::getenv("ORVEN_REQUIRE_ORACLES")) FAIL() << tool " is missing and oracles are required";    \
    GTEST_SKIP() << tool " is missing";                                                                 \
  }

}  // namespace orven_test
