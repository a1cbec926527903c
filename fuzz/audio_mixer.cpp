// ORVN_AudioMixer on two input files cut from the fuzz data, with the file type (0..2 and values outside), encoding
// (-1..6), mode (-1..3) and rate taken from its first bytes. Which inputs the mixer must refuse, and how, is worked
// out here; the sample arithmetic of mixing is left to the mixer tests' worked values. Checked:
//  * 1 exactly when the arguments or the inputs call for it, with the reason in the last error: a bad argument (-6)
//    leaves no output file, an input shorter than its header (-1) or headers that disagree (-31) an empty one;
//  * on 0 the output is the header that the header builders write for the container, encoding, rate and
//    data size (none for a headerless file or an encoding the container has no form for), then both inputs' data
//    appended in the mode's order, or as much as the first input's when mixing.
//
// Layout of the fuzz data:
//   [0] file type  [1] encoding  [2] mode  [3] rate  [4] header flags
//   [5..6] where the first input ends (little-endian, modulo the rest + 1)
//   [7..]  the two inputs' bytes
// Header flags: bits 0 and 1 put a well-formed header for the chosen file type and encoding in front of the first and
// the second input; bit 2 copies the first input's leading bytes over the second's, so that their headers agree and
// the mixing paths are reached often.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wave_headers.h"
#include "core/library.h"
#include "fuzz_support.h"
#include "orven_api.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A directory of this process's own, removed at exit.
struct ScratchDir {
  std::string path =
      std::string(std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp") + "/orven-fuzz-mixer-XXXXXX";
  ScratchDir() { FUZZ_CHECK(mkdtemp(path.data()) != nullptr); }
  ~ScratchDir() { std::filesystem::remove_all(path); }
  std::string File(const char* name) const { return path + "/" + name; }
};

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  FUZZ_CHECK(file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())));
}

uint32_t Le(const uint8_t* p, int n) { return n == 0 ? 0 : p[0] | Le(p + 1, n - 1) << 8; }
uint32_t Be32(const uint8_t* p) { return uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// The result, the last error on refusal, whether an output file is made, and the data after the header on success.
struct Expected {
  int32_t result = 0, error = ORVN_OK;
  bool outputCreated = true;
  Bytes data;
};

Expected Predict(int32_t fileType, int32_t encoding, int32_t mode, const Bytes& a, const Bytes& b) {
  if (fileType < 0 || fileType > 2 || mode < 0 || mode > 2 || (mode == 2 && encoding != 0 && encoding != 1)) {
    return {1, ORVN_ERR_INVALID_ARG, false, {}};
  }
  size_t start = 0;
  if (fileType == 0) {  // format tag and bits per sample must agree; mu-law and A-law have a cbSize before the data
    if (a.size() < 44 || b.size() < 44) return {1, ORVN_ERR_FILE_OPEN, true, {}};
    if (Le(&a[20], 2) != Le(&b[20], 2) || Le(&a[34], 2) != Le(&b[34], 2))
      return {1, ORVN_ERR_FORMAT_MISMATCH, true, {}};
    start = Le(&a[20], 2) == 6 || Le(&a[20], 2) == 7 ? 46 : 44;
    if (a.size() < start || b.size() < start) return {1, ORVN_ERR_FILE_OPEN, true, {}};
  } else if (fileType == 1) {  // magic, encoding, rate and channels must agree
    if (a.size() < 24 || b.size() < 24) return {1, ORVN_ERR_FILE_OPEN, true, {}};
    for (size_t field : {0u, 12u, 16u, 20u})
      if (Be32(&a[field]) != Be32(&b[field])) return {1, ORVN_ERR_FORMAT_MISMATCH, true, {}};
    start = 24;
  }
  const Bytes first(a.begin() + static_cast<long>(start), a.end()),
      second(b.begin() + static_cast<long>(start), b.end());
  Expected e;
  e.data = mode == 0 ? second : first;  // mixing keeps the first's length; its samples are not predicted here
  if (mode != 2) e.data.insert(e.data.end(), (mode == 0 ? first : second).begin(), (mode == 0 ? first : second).end());
  return e;
}

// A well-formed header for the container and encoding, when there is one.
Bytes Header(int32_t fileType, int32_t encoding, int32_t rate, uint32_t dataBytes) {
  uint8_t header[orven::audio::kLongestWaveHeader];
  size_t length = 0;
  if (fileType == 0) length = orven::audio::BuildWaveHeader(encoding, rate, dataBytes, 1, header);
  if (fileType == 1) length = orven::audio::BuildAuHeader(encoding, rate, dataBytes, 1, header);
  return Bytes(header, header + length);
}

constexpr int32_t kRates[] = {8000, 16000, 11025, 22050, 44100, 48000, 0, -1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHead = 7;
  if (size < kHead) return 0;
  const int32_t fileType = data[0] % 5 - 1, encoding = data[1] % 8 - 1, mode = data[2] % 5 - 1;
  const int32_t rate = kRates[data[3] % 8];
  const size_t split = Le(data + 5, 2) % (size - kHead + 1);
  Bytes a(data + kHead, data + kHead + split), b(data + kHead + split, data + size);
  for (int input = 0; input < 2; ++input) {
    Bytes& bytes = input == 0 ? a : b;
    const Bytes h =
        data[4] >> input & 1 ? Header(fileType, encoding, rate, static_cast<uint32_t>(bytes.size())) : Bytes();
    bytes.insert(bytes.begin(), h.begin(), h.end());
  }
  if (data[4] & 4) std::copy_n(a.begin(), std::min<size_t>({a.size(), b.size(), 46}), b.begin());

  static const ScratchDir dir;
  const std::string pathA = dir.File("a"), pathB = dir.File("b"), pathOut = dir.File("out");
  WriteAll(pathA, a);
  WriteAll(pathB, b);
  std::remove(pathOut.c_str());
  const Expected expected = Predict(fileType, encoding, mode, a, b);
  orven::SetLastError(12345);  // a success leaves it
  const int32_t result = ORVN_AudioMixer(pathA.c_str(), pathB.c_str(), pathOut.c_str(), rate, fileType, encoding, mode);
  FUZZ_CHECK(result == expected.result);
  FUZZ_CHECK(orven::LastError() == (result == 1 ? expected.error : 12345));
  FUZZ_CHECK(std::filesystem::exists(pathOut) == expected.outputCreated);
  std::ifstream file(pathOut, std::ios::binary);
  const Bytes out{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (result == 1) {
    FUZZ_CHECK(out.empty());
    return 0;
  }
  const Bytes header = Header(fileType, encoding, rate, static_cast<uint32_t>(expected.data.size()));
  FUZZ_CHECK(out.size() == header.size() + expected.data.size());
  FUZZ_CHECK(std::equal(header.begin(), header.end(), out.begin()));
  if (mode != 2)
    FUZZ_CHECK(std::equal(expected.data.begin(), expected.data.end(), out.begin() + static_cast<long>(header.size())));
  return 0;
}
