// japanese_reading.h - Japanese text to the katakana that espeak-ng's
// Japanese voice reads (it reads kana only: a kanji comes out as the words
// for "Chinese letter").
//
// The text is normalised first (full-width ASCII to ASCII, half-width
// katakana to full-width, ASCII digits to kanji numerals so that 3月 is read
// サンガツ), then MeCab with the IPA dictionary cuts it into words, and each
// word is replaced by its pronunciation (トーキョー, ワ: how it sounds, not how
// it is spelt in kana). A word without one keeps its surface if that is kana
// (hiragana turned into katakana) or ASCII, and is dropped otherwise.
#pragma once

#include <string>
#include <string_view>

namespace syn {

// The dictionary the readings come from; passed to MeCab explicitly so that
// no system or user configuration changes what is spoken.
inline constexpr const char* kIpadicDirectory = "/var/lib/mecab/dic/ipadic-utf8";

// Width folding and numbers, as described above; replaces `out`.
void NormalizeJapanese(std::u32string_view text, std::u32string& out);
// Appends a run of ASCII digits as kanji numerals: up to 16 digits without a
// leading zero as a number (二千二十四), anything else digit by digit.
void AppendKanjiNumber(std::u32string_view digits, std::u32string& out);
// Hiragana to katakana; everything else unchanged.
char32_t ToKatakana(char32_t c) noexcept;

// True once the one MeCab model of the process is loaded (tried once).
bool JapaneseReaderReady() noexcept;
// Appends the katakana reading of `text` to `utf8`. False when MeCab is missing or fails.
bool KatakanaReading(std::u32string_view text, std::string& utf8);

}  // namespace syn
