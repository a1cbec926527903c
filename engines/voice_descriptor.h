// voice_descriptor.h - reading a voice descriptor file ("<lang>-<speaker>.voice").
//
// The parser is a pure function over a byte buffer: it allocates nothing,
// throws nothing and accepts any bytes, so it can be fed straight from a
// fuzzer. The format is described in engines/README.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace syn {

inline constexpr std::size_t kDescriptorMaxBytes = 4096;
inline constexpr std::size_t kDescriptorTextBytes = 20;  // 19 bytes and the NUL
inline constexpr int32_t kMinRate = 8000;
inline constexpr int32_t kMaxRate = 48000;

enum class DescriptorError {
  kNone,
  kUnreadable,  // the file cannot be opened or read
  kTooLarge,    // more than kDescriptorMaxBytes bytes
  kNulByte,     // a NUL byte anywhere
  kBadLine,     // a line that is neither blank, a comment nor key = value
  kUnknownKey,
  kDuplicateKey,
  kMissingKey,
  kBadValue,  // empty, over-long or non-printable value, or a rate that is no number
  kRateOutOfRange,
  kUnknownBackend,
  kUnknownVoice,  // a synthesiser voice the backend cannot have, or a voice for the tone backend
};

// The synthesisers a voice can speak through.
enum class Backend : int32_t { kTone = 0, kEspeak = 1, kFlite = 2 };

struct VoiceDescriptor {
  char name[kDescriptorTextBytes] = {};
  char backend[kDescriptorTextBytes] = {};
  char voice[kDescriptorTextBytes] = {};  // the synthesiser's voice; empty for the tone backend
  Backend kind = Backend::kTone;
  int32_t rate = 0;
};

// The linked-in flite voices a descriptor may name, with their native rates.
struct FliteVoiceName {
  const char* name;
  int32_t rate;
};
inline constexpr FliteVoiceName kFliteVoices[] = {
    {"cmu_us_slt", 16000}, {"cmu_us_rms", 16000}, {"cmu_us_awb", 16000}, {"cmu_us_kal16", 16000}, {"cmu_us_kal", 8000}};

// True for a well-formed espeak-ng voice name: a language of lower-case
// letters, optional "-"-separated subtags of letters and digits, and an
// optional "+variant". Whether the voice exists is the synthesiser's to say.
bool IsEspeakVoiceName(std::string_view name) noexcept;

struct DescriptorResult {
  DescriptorError error = DescriptorError::kNone;
  int32_t line = 0;  // 1-based line of the fault, 0 when it is not tied to a line
  bool Ok() const noexcept { return error == DescriptorError::kNone; }
};

// Parses `bytes`; fills `out` only on success.
DescriptorResult ParseVoiceDescriptor(std::string_view bytes, VoiceDescriptor& out) noexcept;

// Walks a text file's bytes line by line: each next() hands back a line
// without its "\n" or "\r\n" and counts it (number() is 1-based).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++number_;
    return true;
  }
  int32_t Number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int32_t number_ = 0;
};

// Reads at most `limit` bytes of a file into `out`. False when the file cannot
// be opened or a read fails. A file longer than `limit` yields exactly `limit`
// bytes, so a caller that asks for one byte more than it accepts can tell.
bool ReadFilePrefix(const std::string& path, std::size_t limit, std::string& out);

// Reads and parses a descriptor file.
DescriptorResult LoadVoiceDescriptor(const std::string& path, VoiceDescriptor& out);

}  // namespace syn
