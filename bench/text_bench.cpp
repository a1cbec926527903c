// Throughput of the text routines against glibc iconv and ICU doing the same
// conversion on the same text in the same run: UTF-8 to code page 949
// (Korean), 936 (Chinese) and Shift_JIS (Japanese), and markup stripping.
//
// The texts are a few MB each, generated deterministically from frequency-
// weighted character lists (rank-weighted, most frequent first), so every
// run measures the same bytes. Our side is the whole routine per iteration:
// measuring the text, allocation, copy, validity check, conversion and
// release. The peers, with converters opened once, convert into an output
// buffer of the same 2L + 2 bytes allocated and released per iteration as
// ours is, so that both sides hand back a fresh buffer.
//
// Bytes/s counts input bytes over CPU time. The repetitions of all the
// benchmarks are interleaved in random order, so that a spell of load on the
// machine spreads over both sides of a ratio instead of hitting one. After
// the runs a summary gives, per language, the best of the repetitions for
// each side and the ratios ours/iconv and ours/ICU. Without
// --benchmark_repetitions, five repetitions are made; without
// --benchmark_enable_random_interleaving, it is on.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unicode/ucnv.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "text/code_pages.h"
#include "text/markup.h"
#include "text/utf8.h"

namespace {

using orven::text::Converted;

constexpr size_t kTextBytes = 4u << 20;

// ---------------------------------------------------------------------------
// Text generation

// Splits a UTF-8 string into its characters, in order.
std::vector<std::string> Characters(std::string_view s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    out.emplace_back(s.substr(i, n));
    i += n;
  }
  return out;
}

// Picks items with weight 1 / (rank + 1): the first is the most frequent.
class RankedPicker {
 public:
  explicit RankedPicker(std::vector<std::string> items) : items_(std::move(items)) {
    double sum = 0;
    for (size_t r = 0; r < items_.size(); ++r) {
      sum += 1.0 / static_cast<double>(r + 1);
      cumulative_.push_back(sum);
    }
  }
  const std::string& Pick(std::mt19937& rng) const {
    const double x = (static_cast<double>(rng()) / 4294967296.0) * cumulative_.back();
    size_t lo = 0, hi = cumulative_.size() - 1;
    while (lo < hi) {
      const size_t mid = (lo + hi) / 2;
      if (cumulative_[mid] < x)
        lo = mid + 1;
      else
        hi = mid;
    }
    return items_[lo];
  }

 private:
  std::vector<std::string> items_;
  std::vector<double> cumulative_;
};

unsigned Uniform(std::mt19937& rng, unsigned lo, unsigned hi) { return lo + rng() % (hi - lo + 1); }

// Korean prose: words of one to four common syllables, spaces, commas and
// full stops, now and then a number.
std::string KoreanText() {
  const RankedPicker syllables(
      Characters("이다는의에하고을가로서지기한리사있수대것으도나니들자시정그인아일어부전여해게제만적우주라보소성장국상"
                 "원연동과러구비중선방면신문화경계관무생내년마요분실모조진행결때위저같학회세공간발없오말세계개통거물"
                 "안전미역체운재민데각교당금차치심감현음활명유의업법회록립권후청산단야력터경복건입호형용영반울출식"));
  const RankedPicker punctuation(Characters(".,?!"));
  std::mt19937 rng(949);
  std::string s;
  while (s.size() < kTextBytes) {
    const unsigned words = Uniform(rng, 4, 12);
    for (unsigned w = 0; w < words; ++w) {
      if (Uniform(rng, 0, 19) == 0) s += std::to_string(Uniform(rng, 1, 2024));
      const unsigned n = Uniform(rng, 1, 4);
      for (unsigned k = 0; k < n; ++k) s += syllables.Pick(rng);
      s += w + 1 < words ? " " : "";
    }
    s += punctuation.Pick(rng);
    s += Uniform(rng, 0, 9) == 0 ? "\n" : " ";
  }
  return s;
}

