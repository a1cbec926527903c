// The pure parsers of the engines: voice descriptors, attribute tags and each engine's text decoding.

#include "japanese_reading.h"
#include "pcm_output.h"
#include "tables/code_tables.h"
#include "test_support.h"
#include "text_decoding.h"
#include "text_runs.h"
#include "voice_descriptor.h"

namespace {

using syn::DescriptorError;

// Accepted forms and every kind of refusal, with its line; a refusal leaves the output alone. (What an accepted
// descriptor may hold, printable fields and a tone voice without a synthesiser voice among them, the fuzz target
// checks on every input.)
TEST(VoiceDescriptor, ParsesAndRefuses) {
  const std::string ok = "name = A\nbackend = tone\nrate = 16000\n", rate = "name = A\nbackend = tone\nrate = ";
  const std::string tail = "\nbackend = tone\nrate = 16000\n", n19(19, 'n');
  const std::tuple<std::string, DescriptorError, int32_t, std::string, int32_t> cases[] = {
      {"# v\r\n\r\n  # x\r\nname=Two Words \r\n\t\r\nbackend =\ttone\r\nrate = 8000", {}, 0, "Two Words", 8000},
      {"rate = 048000\nbackend = tone\nname = " + n19, {}, 0, n19, 48000},
      {ok + "#" + std::string(4095 - ok.size(), 'x'), {}, 0, "A", 16000},  // exactly 4096 bytes
      {ok + "#" + std::string(4096 - ok.size(), 'x'), DescriptorError::kTooLarge, 0, "", 0},
      {std::string("name = A\0", 9) + tail, DescriptorError::kNulByte, 0, "", 0},
      {"name = A\nbackend = tone\n", DescriptorError::kMissingKey, 0, "", 0},
      {ok + "name = B\n", DescriptorError::kDuplicateKey, 4, "", 0},
      {ok + "gender = x\n", DescriptorError::kUnknownKey, 4, "", 0},
      {ok + "rate 16000\n", DescriptorError::kBadLine, 4, "", 0},
      {rate + "16k\n", DescriptorError::kBadValue, 3, "", 0},
      {rate + "7999\n", DescriptorError::kRateOutOfRange, 3, "", 0},
      {rate + "48001\n", DescriptorError::kRateOutOfRange, 3, "", 0},
      {rate + "99999999999999999999\n", DescriptorError::kRateOutOfRange, 3, "", 0},
      {"name = " + n19 + "n" + tail, DescriptorError::kBadValue, 1, "", 0},
      {"name = A\nbackend = neural\nrate = 16000\n", DescriptorError::kUnknownBackend, 2, "", 0},
  };
  for (const auto& [bytes, error, line, name, rate] : cases) {
    syn::VoiceDescriptor v;
    const auto r = syn::ParseVoiceDescriptor(bytes, v);
    EXPECT_EQ(std::tuple(r.error, r.line, std::string(v.name), v.rate), std::tuple(error, line, name, rate))
        << testing::PrintToString(bytes);
    EXPECT_STREQ(v.backend, r.Ok() ? "tone" : "");
  }
}

// The synthesisers need a voice: flite one of its linked-in ones, espeak-ng a well-formed name (whether it exists
// is only known at load; the shipped voices show the names that are taken).
TEST(VoiceDescriptor, SynthesiserVoices) {
  const std::tuple<std::string, std::string, DescriptorError, int32_t> cases[] = {
      {"espeak", "voice = cmn-latn-pinyin+f2", {}, 0},
      {"flite", "voice=cmu_us_kal", {}, 0},
      {"flite", "voice = cmu_us_kal8", DescriptorError::kUnknownVoice, 2},
      {"flite", "voice = ko", DescriptorError::kUnknownVoice, 2},
      {"espeak", "", DescriptorError::kMissingKey, 0},
      {"flite", "", DescriptorError::kMissingKey, 0},
      {"espeak", "voice = ", DescriptorError::kBadValue, 2},
      {"espeak", "voice = a-very-long-voice-name", DescriptorError::kBadValue, 2},
  };
  for (const auto& [backend, line, error, errorLine] : cases) {
    syn::VoiceDescriptor v;
    const auto r = syn::ParseVoiceDescriptor("name = A\n" + line + "\nbackend = " + backend + "\nrate = 8000\n", v);
    EXPECT_EQ(std::pair(r.error, r.line), std::pair(error, errorLine)) << backend << ": " << line;
  }
  for (const char* name : {"", "Ko", "1a", "-ko", "ko-", "ko--x", "ko+", "ko+f2+f3", "ko+F2", "ko f2", "../ko"}) {
    EXPECT_FALSE(syn::IsEspeakVoiceName(name)) << name;
  }
}

// Values are clamped, other engines' tags ignored; a refused text changes nothing, not even its earlier tags.
TEST(AttributeTags, ParsesWellFormedTextsOnly) {
  syn::Attributes a;
  EXPECT_TRUE(syn::ParseAttributeTags(" <echo=\"on, loud\">\t<volume=\"999\"><speed=\"1\"><pitch=\"0\"> ", a));
  EXPECT_EQ(std::tuple(a.volume, a.speed, a.pitch), std::tuple(200, 50, 50));
  for (const char* text : {"", "<volume=\"5\"> text", "<volume=\"5\"><speed=\"x\">", "<volume=\"-5\">", "<volume=\"\">",
                           "<volume=\"1234567890\">", "<volume=5>", "<volume=\"5\"", "<=\"5\">", "<"}) {
    EXPECT_FALSE(syn::ParseAttributeTags(text, a)) << text;
    EXPECT_EQ(a.volume, 200) << text;
  }
}

constexpr int kKorean = 0, kEnglish = 1, kChinese = 2, kJapanese = 3;

// Each undecodable byte becomes U+FFFD without swallowing what follows; the codes' ambiguities resolve one way.
TEST(TextDecoding, UndecodableBytesAndAmbiguities) {
  const std::u32string bad = U"\uFFFD";
  const std::tuple<int, std::string, std::u32string> cases[] = {
      {kKorean, "a \xB0\xA1!\200A\xFF\xA1 \xB0", U"a \uAC00!" + bad + U"A" + bad + bad + U" " + bad},  // lone bytes
      {kKorean, "\xA1\xA1\xC6\x53\xC7\x41", bad + bad + bad + U"A"},  // no Hangul; past the last; C7 41 no code
      {kChinese, "\x80\xFF\377b\377A", U"\u20AC\uFFFDb\u00FFA"},      // FF FF: unencodable; FF alone: Latin-1
      {kChinese, "na\xEFve", U"na\u98D7e"},                           // a Latin-1 byte pairs with what follows
      {kChinese, "\xA7\x44\xA1\xE8", U"\u00A7D\u00A1\u00E8"},         // no code; A1 E8 is only listed for U+00A4
      {kJapanese, "\xED\x40\xF2\100a\x80\xA0\xFD\xFE\xFF\x82 \xE0\177a\x82",
       bad + bad + U"a" + std::u32string(5, U'\uFFFD') + bad + U" " + bad + U"\177a" + bad},
      {kEnglish, "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", U"\u00E9\u4E2D\U0001F600"},
      {kEnglish, "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF", U"\u0080\uFFFF\U0010FFFF"},
      {kEnglish, "\xEF\xBB\xBFhi\xEF\xBB\xBF", U"hi\uFEFF"},  // only a leading byte-order mark is skipped
      {kEnglish, "\xEF\xBB\xBF", U""},
      {kEnglish, "\xC3(\x80\277a\xE4\xB8", bad + U"(" + bad + bad + U"a" + bad + bad},        // one per stray byte
      {kEnglish, "\xC0\xAF\xE0\x80\xAF\xF0\x8F\xBF\xBF", std::u32string(9, U'\uFFFD')},       // overlong
      {kEnglish, "\xED\xA0\x80\xF4\x90\x80\x80\xC1\xF5\xFF", std::u32string(10, U'\uFFFD')},  // surrogate, > U+10FFFF
      {kEnglish, "\xE4\xC3\xA9", bad + U"\u00E9"},  // a bad byte does not swallow a good sequence
      {kKorean, "", U""},
  };
  std::u32string out = U"left over";  // reused: each call replaces the contents
  for (const auto& [language, bytes, expected] : cases) {
    syn::DecodeText(language, bytes, out);
    EXPECT_EQ(out, expected) << testing::PrintToString(bytes);
  }
  // Units below U+0100 travel as one byte; each comes back, U+0080 as the euro sign.
  for (uint32_t u = 1; u < 0x100; ++u) {
    const char32_t e = u == 0x80 ? U'\u20AC' : u;
    syn::DecodeText(kChinese, std::string{char(u), ' ', char(u)}, out);
    EXPECT_EQ(out, (std::u32string{e, U' ', e}));
  }
}

// Sends each unit in [first, end) that has a code as the library does, back to back (each followed by `sep`
// unless 0), and checks each comes back; Japanese U+00B7, sent as 0x2E, comes back as '.'.
template <class Code>
void ExpectRoundTrip(int language, uint32_t first, uint32_t end, Code code, char sep = 0) {
  std::string bytes;
  std::u32string units;
  for (uint32_t u = first; u < end; ++u) {
    if (const uint16_t c = code(u); c != 0xFFFF) {
      bytes.append(c > 0xFF, static_cast<char>(c >> 8)).append(1, static_cast<char>(c)).append(sep != 0, sep);
      units.append(1, language == kJapanese && u == 0xB7 ? U'.' : u).append(sep != 0, static_cast<char32_t>(sep));
    }
  }
  std::u32string back;
  syn::DecodeText(language, bytes, back);
  ASSERT_GT(units.size(), 7000u);
  ASSERT_EQ(back.size(), units.size());
  const auto [unit, came] = std::mismatch(units.begin(), units.end(), back.begin());
  EXPECT_TRUE(unit == units.end()) << std::hex << uint32_t(*unit) << " came back as " << uint32_t(*came);
}

// All 11,172 Hangul syllables (also each before 'A', a trail byte), every Chinese unit from U+0100 (the lower
// ones travel as their byte), every Japanese unit.
TEST(TextDecoding, RoundTripsEveryCodeTheLibrarySends) {
  const auto hangul = [](uint32_t u) { return orven::codepage::kHangulCp949[u - 0xAC00]; };
  ExpectRoundTrip(kKorean, 0xAC00, 0xD7A4, hangul);
  ExpectRoundTrip(kKorean, 0xAC00, 0xD7A4, hangul, 'A');
  ExpectRoundTrip(kChinese, 0x100, 0x10000, [](uint32_t u) { return orven::codepage::ChineseTable()[u]; });
  ExpectRoundTrip(kJapanese, 0, 0x10000, [](uint32_t u) { return orven::codepage::JapaneseTable()[u]; });
}

// Our tags change the prosody from where they stand and vanish; any other complete tag vanishes too; a '<' that
// closes too far away, or across another '<' or a line, is text.
TEST(TextRuns, TagsSplitRuns) {
  using Runs = std::vector<std::tuple<std::u32string, int32_t, int32_t, int32_t>>;
  std::u32string tooLong(syn::kMaxTagLength + 2, U'x');  // '<', 65 characters, '>'
  tooLong.front() = U'<';
  tooLong.back() = U'>';
  const std::pair<std::u32string, Runs> cases[] = {
      {U"plain", {{U"plain", 100, 100, 100}}},
      {U"a<volume=\"50\">b<speed=\"300\"><pitch=\"60\">c",
       {{U"a", 100, 100, 100}, {U"b", 50, 100, 100}, {U"c", 50, 200, 60}}},
      {U"<volume=\"20\" >x", {{U"x", 100, 100, 100}}},  // malformed: dropped, no change
      {U"a<b>c<unknown attribute>d<\u3042>", {{U"a", 100, 100, 100}, {U"c", 100, 100, 100}, {U"d", 100, 100, 100}}},
      {U"1 < 2 and 3 > 2", {{U"1 ", 100, 100, 100}, {U" 2", 100, 100, 100}}},  // reads as a tag: dropped
      {U"x<y\n>z", {{U"x<y\n>z", 100, 100, 100}}},
      {U"a<<pitch=\"80\">b", {{U"a<", 100, 100, 100}, {U"b", 100, 100, 80}}},
      {tooLong, {{tooLong, 100, 100, 100}}},
      {U"<volume=\"0\">", {}},
  };
  for (const auto& [text, expected] : cases) {
    std::vector<syn::TextRun> runs;
    syn::SplitTaggedText(text, syn::Attributes{}, runs);
    Runs got;
    for (const auto& r : runs) got.emplace_back(r.text, r.prosody.volume, r.prosody.speed, r.prosody.pitch);
    EXPECT_EQ(got, expected) << testing::PrintToString(std::string(text.begin(), text.end()));
  }
}

// Pieces end after a sentence end and its blanks, at a clause mark only once long enough, at a blank once longer,
// and never exceed the hard limit.
TEST(TextRuns, Pieces) {
  const std::u32string words40 = std::u32string(39, U'w') + U",", clause = U"short, then more. Rest";
  std::u32string longWords;
  while (longWords.size() < 300) longWords += U"word ";
  const std::tuple<std::u32string, std::size_t> cases[] = {
      {U"One. Two.", 5},
      {U"\u4eca\u5929\u3002\u660e\u5929", 3},
      {U"Why?!  Because", 7},
      {U"line\nnext", 5},
      {clause, 18},
      {words40 + U" next", 41},
      {longWords, syn::kSoftPieceLimit + 5},  // the blank after "word" at 160 (the 33rd word)
      {std::u32string(500, U'x'), syn::kHardPieceLimit},
      {U"", 0},
  };
  for (const auto& [text, length] : cases) {
    EXPECT_EQ(syn::FirstPieceLength(text), length) << testing::PrintToString(std::string(text.begin(), text.end()));
  }
}

// Width folding, half-width voiced marks, numbers as the kanji numerals MeCab reads with their counters.
TEST(JapaneseReading, NormalisesWidthsAndNumbers) {
  const std::pair<std::u32string, std::u32string> cases[] = {
      {U"\uff21\uff42\uff43\u3000\uff01", U"Abc !"},
      {U"\uff76\uff9e\uff8a\uff9f\uff73\uff9e\uff71\uff9e\uff70", U"\u30ac\u30d1\u30f4\u30a2\u309b\u30fc"},
      {U"3\u6708", U"\u4e09\u6708"},
      {U"\uff11\uff10\u65e5", U"\u5341\u65e5"},
      {U"2024", U"\u4e8c\u5343\u4e8c\u5341\u56db"},
      {U"1111", U"\u5343\u767e\u5341\u4e00"},
      {U"100000001", U"\u4e00\u5104\u4e00"},
      {U"120000", U"\u5341\u4e8c\u4e07"},
      {U"0", U"\u30bc\u30ed"},
      {U"090", U"\u3007\u4e5d\u3007"},
      {U"12345678901234567",
       U"\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03\u516b\u4e5d\u3007\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03"},
  };
  for (const auto& [text, expected] : cases) {
    std::u32string out = U"stale";
    syn::NormalizeJapanese(text, out);
    EXPECT_EQ(out, expected) << testing::PrintToString(std::string(text.begin(), text.end()));
  }
  EXPECT_EQ(syn::ToKatakana(U'\u3042'), U'\u30a2');
  EXPECT_EQ(syn::ToKatakana(U'\u30a2'), U'\u30a2');
}

// 22050 Hz in, cut in pieces of `cut` samples, out at `rate` in chunks of `chunk` samples: what the callback received.
const orven_test::Samples kSweep =
    orven_test::Make(22050, [](int i) { return 8000 * std::sin(0.05 * i * (1 + i / 9e3)); });
orven_test::Pcm Output(int32_t rate, size_t chunk, size_t cut, std::atomic<bool>* stop = nullptr) {
  orven_test::Pcm pcm;
  syn::ChunkedOutput out;
  EXPECT_TRUE(out.Open(22050, rate, chunk, {&orven_test::Pcm::Collect, &pcm, false, stop})) << rate << " Hz";
  for (size_t at = 0; at < kSweep.size(); at += cut) out.Push(kSweep.data() + at, std::min(cut, kSweep.size() - at));
  out.Finish();
  return pcm;
}

// Chunks of exactly the size asked for, the last shorter; the stream does not depend on how the input was cut, and
// keeps its duration.
void ExpectChunksAndStream(int32_t rate, size_t chunk) {
  const orven_test::Pcm whole = Output(rate, chunk, kSweep.size());
  EXPECT_NEAR(static_cast<double>(whole.samples.size()), rate, 2) << rate << " Hz";
  const auto bytes = static_cast<int32_t>(2 * chunk);
  EXPECT_EQ(std::count(whole.chunks.begin(), whole.chunks.end() - 1, bytes), whole.chunks.size() - 1) << rate << " Hz";
  EXPECT_LE(whole.chunks.back(), bytes) << rate << " Hz";
  for (size_t cut : {1u, 333u, 1081u})
    EXPECT_EQ(Output(rate, chunk, cut).samples, whole.samples) << rate << " Hz, cut " << cut;
}

// At the input's own rate the samples pass through; a stop ends delivery.
TEST(PcmOutput, ChunksAndStopsAtTheInputsRate) {
  ExpectChunksAndStream(22050, 1000);
  EXPECT_EQ(Output(22050, 1000, 100).samples, kSweep);
  std::atomic<bool> stop{true};
  EXPECT_TRUE(Output(22050, 512, 1000, &stop).chunks.empty());
}

TEST(PcmOutput, ResampledChunksAndStreams) {
#if !defined(ORVEN_HAVE_SOXR)
  GTEST_SKIP() << "resampling needs libsoxr, which this build does not have (its voices are tone only)";
#endif
  for (auto [rate, chunk] : {std::pair{16000, 512}, {8000, 800}, {48000, 4096}}) ExpectChunksAndStream(rate, chunk);
}

}  // namespace
