// The engines: exported names, voices, channels, the tone backend and the test-control interface.
#include <algorithm>
#include <cinttypes>
#include <set>
#include <tuple>

#include "engine_test_support.h"

namespace syntest {
namespace {

class Engine : public EngineTest {};

// Each engine library defines exactly its language's names, SYNCORE its accessor and the test controls.
TEST(Exports, EachLibraryDefinesExactlyItsNames) {
  std::set<std::string> want[5] = {{}, {}, {}, {}, {"SynCore_Engine", "SynTest_Reset", "SynTest_ForceResult",
      "SynTest_ForceOutputs", "SynTest_ForceDbStatus", "SynTest_ClearForced", "SynTest_RefuseSpeaker",
      "SynTest_LogCount", "SynTest_LogEntry", "SynTest_ClearLog", "SynTest_OpenChannels"}};
#define SYN_OTHER_(r, o, eng, chi, jap, p, a) want[1].insert(#eng), want[2].insert(#chi), want[3].insert(#jap);
#define SYN_COMMON_(r, o, kor, eng, chi, jap, p, a) want[0].insert(#kor), SYN_OTHER_(, , eng, chi, jap, , )
#define SYN_KOREAN_(r, o, kor, p, a) want[0].insert(#kor);
  ORVN_ENGINE_COMMON_OPS(SYN_COMMON_) ORVN_ENGINE_KOREAN_OPS(SYN_KOREAN_) ORVN_ENGINE_OTHER_OPS(SYN_OTHER_)
  const char* libraries[] = {ORVEN_TEST_KORSYN, ORVEN_TEST_ENGSYN, ORVEN_TEST_CHISYN, ORVEN_TEST_JAPSYN,
                             ORVEN_TEST_SYNCORE};
  for (int i = 0; i < 5; ++i) {
    std::set<std::string> defined;
    std::FILE* nm = popen((std::string(ORVEN_TEST_NM) += " -D --defined-only ").append(libraries[i]).c_str(), "r");
    ASSERT_NE(nm, nullptr);
    for (char line[512], name[512]; std::fgets(line, sizeof line, nm) != nullptr;) {
      if (std::sscanf(line, "%*s %*s %511[^@ \n]", name) == 1) defined.insert(name);
    }
    EXPECT_EQ(pclose(nm), 0);
    EXPECT_EQ(defined, want[i]) << libraries[i];
  }
}

// Refused loads (bad, oversize or unreadable file, speaker out of range) load nothing; a reload
// replaces a voice, a refused one keeps it; a channel keeps its voice through reload and unload.
TEST_P(Engine, LoadReloadAndUnload) {
  const int32_t ok = loadOk(GetParam()), refused = ok - 1;
  const std::string dir = scratchDir(), c = code(GetParam()), first = "name = First\nbackend = tone\nrate = 8000\n";
  writeScratch(c + "-3.voice", "name = X\nbackend = tone\nrate = 4000\n");
  writeScratch(c + "-5.voice", first + "#" + std::string(5000, 'x'));
  std::filesystem::create_directory(dir + c + "-6.voice");
  writeScratch(c + "-10.voice", first);
  for (int32_t speaker : {-1, 2, 3, 5, 6, 10}) EXPECT_EQ(L().load(dir.c_str(), 0, speaker), refused) << speaker;
  EXPECT_EQ(L().load(nullptr, 0, 0), refused);
  EXPECT_EQ(L().create(nullptr, &Pcm::collect, 3), nullptr);
  writeScratch(c + "-7.voice", first);
  ASSERT_EQ(L().load(dir.c_str(), 0, 7), ok);
  Pcm pcm;
  ENGINE_HANDLE h = open(GetParam(), &pcm, 7);
  writeScratch(c + "-7.voice", "name = Second\nbackend = tone\nrate = 22050\n");
  ASSERT_EQ(L().load(dir.c_str(), 0, 7), ok);
  writeScratch(c + "-7.voice", "name = Third\n");
  EXPECT_EQ(L().load(dir.c_str(), 0, 7), refused);
  ORVN_DbInfo db;
  EXPECT_EQ(L().dbInfo(7, &db), 1);
  EXPECT_EQ(std::tuple(db.dbStatus, std::string(db.dbText1), std::string(db.dbText2), db.samplingRate),
            std::tuple(0, "Second", "tone", 22050));
  EXPECT_EQ(L().unload(7), 1);
  EXPECT_EQ(L().create(nullptr, &Pcm::collect, 7), nullptr);
  EXPECT_EQ(L().speak(h, "ab", 0), 1);
  EXPECT_EQ(pcm.samples.size(), 2u * 480);  // two tones at First's 8000 Hz
}

// Channels exist for loaded speakers only, their head names language and speaker, a speaker change
// needs a loaded voice. Only live channels of the language are ever dereferenced: anything else
// (destroyed, not a channel, of another language, null) is refused with outputs untouched.
TEST_P(Engine, ChannelRecordsAndUnknownHandles) {
  for (int32_t speaker : {-1, 2, 10}) EXPECT_EQ(L().create(nullptr, &Pcm::collect, speaker), nullptr);
  Pcm pcm;
  ENGINE_HANDLE h = L().create(&pcm, &Pcm::collect, 9);
  ASSERT_NE(h, nullptr);
  const auto* head = static_cast<const ORVN_ChannelHead*>(h);
  EXPECT_EQ(std::tuple(head->language, head->speaker, SynTest_OpenChannels(GetParam())), std::tuple(GetParam(), 9, 1));
  EXPECT_EQ(L().changeSpeaker(h, 2), 0);
  EXPECT_EQ(L().changeSpeaker(h, 1), 1);
  EXPECT_EQ(head->speaker, 1);
  EXPECT_EQ(L().speak(h, "xyz", 0), 1);
  EXPECT_EQ(pcm.chunks, (std::vector<int32_t>{1600, 1280}));  // 100 ms chunks of the 8000 Hz voice
  EXPECT_EQ(L().destroy(h), 1);
  EXPECT_EQ(SynTest_OpenChannels(GetParam()), 0);
  int notAChannel[16] = {};
  int32_t o = 77;
  for (ENGINE_HANDLE bad : {h, ENGINE_HANDLE(notAChannel), open((GetParam() + 1) % 4, nullptr), ENGINE_HANDLE{}}) {
    for (int32_t r : {L().destroy(bad), L().speak(bad, "a", 0), L().stop(bad), L().setOutBufSize(bad, 2),
                      L().changeAttr(bad, "<volume=\"5\">"), L().changeSpeaker(bad, 0), L().setCharSet(bad, 1),
                      L().getSentDelimLF(bad), L().setPauseLength(bad, 1, 1), L().getPauseLength(bad, &o, &o),
                      L().loadDict(bad, "x", &o, &o), L().unloadDict(bad)}) {
      EXPECT_EQ(r, 0);
    }
  }
  EXPECT_EQ(o + notAChannel[0], 77);
}

// Load failures report 1 (cannot open), 2 (bad line) or 3 (too large) and the line, and keep the
// dictionary in use. The longest word wins, the first of equal ones, readings are not rescanned; raw
// bytes are rewritten before decoding (a word may be a character's bytes, a reading its first byte).
TEST_P(Engine, UserDictionaries) {
  const std::string characters[] = {"\xB0\xA1", "\xC3\xA9", "\xD6\xD0", "\x82\xA0"}, c = characters[GetParam()];
  Pcm pcm;
  ENGINE_HANDLE h = open(GetParam(), &pcm);
  int32_t first = -1, second = -1;
  const std::string dict = writeScratch("a", "#\r\n\r\nab\tzz\r\nabc\ty\r\nab\tN\nz\tN\n" + c + "\tab\nQ\t" + c[0]);
  EXPECT_EQ(L().loadDict(h, dict.c_str(), &first, &second), 1);
  EXPECT_EQ(std::pair(first, second), std::pair(6, 0));
  for (auto [path, error, line] : {std::tuple<std::string, int, int>{writeScratch("b", "ab\tx\n#\nde y\n"), 2, 3},
                                   {writeScratch("c", "a\tb\n" + std::string(65536, '#')), 3, 0}, {"/none", 1, 0}}) {
    EXPECT_EQ(L().changeDict(h, path.c_str(), &first, &second), 0);
    EXPECT_EQ(std::pair(first, second), std::pair(error, line));
  }
  const auto heard = [&](const std::string& text) {
    pcm = Pcm{};
    EXPECT_EQ(L().speak(h, text.c_str(), 0), 1);
    return pcm.samples;
  };
  EXPECT_EQ(heard("abcab!"), speak(GetParam(), "yzz!").samples);
  EXPECT_EQ(heard(c), speak(GetParam(), "ab").samples);
  EXPECT_EQ(heard(std::string("Q") + c[1]), speak(GetParam(), c).samples);  // one character, not two
  EXPECT_EQ(L().unloadDict(h), 1);
  EXPECT_EQ(heard("abc"), speak(GetParam(), "abc").samples);
}

// The same text gives the same bytes: one 60 ms tone per character, starting afresh and fading in and
// out, 8000 * volume/100 loud and 100/speed times as long; chunks have the buffer size (rounded down to
// even, below 2 meaning 100 ms) except the last; byte swap 1 (only 1) swaps every sample.
TEST_P(Engine, DeterministicScaledChunkedAndSwapped) {
  const auto with = [&](const char* tag, auto&& setup) {
    return speakWith(GetParam(), "Hello, world", [&](ENGINE_HANDLE h) { L().changeAttr(h, tag), setup(h); });
  };
  const auto peak = [](const Pcm& pcm) { return *std::max_element(pcm.samples.begin(), pcm.samples.end()); };
  const Pcm a = speak(GetParam(), "Hello, world");
  const auto& s = a.samples;
  EXPECT_EQ(s.size(), 12 * 960u);
  EXPECT_TRUE(std::equal(s.begin() + 2 * 960, s.begin() + 3 * 960, s.begin() + 3 * 960));  // "ll"
  EXPECT_TRUE(std::all_of(s.begin() + 952, s.begin() + 968, [](int16_t v) { return std::abs(v) <= 800; }));  // fades
  EXPECT_EQ(speak(GetParam(), "Hello, world").samples, s);
  EXPECT_NE(speak(GetParam(), "Hello, World").samples, s);
  EXPECT_TRUE(speak(GetParam(), "").chunks.empty());
  EXPECT_NEAR(peak(a), 8000, 150);
  EXPECT_NEAR(peak(with("<volume=\"200\">", [](ENGINE_HANDLE) {})), 2 * peak(a), 2);
  EXPECT_EQ(peak(with("<volume=\"0\">", [](ENGINE_HANDLE) {})), 0);
  EXPECT_EQ(with("<speed=\"200\">", [](ENGINE_HANDLE) {}).samples.size() * 2, s.size());
  EXPECT_EQ(with("<speed=\"50\">", [](ENGINE_HANDLE) {}).samples.size(), s.size() * 2);
  for (auto c : {std::pair{1024, 1024}, {1025, 1024}, {0, 3200}, {1, 3200}, {-4, 3200}, {2, 2}, {1 << 30, 23040}}) {
    const Pcm pcm = with("", [&](ENGINE_HANDLE h) { L().setOutBufSize(h, c.first); });
    EXPECT_EQ(pcm.samples, s);
    EXPECT_EQ(std::count(pcm.chunks.begin(), pcm.chunks.end() - 1, c.second), pcm.chunks.size() - 1) << c.first;
    EXPECT_TRUE(pcm.chunks.back() > 0 && pcm.chunks.back() <= c.second) << c.first;
  }
  std::vector<int16_t> swapped = s;
  for (int16_t& v : swapped) v = static_cast<int16_t>(static_cast<uint16_t>(v) << 8 | static_cast<uint16_t>(v) >> 8);
  EXPECT_EQ(with("", [&](ENGINE_HANDLE h) { L().setByteSwap(h, 1); }).samples, swapped);
  EXPECT_EQ(with("", [&](ENGINE_HANDLE h) { L().setByteSwap(h, 2); }).samples, s);
}

// Each decoded character is one tone at (200 + 10 * (c & 0x7F)) Hz * pitch/100 at the voice's rate,
// whatever its byte count, or silence (0 Hz) for blanks and controls.
TEST_F(EngineTest, EachCharacterIsOneToneAtItsCodePointsPitch) {
  const std::tuple<int32_t, const char*, int32_t, int32_t, int32_t> cases[] = {
      {0, "A", 100, 0, 850}, {1, "A", 50, 0, 425}, {2, "~", 120, 1, 1752},  // speaker 1: 8000 Hz
      {0, "\xB0\xA1", 100, 0, 200}, {0, "\xA1\xA1", 100, 0, 1450}, {0, "\xC1", 100, 0, 1450},  // U+FFFD: 1450 Hz
      {2, "\xD6\xD0", 100, 0, 650}, {2, "\xC1", 100, 0, 850}, {2, "\xA0", 100, 0, 0}, {2, "\xA1\xA1", 100, 0, 0},
      {3, "\x82\xA0", 100, 0, 860}, {3, "\xB1", 100, 0, 1330}, {3, "\xA0", 100, 0, 1450}, {1, "\xC1", 100, 0, 1450},
      {1, "\xF0\x9F\x98\x80", 100, 0, 200}, {1, "\xC2\x85", 100, 0, 0}, {1, "\xE2\x80\x8A", 100, 0, 0},
      {1, "\xE2\x80\x8B", 100, 0, 310}, {3, "\t", 100, 0, 0}, {2, "\x7F", 100, 0, 0}};
  for (const auto& [language, text, pitch, speaker, hertz] : cases) {
    Pcm pcm;
    ENGINE_HANDLE h = open(language, &pcm, speaker);
    engine(language).changeAttr(h, std::string("<pitch=\"").append(std::to_string(pitch)).append("\">").c_str());
    ASSERT_EQ(engine(language).speak(h, text, 0), 1);
    const auto& s = pcm.samples;
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
    SCOPED_TRACE(testing::PrintToString(std::string(text)));
    EXPECT_EQ(s.size(), speaker == 1 ? 480u : 960u);
    EXPECT_NEAR(crossings, 2 * hertz * 0.06, 4);
    EXPECT_EQ(std::count(s.begin(), s.end(), 0) == std::ssize(s), hertz == 0);
  }
}

template <class P>
std::string hex(P p) {
  char text[32];
  return std::string(text, std::snprintf(text, sizeof text, "0x%" PRIxPTR, reinterpret_cast<std::uintptr_t>(p)));
}
std::vector<std::string> logOf(int32_t language) {
  std::vector<std::string> out;
  for (char e[300]; SynTest_LogEntry(language, static_cast<int32_t>(out.size()), e, sizeof e) >= 0;) out.push_back(e);
  return out;
}

// Each exported name logs to its own language as Name(args): decimal integers, 0x-hex or null
// pointers, strings verbatim in quotes; entries are truncated to the buffer.
TEST_F(EngineTest, LogsEachCall) {
  ENGINE_HANDLE h = open(0, nullptr);
  for (int32_t l = 0; l < 4; ++l) SynTest_ClearLog(l);
  int32_t out = 0;
  EXPECT_EQ(CreateTTSThread(&out, &Pcm::collect, 3, 0), nullptr);
  SetCharSet(h, -1);
  TextToSpeech(nullptr, nullptr, -5);
  LoadEngTTSEngineEx("d/", 4294967295u, 3);
  ChangeChiTTSAttr(nullptr, "<volume=\"5\"> ");
  JapTextToSpeech(nullptr, "d\\x", 0);
  const std::vector<std::string> expected[] = {
      {"CreateTTSThread(" + hex(&out) + ", " + hex(&Pcm::collect) + ", 3, 0)", "SetCharSet(" + hex(h) + ", -1)",
       "TextToSpeech(null, null, -5)"}, {"LoadEngTTSEngineEx(\"d/\", 4294967295, 3)"},
      {"ChangeChiTTSAttr(null, \"<volume=\"5\"> \")"}, {"JapTextToSpeech(null, \"d\\x\", 0)"}};
  for (int32_t l = 0; l < 4; ++l) EXPECT_EQ(logOf(l), expected[l]) << l;
  char buffer[8] = "xxxxxxx";
  EXPECT_EQ(SynTest_LogEntry(0, 2, buffer, 5), 28);
  EXPECT_EQ(std::string(buffer, 7), std::string("Text\0xx", 7));
  for (auto [l, i] : {std::pair{0, 3}, {0, -1}, {7, 0}}) EXPECT_EQ(SynTest_LogEntry(l, i, buffer, 8), -1);
}

// A forced result replaces the work of that one name (still logged) until cleared, writing forced
// outputs only then; a create forced to 0 makes no channel, other values create.
TEST_F(EngineTest, ForcedResultsDbStatusRefusalsAndReset) {
  ENGINE_HANDLE h = open(2, nullptr);
  SynTest_ForceResult("GetChiCharSet", 7);
  EXPECT_EQ(GetChiCharSet(h), 7);
  EXPECT_EQ(GetCharSet(nullptr), 0);
  EXPECT_EQ(logOf(2).back(), "GetChiCharSet(" + hex(h) + ")");
  SynTest_ClearForced("GetChiCharSet");
  EXPECT_EQ(GetChiCharSet(h), 0);
  SynTest_ForceResult("CreateTTSThread", 0);
  SynTest_ForceResult("CreateEngTTSThread", 5);
  EXPECT_EQ(CreateTTSThread(nullptr, &Pcm::collect, 0, 0), nullptr);
  EXPECT_EQ(SynTest_OpenChannels(0), 0);
  EXPECT_EQ(DeleteEngTTSThread(CreateEngTTSThread(nullptr, &Pcm::collect, 0)), 1);
  int32_t first = -1, second = -1;
  SynTest_ForceOutputs("GetEngSpeedDefault", 11, 22);
  EXPECT_EQ(GetEngSpeedDefault(nullptr, &second), 1);  // outputs alone change nothing: the real top, 200
  SynTest_ForceResult("GetEngSpeedDefault", 0);
  SynTest_ForceResult("GetEngPauseLength", 1);
  EXPECT_EQ(GetEngSpeedDefault(&first, nullptr), 0);
  EXPECT_EQ(GetEngPauseLength(nullptr, nullptr, &second), 1);
  EXPECT_EQ(std::pair(first, second), std::pair(11, 200));
  // A forced db status -1 comes with bait a caller must not copy, another with the real record.
  ORVN_DbInfo db;
  SynTest_ForceDbStatus(1, 0, -1);
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(std::tuple(db.dbStatus, std::string(db.dbText1), db.samplingRate), std::tuple(-1, "junk", 12345));
  SynTest_ForceDbStatus(1, 0, 3);
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(std::tuple(db.dbStatus, std::string(db.dbText1), db.samplingRate),
            std::tuple(3, "English Standard", 16000));
  // A refused speaker fails to load in that language only. Reset forgets all that, not voices or channels.
  SynTest_RefuseSpeaker(0, 9, 1);
  EXPECT_EQ(LoadVELMEngineEx(voicesDir().c_str(), 0, 9), -1);
  EXPECT_EQ(LoadEngTTSEngineEx(voicesDir().c_str(), 0, 9), 1);
  SynTest_ForceResult("GetChiLipSync", 9);
  SynTest_Reset();
  EXPECT_EQ(SynTest_LogCount(1), 0);
  EXPECT_EQ(GetChiLipSync(h), 0);
  EXPECT_EQ(LoadVELMEngineEx(voicesDir().c_str(), 0, 9), 0);
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(std::pair(db.dbStatus, SynTest_OpenChannels(2)), std::pair(0, 1));
}

SYN_FOR_EACH_LANGUAGE(Engine);

}  // namespace
}  // namespace syntest