// Chinese: common hanzi in clauses separated by full-width punctuation, with
// some ASCII digits and Latin words.
std::string ChineseText() {
  const RankedPicker hanzi(Characters(
      "的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学对可她里后"
      "小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面公同三已老从动两长"
      "知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向情部正名定女问力机给等几很业最"
      "间新什打便位因重被走电四第门相次东政海口使教西再平真听世气信北少关并内加化由却代军产入先山五太水万市"
      "眼体别处总才场师书比住员九笑性通目华报立马命张活难神数件安表原车白应路期叫死常提感金何更反合放做系计"
      "或司利受光王果亲界及今京务制解各任至清物台象记边共风战干接它许八特觉望直服毛林题建南度统色字请交爱让"));
  const RankedPicker punctuation(Characters("，。、；：？！“”"));
  std::mt19937 rng(936);
  std::string s;
  while (s.size() < kTextBytes) {
    const unsigned n = Uniform(rng, 4, 16);
    for (unsigned k = 0; k < n; ++k) s += hanzi.Pick(rng);
    if (Uniform(rng, 0, 9) == 0) s += std::to_string(Uniform(rng, 1, 2024));
    if (Uniform(rng, 0, 29) == 0) s += " WTO ";
    s += punctuation.Pick(rng);
    if (Uniform(rng, 0, 19) == 0) s += "\n";
  }
  return s;
}

// Japanese: kanji and hiragana in the proportions of ordinary prose, some
// katakana words, Japanese punctuation and a little ASCII.
std::string JapaneseText() {
  const RankedPicker hiragana(Characters(
      "のにはをたがでてとしれさあるいうかなすもこっよりまくけつえおんらせやどみわほきちめそろじばびぶへむねゆ"));
  const RankedPicker kanji(Characters(
      "日本人年大十二一国中長出三時行見月分後前生五間上東四今金九入学高円子外八六下来気小七山話女北午百書先名"
      "川千水半男西電校語土木聞食車何南万毎白天母火右読友左休父雨会社事自者地業方新場員立開手力問代明動京目"
      "通言理体田主題意不作用度強公持野以思家世多正安院心界教文元重近考画海売知道集別物使品計死特私始朝運終"));
  const RankedPicker katakana(Characters("ーンスルトリイクラタカシテコマアロドジレフプメッ"));
  const RankedPicker punctuation(Characters("、。「」"));
  std::mt19937 rng(932);
  std::string s;
  while (s.size() < kTextBytes) {
    const unsigned n = Uniform(rng, 6, 20);
    for (unsigned k = 0; k < n; ++k) {
      const unsigned what = Uniform(rng, 0, 99);
      if (what < 55)
        s += hiragana.Pick(rng);
      else if (what < 90)
        s += kanji.Pick(rng);
      else if (what < 98)
        s += katakana.Pick(rng);
      else
        s += std::to_string(Uniform(rng, 1, 99));
    }
    s += punctuation.Pick(rng);
    if (Uniform(rng, 0, 19) == 0) s += "\n";
  }
  return s;
}

// Korean prose with tags every few words.
std::string TaggedText() {
  static const char* const kTags[] = {"<speed=90>", "</speed>", "<pause=300>", "<emph>", "</emph>", "<pitch=110>"};
  const std::string prose = KoreanText();
  std::mt19937 rng(22);
  std::string s;
  for (size_t i = 0; i < prose.size();) {
    const size_t run = Uniform(rng, 20, 160);
    size_t end = std::min(prose.size(), i + run);
    while (end < prose.size() && (static_cast<unsigned char>(prose[end]) & 0xC0) == 0x80) ++end;
    s.append(prose, i, end - i);
    s += kTags[Uniform(rng, 0, std::size(kTags) - 1)];
    i = end;
  }
  return s;
}

enum Language { kKorean, kChinese, kJapanese, kLanguages };
const char* const kLanguageNames[] = {"korean", "chinese", "japanese"};

const std::string& TextFor(Language language) {
  static const std::string texts[] = {KoreanText(), ChineseText(), JapaneseText()};
  return texts[language];
}

