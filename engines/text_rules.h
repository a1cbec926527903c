// text_rules.h - the per-channel text rules of the stand-in engines: user
// dictionaries (word -> reading replacement) and attribute tags
// (<volume="N">, <speed="N">, <pitch="N">).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace syn {

// ---------------------------------------------------------------------------
// User dictionary
// ---------------------------------------------------------------------------
inline constexpr std::size_t kDictMaxBytes = 64 * 1024;
inline constexpr std::size_t kDictMaxEntries = 4096;

// The codes match what the load functions report through their first out-pointer.
enum class DictError : int32_t { kNone = 0, kCannotOpen = 1, kMalformed = 2, kTooLarge = 3 };

struct DictResult {
  DictError error = DictError::kNone;
  int32_t line = 0;     // 1-based line of the bad line, 0 if none
  int32_t entries = 0;  // entries read (on success)
};

class UserDictionary {
 public:
  std::size_t Size() const noexcept { return entries_.size(); }
  // Scans left to right; at each position the longest matching word is
  // replaced by its reading (of equally long words, the one listed first).
  std::string Apply(std::string_view text) const;

 private:
  friend DictResult ParseUserDictionary(std::string_view bytes, UserDictionary& out);
  struct Entry {
    std::string word;
    std::string reading;
  };
  std::vector<Entry> entries_;
  // Entry indexes per first byte, longest word first.
  std::array<std::vector<uint32_t>, 256> byFirstByte_;
};

// Parses "word<TAB>reading" lines ('#' comments and empty lines skipped, CR
// before LF tolerated). Fills `out` only on success. May throw std::bad_alloc.
DictResult ParseUserDictionary(std::string_view bytes, UserDictionary& out);
// Reads (at most kDictMaxBytes + 1 bytes) and parses a dictionary file.
DictResult LoadUserDictionary(const char* path, UserDictionary& out);

// ---------------------------------------------------------------------------
// Attribute tags
// ---------------------------------------------------------------------------
struct Attributes {
  int32_t volume = 100;
  int32_t speed = 100;
  int32_t pitch = 100;
};

// Accepted ranges; tag values outside them are clamped.
inline constexpr int32_t kVolumeMin = 0, kVolumeMax = 200;
inline constexpr int32_t kSpeedMin = 50, kSpeedMax = 200;
inline constexpr int32_t kPitchMin = 50, kPitchMax = 120;

// Parses one or more tags of the form <name="value">, blanks between them
// allowed. volume, speed and pitch take decimal values; other names are
// ignored. Updates `attrs` only when the whole text is well formed.
bool ParseAttributeTags(std::string_view text, Attributes& attrs) noexcept;

}  // namespace syn
