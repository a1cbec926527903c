// japanese_reading.cpp - normalisation, numbers and MeCab readings.
#include "japanese_reading.h"

#include <memory>
#include <mutex>

#include "text_decoding.h"  // decodeEnglish and AppendUtf8

#if ORVEN_HAVE_SPEECH
#include <mecab.h>
#endif

namespace syn {
namespace {

constexpr char32_t kDigitKanji[10] = {U'〇', U'一', U'二', U'三', U'四', U'五', U'六', U'七', U'八', U'九'};

// Half-width katakana U+FF61..U+FF9F as their full-width forms.
constexpr char16_t kHalfWidthKana[0x3F] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', u'ー',
    u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ',
    u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ',
    u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜'};

bool IsDigit(char32_t c) noexcept { return c >= U'0' && c <= U'9'; }

// Katakana that take the voiced mark (カ -> ガ, ウ -> ヴ) and the semi-voiced mark (ハ -> パ).
bool TakesVoicedMark(char32_t c) noexcept {
  return (c >= U'カ' && c <= U'ト' && (c - U'カ') % 2 == 0) || (c >= U'ハ' && c <= U'ホ' && (c - U'ハ') % 3 == 0) ||
         c == U'ウ';
}
bool TakesSemiVoicedMark(char32_t c) noexcept { return c >= U'ハ' && c <= U'ホ' && (c - U'ハ') % 3 == 0; }

// One group of up to four digits, without its leading zeros' sounds; 一 is
// not said before 十, 百 or 千.
void AppendGroup(std::u32string_view digits, std::u32string& out) {
  static constexpr char32_t kUnits[4] = {U'千', U'百', U'十', 0};
  const std::size_t skip = 4 - digits.size();
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int d = static_cast<int>(digits[i] - U'0');
    const char32_t unit = kUnits[i + skip];
    if (d == 0) continue;
    if (d != 1 || unit == 0) out += kDigitKanji[d];
    if (unit != 0) out += unit;
  }
}

}  // namespace

char32_t ToKatakana(char32_t c) noexcept { return c >= 0x3041 && c <= 0x3096 ? c + 0x60 : c; }

void AppendKanjiNumber(std::u32string_view digits, std::u32string& out) {
  if (digits.size() > 16 || (digits.size() > 1 && digits.front() == U'0')) {
    for (char32_t d : digits) out += kDigitKanji[d - U'0'];
    return;
  }
  if (digits == U"0") {
    out += U"ゼロ";
    return;
  }
  static constexpr char32_t kGroups[4] = {0, U'万', U'億', U'兆'};
  std::size_t group = (digits.size() - 1) / 4;
  std::size_t start = 0, length = digits.size() - 4 * group;
  for (;; --group) {
    const std::size_t before = out.size();
    AppendGroup(digits.substr(start, length), out);
    if (out.size() != before && kGroups[group] != 0) out += kGroups[group];
    start += length;
    length = 4;
    if (group == 0) break;
  }
}

void NormalizeJapanese(std::u32string_view text, std::u32string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = text[i];
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;  // full-width ASCII
    if (c == 0x3000) c = U' ';
    if (IsDigit(c)) {
      std::size_t end = i;
      std::u32string digits;
      for (; end < text.size(); ++end) {
        char32_t d = text[end];
        if (d >= 0xFF10 && d <= 0xFF19) d -= 0xFEE0;
        if (!IsDigit(d)) break;
        digits += d;
      }
      AppendKanjiNumber(digits, out);
      i = end;
      continue;
    }
    if (c >= 0xFF61 && c <= 0xFF9F) {
      const char32_t full = kHalfWidthKana[c - 0xFF61];
      if ((full == U'゛' || full == U'゜') && !out.empty()) {
        char32_t& last = out.back();
        if (full == U'゛' && TakesVoicedMark(last)) {
          last = last == U'ウ' ? U'ヴ' : last + 1;
          ++i;
          continue;
        }
        if (full == U'゜' && TakesSemiVoicedMark(last)) {
          last += 2;
          ++i;
          continue;
        }
      }
      c = full;
    }
    out += c;
    ++i;
  }
}

#if ORVEN_HAVE_SPEECH
namespace {

// The one model of the process; taggers and lattices are made per call, which
// MeCab allows from many threads at once. Never destroyed.
MeCab::Model* TheModel() noexcept {
  static MeCab::Model* const kModel = [] {
    const std::string arguments = std::string("-d ") + kIpadicDirectory;
    return MeCab::createModel(arguments.c_str());
  }();
  return kModel;
}

// The 9th comma-separated field of a feature string, if there is one and it is not "*".
std::string_view Pronunciation(std::string_view feature) noexcept {
  for (int field = 0; field < 8; ++field) {
    const std::size_t comma = feature.find(',');
    if (comma == std::string_view::npos) return {};
    feature.remove_prefix(comma + 1);
  }
  feature = feature.substr(0, feature.find(','));
  return feature == "*" ? std::string_view() : feature;
}

bool IsKana(char32_t c) noexcept { return (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FC); }

}  // namespace

bool JapaneseReaderReady() noexcept { return TheModel() != nullptr; }

bool KatakanaReading(std::u32string_view text, std::string& utf8) {
  MeCab::Model* model = TheModel();
  if (model == nullptr) return false;
  std::u32string normalized;
  NormalizeJapanese(text, normalized);
  std::string sentence;
  AppendUtf8(normalized, sentence);
  const std::unique_ptr<MeCab::Tagger> tagger(model->createTagger());
  const std::unique_ptr<MeCab::Lattice> lattice(model->createLattice());
  if (!tagger || !lattice) return false;
  lattice->set_sentence(sentence.c_str(), sentence.size());
  if (!tagger->parse(lattice.get())) return false;
  std::u32string surface;
  for (const MeCab::Node* node = lattice->bos_node(); node != nullptr; node = node->next) {
    if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE) continue;
    if (node->rlength > node->length) utf8 += ' ';  // the blanks MeCab skipped before the word
    const std::string_view reading = Pronunciation(node->feature != nullptr ? node->feature : "");
    if (!reading.empty()) {
      utf8.append(reading);
      continue;
    }
    DecodeEnglish(std::string_view(node->surface, node->length), surface);
    bool kana = true, ascii = true;
    for (char32_t c : surface) {
      kana = kana && IsKana(c);
      ascii = ascii && c < 0x80;
    }
    if (!kana && !ascii) continue;
    for (char32_t& c : surface) c = ToKatakana(c);
    AppendUtf8(surface, utf8);
  }
  return true;
}
#else
bool JapaneseReaderReady() noexcept { return false; }
bool KatakanaReading(std::u32string_view, std::string&) { return false; }
#endif

}  // namespace syn