Converted Ours(Language language, const char* text) {
  switch (language) {
    case kKorean:
      return orven::text::Utf8ToKorean(text);
    case kChinese:
      return orven::text::Utf8ToChinese(text);
    default:
      return orven::text::Utf8ToJapanese(text);
  }
}

// ---------------------------------------------------------------------------
// The peers

iconv_t OpenIconv(Language language) {
  static const char* const kNames[][2] = {{"CP949", "UHC"}, {"CP936", "GBK"}, {"CP932", "SHIFT_JIS"}};
  for (const char* name : kNames[language]) {
    const iconv_t cd = iconv_open(name, "UTF-8");
    if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
  }
  return reinterpret_cast<iconv_t>(-1);
}

// An output buffer of `size` bytes from malloc, as the routines allocate
// theirs.
struct Output {
  explicit Output(size_t n) : data(static_cast<char*>(std::malloc(n))), size(n) {}
  ~Output() { std::free(data); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  char* data;
  size_t size;
};

// Converts all of `text`; false when iconv stops early.
bool IconvConvert(iconv_t cd, const std::string& text, Output& out, size_t* produced) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* o = out.data;
  size_t outLeft = out.size;
  if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
  *produced = out.size - outLeft;
  return true;
}

UConverter* OpenIcu(Language language) {
  static const char* const kNames[][2] = {
      {"windows-949", "cp949"}, {"windows-936", "GBK"}, {"windows-31j", "Shift_JIS"}};
  for (const char* name : kNames[language]) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* cnv = ucnv_open(name, &status);
    if (U_SUCCESS(status)) return cnv;
  }
  return nullptr;
}

// Through a pivot of 1024 UTF-16 units, which measured faster here than 4096
// or 65536 (it stays in the L1 cache).
bool IcuConvert(UConverter* target, UConverter* utf8, const std::string& text, Output& out, size_t* produced) {
  UChar pivot[1024];
  UChar* pivotSource = pivot;
  UChar* pivotTarget = pivot;
  const char* in = text.data();
  char* o = out.data;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_convertEx(target, utf8, &o, out.data + out.size, &in, text.data() + text.size(), pivot, &pivotSource,
                 &pivotTarget, pivot + 1024, true, true, &status);
  *produced = static_cast<size_t>(o - out.data);
  return U_SUCCESS(status) && in == text.data() + text.size();
}

// ---------------------------------------------------------------------------
// Benchmarks

