// text_rules.cpp - user dictionaries and attribute tags.
#include "text_rules.h"

#include <algorithm>

#include "voice_descriptor.h"  // readFilePrefix

namespace syn {

// ---------------------------------------------------------------------------
// User dictionary
// ---------------------------------------------------------------------------
DictResult ParseUserDictionary(std::string_view bytes, UserDictionary& out) {
  if (bytes.size() > kDictMaxBytes) return {DictError::kTooLarge, 0, 0};

  UserDictionary dict;
  LineReader lines(bytes);
  for (std::string_view line; lines.Next(line);) {
    const int32_t lineNo = lines.Number();
    if (line.empty() || line.front() == '#') continue;

    const std::size_t tab = line.find('\t');
    // Texts reach the engine NUL-terminated, so a word holding a NUL could never match.
    if (tab == std::string_view::npos || tab == 0 || line.find('\0') != std::string_view::npos) {
      return {DictError::kMalformed, lineNo, 0};
    }
    if (dict.entries_.size() == kDictMaxEntries) return {DictError::kTooLarge, lineNo, 0};
    dict.entries_.push_back({std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))});
  }

  for (uint32_t i = 0; i < dict.entries_.size(); ++i) {
    dict.byFirstByte_[static_cast<unsigned char>(dict.entries_[i].word[0])].push_back(i);
  }
  for (auto& list : dict.byFirstByte_) {
    std::stable_sort(list.begin(), list.end(), [&](uint32_t a, uint32_t b) {
      return dict.entries_[a].word.size() > dict.entries_[b].word.size();
    });
  }
  const auto count = static_cast<int32_t>(dict.entries_.size());
  out = std::move(dict);
  return {DictError::kNone, 0, count};
}

DictResult LoadUserDictionary(const char* path, UserDictionary& out) {
  std::string bytes;
  if (path == nullptr || !ReadFilePrefix(path, kDictMaxBytes + 1, bytes)) {
    return {DictError::kCannotOpen, 0, 0};
  }
  return ParseUserDictionary(bytes, out);
}

std::string UserDictionary::Apply(std::string_view text) const {
  std::string result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::string_view rest = text.substr(i);
    const Entry* match = nullptr;
    for (uint32_t index : byFirstByte_[static_cast<unsigned char>(text[i])]) {
      const Entry& e = entries_[index];
      if (rest.substr(0, e.word.size()) == e.word) {
        match = &e;
        break;
      }
    }
    if (match != nullptr) {
      result += match->reading;
      i += match->word.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

// ---------------------------------------------------------------------------
// Attribute tags
// ---------------------------------------------------------------------------
namespace {

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) noexcept { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// 1..9 decimal digits (no sign), so the value always fits.
bool ParseNumber(std::string_view s, int32_t& value) noexcept {
  if (s.empty() || s.size() > 9) return false;
  int32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

}  // namespace

bool ParseAttributeTags(std::string_view text, Attributes& attrs) noexcept {
  Attributes next = attrs;
  std::size_t i = 0, tags = 0;
  const std::size_t n = text.size();
  for (;;) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i == n) break;
    if (text[i] != '<') return false;
    ++i;
    const std::size_t nameStart = i;
    if (i == n || !IsNameStart(text[i])) return false;
    while (i < n && IsNameChar(text[i])) ++i;
    const std::string_view name = text.substr(nameStart, i - nameStart);
    if (i + 1 >= n || text[i] != '=' || text[i + 1] != '"') return false;
    i += 2;
    const std::size_t close = text.find('"', i);
    if (close == std::string_view::npos) return false;
    const std::string_view value = text.substr(i, close - i);
    i = close + 1;
    if (i == n || text[i] != '>') return false;
    ++i;
    ++tags;

    int32_t* target = nullptr;
    int32_t lo = 0, hi = 0;
    if (name == "volume")
      target = &next.volume, lo = kVolumeMin, hi = kVolumeMax;
    else if (name == "speed")
      target = &next.speed, lo = kSpeedMin, hi = kSpeedMax;
    else if (name == "pitch")
      target = &next.pitch, lo = kPitchMin, hi = kPitchMax;
    else
      continue;  // a tag for another engine feature: well formed, nothing to do here
    int32_t v = 0;
    if (!ParseNumber(value, v)) return false;
    *target = std::clamp(v, lo, hi);
  }
  if (tags == 0) return false;
  attrs = next;
  return true;
}

}  // namespace syn
