// ORVN_AudioMixer on two input files cut from the fuzz data, with the file
// type (0..2 and values outside), encoding (-1..6), mode (-1..3) and rate
// taken from its first bytes. The expected outcome is worked out here from
// the mixer's documented behaviour, and checked:
//  * the result is 0 or 1;
//  * 1 exactly when the arguments or the inputs call for it, with the
//    reason in the last error: a bad argument (-6) leaves no output file,
//    an input shorter than its header (-1) or headers that disagree (-31)
//    leave an empty one;
//  * on 0 the output is the header the container has for the encoding (WAV
//    44 bytes for encodings 0 and 1, 46 for 2 and 3; AU 24 bytes for all
//    but VOX; none otherwise) followed by the data: the L1 + L2 bytes of
//    both inputs appended in the mode's order, or L1 bytes when mixing.
// The files go to a private directory of this process.
//
// Layout of the fuzz data:
//   [0] file type  [1] encoding  [2] mode  [3] rate  [4] header flags
//   [5..6] where the first input ends (little-endian, modulo the rest + 1)
//   [7..]  the two inputs' bytes
// Header flags: bit 0 and bit 1 put a well-formed header for the chosen
// file type and encoding in front of the first and the second input; bit 2
// copies the first input's leading bytes over the second's, so that their
// headers agree and the mixing paths are reached often.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/library.h"
#include "audio/wave_headers.h"
#include "fuzz_support.h"
#include "orven_api.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A directory of this process's own, removed at exit.
class ScratchDir {
 public:
  ScratchDir() {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr;
    if (base == nullptr) base = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    std::string pattern = std::string(base) + "/orven-fuzz-mixer-XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
    path_ = pattern;
  }
  ~ScratchDir() {
    for (const char* name : {"a", "b", "out"}) std::remove(File(name).c_str());
    rmdir(path_.c_str());
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

const ScratchDir& Scratch() {
  static const ScratchDir dir;
  return dir;
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  FUZZ_CHECK(std::fclose(file) == 0);
}

// The file's bytes; false when it does not exist.
bool ReadAll(const std::string& path, Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes.clear();
  uint8_t block[4096];
  for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.insert(bytes.end(), block, block + got);
  std::fclose(file);
  return true;
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (uint32_t{Le16(p + 2)} << 16); }
uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The header length the output gets: by container and encoding.
size_t OutputHeaderLength(int32_t fileType, int32_t encoding) {
  if (fileType == 0) return encoding == 0 || encoding == 1 ? 44 : encoding == 2 || encoding == 3 ? 46 : 0;
  if (fileType == 1) return encoding >= 0 && encoding <= 5 && encoding != 4 ? 24 : 0;
  return 0;
}

// What the mixer should do with these inputs.
struct Expected {
  int32_t result = 0;
  int32_t error = ORVN_OK;  // the last error on refusal
  bool outputCreated = true;
  Bytes data;  // the output's data after its header, on success
};

int8_t Signed8(uint8_t b) { return static_cast<int8_t>(b); }
int32_t Clamp8(int32_t s) { return s < -128 ? -128 : s > 127 ? 127 : s; }

// The first input's data with the second's (repeated or cut to its length)
// added sample by sample.
Bytes Mixed(int32_t fileType, int32_t encoding, const Bytes& first, const Bytes& second) {
  Bytes out = first;
  if (second.empty()) return out;
  auto secondAt = [&](size_t i) { return second[i % second.size()]; };
  if (encoding == 1) {
    for (size_t i = 0; i < out.size(); ++i) {
      if (fileType == 1) {  // AU: signed 8-bit
        out[i] = static_cast<uint8_t>(Clamp8(Signed8(first[i]) + Signed8(secondAt(i))));
      } else {  // unsigned 8-bit, the two offsets taken together as 254
        out[i] = static_cast<uint8_t>(Clamp8(first[i] + secondAt(i) - 254) + 128);
      }
    }
    return out;
  }
  const bool bigEndian = fileType == 1;
  for (size_t i = 0; i + 1 < out.size(); i += 2) {
    auto sample = [&](uint8_t b0, uint8_t b1) {
      return static_cast<int16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    };
    int32_t s = sample(first[i], first[i + 1]) + sample(secondAt(i), secondAt(i + 1));
    if (s > 32767) s = 32700;
    if (s < -32768) s = -32700;
    const auto u = static_cast<uint16_t>(s);
    out[i] = static_cast<uint8_t>(bigEndian ? u >> 8 : u);
    out[i + 1] = static_cast<uint8_t>(bigEndian ? u : u >> 8);
  }
  return out;
}

Expected Predict(int32_t fileType, int32_t encoding, int32_t mode, const Bytes& a, const Bytes& b) {
  Expected e;
  if (fileType < 0 || fileType > 2 || mode < 0 || mode > 2 || (mode == 2 && encoding != 0 && encoding != 1)) {
    return {1, ORVN_ERR_INVALID_ARG, false, {}};
  }
  size_t start = 0;
  if (fileType == 0) {
    if (a.size() < 44 || b.size() < 44) return {1, ORVN_ERR_FILE_OPEN, true, {}};
    // Format tag and bits per sample must agree.
    if (Le16(&a[20]) != Le16(&b[20]) || Le16(&a[34]) != Le16(&b[34])) return {1, ORVN_ERR_FORMAT_MISMATCH, true, {}};
    const uint16_t tag = Le16(&a[20]);
    start = 44;
    if (tag == 6 || tag == 7) {  // A-law and mu-law: cbSize before the data chunk
      if (a.size() < 46 || b.size() < 46) return {1, ORVN_ERR_FILE_OPEN, true, {}};
      start = 46;
    }
  } else if (fileType == 1) {
    if (a.size() < 24 || b.size() < 24) return {1, ORVN_ERR_FILE_OPEN, true, {}};
    // Magic, encoding, rate and channels must agree.
    for (size_t field : {0u, 12u, 16u, 20u})
      if (Be32(&a[field]) != Be32(&b[field])) return {1, ORVN_ERR_FORMAT_MISMATCH, true, {}};
    start = 24;
  }
  const Bytes first(a.begin() + static_cast<long>(start), a.end());
  const Bytes second(b.begin() + static_cast<long>(start), b.end());
  if (mode == 2) {
    e.data = Mixed(fileType, encoding, first, second);
  } else {
    const Bytes& head = mode == 1 ? first : second;
    const Bytes& tail = mode == 1 ? second : first;
    e.data = head;
    e.data.insert(e.data.end(), tail.begin(), tail.end());
  }
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
  const int32_t fileType = data[0] % 5 - 1;
  const int32_t encoding = data[1] % 8 - 1;
  const int32_t mode = data[2] % 5 - 1;
  const int32_t rate = kRates[data[3] % 8];
  const uint8_t flags = data[4];
  const size_t rest = size - kHead;
  const size_t split = Le16(data + 5) % (rest + 1);

  Bytes a(data + kHead, data + kHead + split), b(data + kHead + split, data + size);
  if (flags & 1) {
    Bytes h = Header(fileType, encoding, rate, static_cast<uint32_t>(a.size()));
    a.insert(a.begin(), h.begin(), h.end());
  }
  if (flags & 2) {
    Bytes h = Header(fileType, encoding, rate, static_cast<uint32_t>(b.size()));
    b.insert(b.begin(), h.begin(), h.end());
  }
  if (flags & 4) std::copy_n(a.begin(), std::min<size_t>({a.size(), b.size(), 46}), b.begin());

  const ScratchDir& dir = Scratch();
  const std::string pathA = dir.File("a"), pathB = dir.File("b"), pathOut = dir.File("out");
  WriteAll(pathA, a);
  WriteAll(pathB, b);
  std::remove(pathOut.c_str());

  const Expected expected = Predict(fileType, encoding, mode, a, b);
  orven::SetLastError(12345);
  const int32_t result =
      ORVN_AudioMixer(pathA.c_str(), pathB.c_str(), pathOut.c_str(), rate, fileType, encoding, mode);
  FUZZ_CHECK(result == 0 || result == 1);
  FUZZ_CHECK(result == expected.result);

  Bytes out;
  const bool exists = ReadAll(pathOut, out);
  if (result == 1) {
    FUZZ_CHECK(orven::g_library.lastError.load() == expected.error);
    FUZZ_CHECK(exists == expected.outputCreated);
    FUZZ_CHECK(out.empty());
    return 0;
  }

  FUZZ_CHECK(exists);
  const size_t headerLength = OutputHeaderLength(fileType, encoding);
  const size_t length = expected.data.size();
  // Header plus data: L1 + L2 appended, L1 mixed.
  FUZZ_CHECK(out.size() == headerLength + length);
  FUZZ_CHECK(length == 0 || std::memcmp(out.data() + headerLength, expected.data.data(), length) == 0);
  if (fileType == 0 && headerLength > 0) {
    FUZZ_CHECK(std::memcmp(out.data(), "RIFF", 4) == 0 && std::memcmp(out.data() + 8, "WAVEfmt ", 8) == 0);
    FUZZ_CHECK(Le32(&out[4]) == static_cast<uint32_t>(headerLength - 8 + length));
    FUZZ_CHECK(Le32(&out[24]) == static_cast<uint32_t>(rate));
    FUZZ_CHECK(std::memcmp(out.data() + headerLength - 8, "data", 4) == 0);
    FUZZ_CHECK(Le32(&out[headerLength - 4]) == static_cast<uint32_t>(length));
  }
  if (fileType == 1 && headerLength > 0) {
    FUZZ_CHECK(std::memcmp(out.data(), ".snd", 4) == 0);
    FUZZ_CHECK(Be32(&out[4]) == 24 && Be32(&out[8]) == static_cast<uint32_t>(length));
    FUZZ_CHECK(Be32(&out[16]) == static_cast<uint32_t>(rate) && Be32(&out[20]) == 1);
  }
  return 0;
}
