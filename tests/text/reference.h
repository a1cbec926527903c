// Plain byte-by-byte implementations of the conversion and markup rules,
// written straight from their description, for checking the fast routines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orven::text::reference {

bool CheckUtf8(const std::string& text);
// The full buffer of 2n + 2 bytes and the count of bytes written.
std::string Utf8ToUtf16(const std::string& text, size_t* written);
std::optional<std::string> Utf8ToKorean(const std::string& text);
std::optional<std::string> Utf8ToChinese(const std::string& text);
std::optional<std::string> Utf8ToJapanese(const std::string& text);
std::optional<std::string> StripMarkup(const std::string& text);

// The code one table entry stands for, as bytes.
std::string ChineseCode(uint32_t unit);
std::string JapaneseCode(uint32_t unit);

}  // namespace orven::text::reference