void BM_Orven(benchmark::State& state, Language language) {
  const std::string& text = TextFor(language);
  for (auto _ : state) {
    Converted c = Ours(language, text.c_str());
    benchmark::DoNotOptimize(c.bytes.get());
    if (!c) {
      state.SkipWithError("conversion gave nothing");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Iconv(benchmark::State& state, Language language) {
  const std::string& text = TextFor(language);
  const iconv_t cd = OpenIconv(language);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    state.SkipWithError("iconv_open failed");
    return;
  }
  for (auto _ : state) {
    Output out(2 * text.size() + 2);
    size_t produced = 0;
    if (!IconvConvert(cd, text, out, &produced)) {
      state.SkipWithError("iconv failed");
      break;
    }
    benchmark::DoNotOptimize(out.data);
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Icu(benchmark::State& state, Language language) {
  const std::string& text = TextFor(language);
  UConverter* target = OpenIcu(language);
  UErrorCode status = U_ZERO_ERROR;
  UConverter* utf8 = ucnv_open("UTF-8", &status);
  if (target == nullptr || U_FAILURE(status)) {
    state.SkipWithError("ucnv_open failed");
  } else {
    for (auto _ : state) {
      Output out(2 * text.size() + 2);
      size_t produced = 0;
      if (!IcuConvert(target, utf8, text, out, &produced)) {
        state.SkipWithError("ucnv_convertEx failed");
        break;
      }
      benchmark::DoNotOptimize(out.data);
    }
  }
  ucnv_close(target);
  ucnv_close(utf8);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_StripMarkup(benchmark::State& state) {
  static const std::string text = TaggedText();
  for (auto _ : state) {
    Converted c;
    orven::text::StripMarkup(text.c_str(), c);
    benchmark::DoNotOptimize(c.bytes.get());
    if (!c) {
      state.SkipWithError("stripping gave nothing");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Before measuring: the three sides give the same bytes for each text
// (where they differ, the tables differ; the figures still compare like
// work).
void ReportAgreement() {
  for (int l = 0; l < kLanguages; ++l) {
    const auto language = static_cast<Language>(l);
    const std::string& text = TextFor(language);
    const Converted ours = Ours(language, text.c_str());
    Output out(2 * text.size() + 2);
    size_t produced = 0;
    std::string iconvResult = "iconv unavailable", icuResult = "ICU unavailable";
    const iconv_t cd = OpenIconv(language);
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      iconvResult = !IconvConvert(cd, text, out, &produced) ? "iconv failed"
                    : ours && produced == ours.length && std::memcmp(out.data, ours.bytes.get(), produced) == 0
                        ? "same bytes as iconv"
                        : "differs from iconv";
      iconv_close(cd);
    }
    UConverter* target = OpenIcu(language);
    UErrorCode status = U_ZERO_ERROR;
    UConverter* utf8 = ucnv_open("UTF-8", &status);
    if (target != nullptr && U_SUCCESS(status)) {
      icuResult = !IcuConvert(target, utf8, text, out, &produced) ? "ICU failed"
                  : ours && produced == ours.length && std::memcmp(out.data, ours.bytes.get(), produced) == 0
                      ? "same bytes as ICU"
                      : "differs from ICU";
    }
    ucnv_close(target);
    ucnv_close(utf8);
    std::printf("%-8s text %zu bytes -> %zu bytes; %s; %s\n", kLanguageNames[l], text.size(), ours ? ours.length : 0,
                iconvResult.c_str(), icuResult.c_str());
  }
}

// The best of the repetitions for each side, and the ratios.
void PrintSummary(const orven_bench::BestOfRepetitions& best) {
  std::printf("\nBest of the repetitions, MB/s of input (1 MB = 1e6 bytes):\n");
  std::printf("%-10s %10s %10s %10s %12s %12s  %s\n", "", "orven", "iconv", "ICU", "orven/iconv", "orven/ICU",
              "at least 3x iconv and 1.5x ICU");
  for (const char* language : kLanguageNames) {
    const double ours = best.Best(std::string(language) + "/orven");
    const double iconv = best.Best(std::string(language) + "/iconv");
    const double icu = best.Best(std::string(language) + "/icu");
    const double overIconv = orven_bench::Ratio(ours, iconv), overIcu = orven_bench::Ratio(ours, icu);
    std::printf("%-10s %10.0f %10.0f %10.0f %11.2fx %11.2fx  %s\n", language, ours / 1e6, iconv / 1e6, icu / 1e6,
                overIconv, overIcu, overIconv >= 3.0 && overIcu >= 1.5 ? "yes" : "no");
  }
  std::printf("%-10s %10.0f\n", "markup", best.Best("markup/orven") / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Every buffer of every side, up to 32 MB, from the heap, and the heap
  // never handed back to the system: each iteration then writes into memory
  // that is already mapped, as in a process that converts text after text.
  // Left to glibc's own thresholds, which move with the sizes freed so far,
  // the interleaved runs found some buffers freshly mapped and others not,
  // and a side paid page faults or not by the order the runs came in.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  if (!orven_bench::Initialize(argc, argv,
                               {"--benchmark_repetitions=5", "--benchmark_enable_random_interleaving=true"})) {
    return 1;
  }

  for (int l = 0; l < kLanguages; ++l) {
    const auto language = static_cast<Language>(l);
    const std::string name = kLanguageNames[l];
    benchmark::RegisterBenchmark((name + "/orven").c_str(), BM_Orven, language)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/iconv").c_str(), BM_Iconv, language)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/icu").c_str(), BM_Icu, language)->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("markup/orven", BM_StripMarkup)->Unit(benchmark::kMillisecond);

  ReportAgreement();
  orven_bench::BestOfRepetitions reporter("bytes_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSummary(reporter);
  benchmark::Shutdown();
  return 0;
}
