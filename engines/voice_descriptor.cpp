// voice_descriptor.cpp - the voice descriptor parser and its file wrapper.
#include "voice_descriptor.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace syn {
namespace {

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t'; }
bool IsPrintable(char c) noexcept { return c >= 0x20 && c <= 0x7E; }

std::string_view Trim(std::string_view s) noexcept {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Copies a 1..19 byte printable value into a NUL-terminated 20-byte field.
bool CopyText(std::string_view value, char (&field)[kDescriptorTextBytes]) noexcept {
  if (value.empty() || value.size() >= kDescriptorTextBytes) return false;
  for (char c : value) {
    if (!IsPrintable(c)) return false;
  }
  std::memset(field, 0, sizeof field);
  std::memcpy(field, value.data(), value.size());
  return true;
}

// Decimal digits only; more than six digits is out of range for any rate we take.
bool ParseRate(std::string_view value, int32_t& rate, DescriptorError& error) noexcept {
  if (value.empty()) {
    error = DescriptorError::kBadValue;
    return false;
  }
  int32_t v = 0;
  for (char c : value) {
    if (c < '0' || c > '9') {
      error = DescriptorError::kBadValue;
      return false;
    }
    if (v < 1000000) v = v * 10 + (c - '0');
  }
  if (v < kMinRate || v > kMaxRate) {
    error = DescriptorError::kRateOutOfRange;
    return false;
  }
  rate = v;
  return true;
}

bool IsLowerAlnum(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

bool FindBackend(std::string_view name, Backend& kind) noexcept {
  if (name == "tone")
    kind = Backend::kTone;
  else if (name == "espeak")
    kind = Backend::kEspeak;
  else if (name == "flite")
    kind = Backend::kFlite;
  else
    return false;
  return true;
}

bool IsFliteVoiceName(std::string_view name) noexcept {
  for (const FliteVoiceName& v : kFliteVoices) {
    if (name == v.name) return true;
  }
  return false;
}

}  // namespace

bool IsEspeakVoiceName(std::string_view name) noexcept {
  const std::size_t plus = name.find('+');
  const std::string_view base = name.substr(0, plus);
  if (base.empty() || base.front() < 'a' || base.front() > 'z') return false;
  char previous = '-';
  for (char c : base) {
    if (c == '-' ? previous == '-' : !IsLowerAlnum(c)) return false;
    previous = c;
  }
  if (previous == '-') return false;
  if (plus == std::string_view::npos) return true;
  const std::string_view variant = name.substr(plus + 1);
  if (variant.empty()) return false;
  for (char c : variant) {
    if (!IsLowerAlnum(c)) return false;
  }
  return true;
}

DescriptorResult ParseVoiceDescriptor(std::string_view bytes, VoiceDescriptor& out) noexcept {
  if (bytes.size() > kDescriptorMaxBytes) return {DescriptorError::kTooLarge, 0};
  if (bytes.find('\0') != std::string_view::npos) return {DescriptorError::kNulByte, 0};

  VoiceDescriptor voice;
  bool haveName = false, haveBackend = false, haveRate = false, haveVoice = false;
  int32_t voiceLine = 0;
  LineReader lines(bytes);
  for (std::string_view line; lines.Next(line);) {
    const int32_t lineNo = lines.Number();
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;

    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {DescriptorError::kBadLine, lineNo};
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));

    bool* seen = nullptr;
    if (key == "name")
      seen = &haveName;
    else if (key == "backend")
      seen = &haveBackend;
    else if (key == "rate")
      seen = &haveRate;
    else if (key == "voice")
      seen = &haveVoice;
    else
      return {DescriptorError::kUnknownKey, lineNo};
    if (*seen) return {DescriptorError::kDuplicateKey, lineNo};
    *seen = true;

    if (key == "rate") {
      DescriptorError error = DescriptorError::kNone;
      if (!ParseRate(value, voice.rate, error)) return {error, lineNo};
    } else if (!CopyText(value, key == "name" ? voice.name : key == "voice" ? voice.voice : voice.backend)) {
      return {DescriptorError::kBadValue, lineNo};
    }
    if (key == "backend" && !FindBackend(value, voice.kind)) return {DescriptorError::kUnknownBackend, lineNo};
    if (key == "voice") voiceLine = lineNo;
  }
  // The tone backend has no voices to choose; the synthesisers need one.
  if (!haveName || !haveBackend || !haveRate || (voice.kind != Backend::kTone && !haveVoice)) {
    return {DescriptorError::kMissingKey, 0};
  }
  const std::string_view name = voice.voice;
  const bool voiceOk = voice.kind == Backend::kTone    ? !haveVoice
                       : voice.kind == Backend::kFlite ? IsFliteVoiceName(name)
                                                       : IsEspeakVoiceName(name);
  if (!voiceOk) return {DescriptorError::kUnknownVoice, voiceLine};
  out = voice;
  return {};
}

bool ReadFilePrefix(const std::string& path, std::size_t limit, std::string& out) {
  struct Closer {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  out.assign(limit, '\0');
  const std::size_t got = std::fread(out.data(), 1, limit, file.get());
  if (std::ferror(file.get())) return false;
  out.resize(got);
  return true;
}

DescriptorResult LoadVoiceDescriptor(const std::string& path, VoiceDescriptor& out) {
  std::string bytes;
  if (!ReadFilePrefix(path, kDescriptorMaxBytes + 1, bytes)) return {DescriptorError::kUnreadable, 0};
  return ParseVoiceDescriptor(bytes, out);
}

}  // namespace syn
