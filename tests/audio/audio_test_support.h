// Files and samples for the audio tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "orven_api.h"

namespace orven_test {

using Bytes = std::vector<uint8_t>;

// A fresh directory per test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string("orven-audio-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

inline uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
inline uint16_t Le16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
inline uint32_t Be32(const Bytes& b, size_t at) {
  return (uint32_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

// A file of the given container with `data` after the library's own header.
inline Bytes Container(int32_t fileType, int32_t encoding, int32_t rate, const Bytes& data) {
  uint8_t header[ORVN_WAVE_HEADER_MAX] = {};
  int32_t length = 0;
  const auto size = static_cast<int32_t>(data.size());
  if (fileType == 0) length = ORVN_MakeWaveHeader(encoding, rate, size, header);
  if (fileType == 1) length = ORVN_MakeAuHeader(encoding, rate, size, header);
  Bytes file(header, header + length);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

// 16-bit samples as the container stores them.
inline Bytes Samples16(const std::vector<int16_t>& samples, bool bigEndian) {
  Bytes bytes;
  for (int16_t s : samples) {
    const auto u = static_cast<uint16_t>(s);
    bytes.push_back(static_cast<uint8_t>(bigEndian ? u >> 8 : u));
    bytes.push_back(static_cast<uint8_t>(bigEndian ? u : u >> 8));
  }
  return bytes;
}

}  // namespace orven_test
