// Byte-by-byte reference implementations; see reference.h. Each follows the
// rule's own steps, with no blocks, no fast paths and no shared decoding
// code with src/text.
#include "reference.h"

#include <vector>

#include "text/tables/code_tables.h"

namespace orven::text::reference {

namespace {

unsigned Byte(const std::string& s, size_t i) { return static_cast<unsigned char>(s[i]); }

bool IsContinuation(unsigned b) { return b >= 0x80 && b <= 0xBF; }

std::string EntryBytes(uint16_t entry) {
  std::string out;
  if ((entry >> 8) == 0) {
    out += static_cast<char>(entry & 0xFF);
  } else {
    out += static_cast<char>(entry >> 8);
    out += static_cast<char>(entry & 0xFF);
  }
  return out;
}

// The UTF-16 units after the mark, read back from Utf8ToUtf16's buffer.
std::vector<uint32_t> Units(const std::string& text) {
  size_t written = 0;
  const std::string buffer = Utf8ToUtf16(text, &written);
  std::vector<uint32_t> units;
  for (size_t k = 2; k + 1 < written; k += 2) units.push_back(Byte(buffer, k) | (Byte(buffer, k + 1) << 8));
  return units;
}

}  // namespace

bool CheckUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned b = Byte(text, i);
    size_t length;
    if (b <= 0x7F) length = 1;
    else if (b >= 0xC0 && b <= 0xDF) length = 2;
    else if (b >= 0xE0 && b <= 0xEF) length = 3;
    else if (b >= 0xF0 && b <= 0xF7) length = 4;
    else if (b >= 0xF8 && b <= 0xFB) length = 5;
    else if (b >= 0xFC && b <= 0xFD) length = 6;
    else return false;
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if (!IsContinuation(Byte(text, i + k))) return false;
    }
    i += length;
  }
  return true;
}

std::string Utf8ToUtf16(const std::string& text, size_t* written) {
  size_t n = text.size();
  std::string out(2 * n + 2, '\x5A');  // filler that zeroing must replace
  for (size_t k = 0; k < 2 * n; ++k) out[k] = 0;
  out[0] = '\xFF';
  out[1] = '\xFE';
  size_t i = 0;
  if (n >= 3 && Byte(text, 0) == 0xEF && Byte(text, 1) == 0xBB && Byte(text, 2) == 0xBF) i = 3;
  size_t o = 2;
  auto put = [&](uint32_t unit) {
    out[o++] = static_cast<char>(unit & 0xFF);
    out[o++] = static_cast<char>(unit >> 8);
  };
  while (i < n) {
    const unsigned b = Byte(text, i);
    const size_t left = n - i;
    if (b < 0x80) {
      put(b);
      i += 1;
    } else if (b >= 0xC0 && b <= 0xDF && left >= 2) {
      put(((b & 0x1F) << 6) | (Byte(text, i + 1) & 0x3F));
      i += 2;
    } else if (b >= 0xE0 && b <= 0xEF && left >= 3) {
      put(((b & 0x0F) << 12) | ((Byte(text, i + 1) & 0x3F) << 6) | (Byte(text, i + 2) & 0x3F));
      i += 3;
    } else {
      // The routine's own choice: one U+FFFD for the whole sequence (4 to 6
      // bytes by the lead, or what is left of a cut-off one), or for a byte
      // that starts nothing.
      size_t length = 1;
      if (b >= 0xC0 && b <= 0xDF) length = 2;
      else if (b >= 0xE0 && b <= 0xEF) length = 3;
      else if (b >= 0xF0 && b <= 0xF7) length = 4;
      else if (b >= 0xF8 && b <= 0xFB) length = 5;
      else if (b >= 0xFC && b <= 0xFD) length = 6;
      put(0xFFFD);
      i += length < left ? length : left;
    }
  }
  *written = o;
  return out;
}

std::optional<std::string> Utf8ToKorean(const std::string& text) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned b = Byte(text, i);
    if (b < 0x80) {
      out += static_cast<char>(b);
      i += 1;
    } else if (b >= 0xE0 && b <= 0xEF && i + 2 < text.size() && IsContinuation(Byte(text, i + 1)) &&
               IsContinuation(Byte(text, i + 2))) {
      const uint32_t cp = ((b & 0x0F) << 12) + ((Byte(text, i + 1) & 0x3F) << 6) + (Byte(text, i + 2) & 0x3F);
      if (cp >= 0xAC00 && cp <= 0xD7A3) {
        const uint16_t code = kHangulCp949[cp - 0xAC00];
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
      } else {
        out += ' ';
      }
      i += 3;
    } else {
      out += ' ';
      i += 1;
    }
  }
  return out;
}

std::string ChineseCode(uint32_t unit) {
  if ((unit >> 8) == 0) return std::string(1, static_cast<char>(unit));
  return EntryBytes(ChineseTable()[unit]);
}

std::string JapaneseCode(uint32_t unit) {
  const uint16_t entry = JapaneseTable()[unit];
  if (entry == 0xFFFF) return "?";
  return EntryBytes(entry);
}

std::optional<std::string> Utf8ToChinese(const std::string& text) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  for (uint32_t unit : Units(text)) out += ChineseCode(unit);
  return out;
}

std::optional<std::string> Utf8ToJapanese(const std::string& text) {
  if (!CheckUtf8(text)) return std::nullopt;
  std::string out;
  for (uint32_t unit : Units(text)) out += JapaneseCode(unit);
  return out;
}

std::optional<std::string> StripMarkup(const std::string& text) {
  std::vector<size_t> opens, closes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<') opens.push_back(i);
    if (text[i] == '>') closes.push_back(i + 1);  // c(k) = g(k) + 1
  }
  if (opens.size() != closes.size()) return std::nullopt;
  for (size_t k = 0; k < opens.size(); ++k) {
    if (!(opens[k] < closes[k])) return std::nullopt;
    if (k + 1 < opens.size() && opens[k + 1] < closes[k]) return std::nullopt;
  }
  if (opens.empty()) return text;
  std::string out = text.substr(0, opens[0]);
  for (size_t k = 0; k + 1 < opens.size(); ++k) out += text.substr(closes[k], opens[k + 1] - closes[k]);
  out += text.substr(closes.back());
  return out;
}

}  // namespace orven::text::reference
