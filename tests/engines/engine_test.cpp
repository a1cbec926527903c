// The stand-in engines: exported names, voices, channels, tones, the test-control interface and threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <set>
#include <thread>
#include <tuple>

#include "orven_engine_testctl.h"
#include "syncore.h"
#include "text_decoding.h"

namespace {

syn::LanguageEngine& engine(int32_t language) { return *SynCore_Engine(language); }
int32_t loadOk(int32_t language) { return language == 0 ? 0 : 1; }  // a refusal is one less
std::string code(int32_t language) { return std::string("korengchijap").substr(3 * language, 3); }
const char* const kCharacters[] = {"\xB0\xA1", "\xC3\xA9", "\xD6\xD0", "\x82\xA0"};  // one of each code

// Writes `bytes` to `name` in the current test's own directory (tests may run in parallel); returns the path.
std::string writeScratch(const std::string& name, const std::string& bytes) {
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  const auto dir = std::filesystem::path(ORVEN_TEST_SCRATCH_DIR) / test->test_suite_name() / test->name();
  std::filesystem::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
  return (dir / name).string();
}

// Collects the audio; runs `onChunk` with the chunk count inside the callback.
struct Pcm {
  std::vector<int32_t> chunks;  // byte count of each chunk
  std::vector<int16_t> samples;
  std::function<void(std::size_t)> onChunk;
  static int32_t ORVN_CDECL collect(void* self, ORVN_PcmChunk* chunk) {
    auto* pcm = static_cast<Pcm*>(self);
    pcm->chunks.push_back(chunk->byteCount);
    pcm->samples.insert(pcm->samples.end(), chunk->samples, chunk->samples + chunk->byteCount / 2);
    if (pcm->onChunk) pcm->onChunk(pcm->chunks.size());
    return 0;
  }
};

// Loads speakers 0, 1 (8000 Hz) and 9 of every language, closes the channels open() opened. Parameter: a language.
class EngineTest : public testing::TestWithParam<int32_t> {
 protected:
  syn::LanguageEngine& L() const { return engine(GetParam()); }
  void SetUp() override {
    SynTest_Reset();
    for (int32_t l = 0; l < 4; ++l) {
      for (int32_t s : {0, 1, 9}) ASSERT_EQ(engine(l).load(ORVEN_TEST_VOICES_DIR, 0, s), loadOk(l));
    }
  }
  void TearDown() override {
    for (auto [language, h] : opened_) engine(language).destroy(h);
  }
  ENGINE_HANDLE open(int32_t language, Pcm* pcm, int32_t speaker = 0) {
    ENGINE_HANDLE h = engine(language).create(pcm, &Pcm::collect, speaker);
    EXPECT_NE(h, nullptr);
    return opened_.emplace_back(language, h).second;
  }
  // Speaks `text` on a fresh channel of the language after `setup`; returns the audio.
  Pcm speak(const std::string& text, const std::function<void(ENGINE_HANDLE)>& setup = {}) {
    Pcm pcm;
    ENGINE_HANDLE h = open(GetParam(), &pcm);
    if (setup) setup(h);
    EXPECT_EQ(L().speak(h, text.c_str(), 0), 1);
    return pcm;
  }
  std::vector<std::pair<int32_t, ENGINE_HANDLE>> opened_;
};
class Engine : public EngineTest {};
class Threads : public EngineTest {};

// Each engine library defines exactly its language's names, SYNCORE its accessor and the test controls.
TEST(Exports, EachLibraryDefinesExactlyItsNames) {
  std::set<std::string> want[5];
  want[4] = {"SynCore_Engine",        "SynTest_Reset",       "SynTest_ForceResult",   "SynTest_ForceOutputs",
             "SynTest_ForceDbStatus", "SynTest_ClearForced", "SynTest_RefuseSpeaker", "SynTest_SetHook", "SynTest_LogCount",
             "SynTest_LogEntry",      "SynTest_ClearLog",    "SynTest_OpenChannels"};
#define SYN_OTHER_(r, o, eng, chi, jap, p, a) want[1].insert(#eng), want[2].insert(#chi), want[3].insert(#jap);
#define SYN_COMMON_(r, o, kor, eng, chi, jap, p, a) want[0].insert(#kor), SYN_OTHER_(, , eng, chi, jap, , )
#define SYN_KOREAN_(r, o, kor, p, a) want[0].insert(#kor);
  ORVN_ENGINE_COMMON_OPS(SYN_COMMON_)
  ORVN_ENGINE_KOREAN_OPS(SYN_KOREAN_)
  ORVN_ENGINE_OTHER_OPS(SYN_OTHER_)
  const char* libraries[] = {ORVEN_TEST_KORSYN, ORVEN_TEST_ENGSYN, ORVEN_TEST_CHISYN, ORVEN_TEST_JAPSYN,
                             ORVEN_TEST_SYNCORE};
  for (int i = 0; i < 5; ++i) {
    std::set<std::string> defined;
    std::FILE* nm = popen((std::string(ORVEN_TEST_NM) += " -D --defined-only ").append(libraries[i]).c_str(), "r");
    for (char line[512], name[512]; nm != nullptr && std::fgets(line, sizeof line, nm) != nullptr;) {
      if (std::sscanf(line, "%*s %*s %511[^@ \n]", name) == 1) defined.insert(name);
    }
    EXPECT_EQ(nm == nullptr ? -1 : pclose(nm), 0);
    EXPECT_EQ(defined, want[i]) << libraries[i];
  }
}

// Refused loads keep the voice; a channel keeps its voice through reload and unload until a speaker change to a loaded
// one; anything but a live channel of the language is refused with outputs untouched.
TEST_P(Engine, VoicesAndChannels) {
  const int32_t ok = loadOk(GetParam());
  const std::string c = code(GetParam()), first = "name = First\nbackend = tone\nrate = 8000\n";
  const std::string dir = std::filesystem::path(writeScratch(c + "-7.voice", first)).parent_path().string() + "/";
  writeScratch(c + "-5.voice", first + "#" + std::string(5000, 'x'));  // oversize
  std::filesystem::create_directory(dir + c + "-6.voice");             // unreadable
  writeScratch(c + "-10.voice", first);                                // out of range
  for (int32_t speaker : {-1, 2, 5, 6, 10}) EXPECT_EQ(L().load(dir.c_str(), 0, speaker), ok - 1) << speaker;
  ASSERT_EQ(L().load(dir.c_str(), 0, 7), ok);
  Pcm pcm;
  ENGINE_HANDLE h = L().create(&pcm, &Pcm::collect, 7);
  writeScratch(c + "-7.voice", "name = Second\nbackend = tone\nrate = 22050\n");
  ASSERT_EQ(L().load(dir.c_str(), 0, 7), ok);
  writeScratch(c + "-7.voice", "name = Third\n");
  EXPECT_EQ(L().load(dir.c_str(), 0, 7), ok - 1);
  ORVN_DbInfo db;
  EXPECT_EQ(L().dbInfo(7, &db), 1);
  EXPECT_EQ(std::tuple(db.dbStatus, std::string(db.dbText1), db.samplingRate), std::tuple(0, "Second", 22050));
  EXPECT_EQ(L().unload(7), 1);
  EXPECT_EQ(L().speak(h, "ab", 0), 1);  // two tones at First's 8000 Hz
  EXPECT_EQ(std::pair(L().changeSpeaker(h, 7), L().changeSpeaker(h, 9)), std::pair(0, 1));
  EXPECT_EQ(L().speak(h, "xyz", 0), 1);  // three at speaker 9's 16000 Hz
  const auto* head = static_cast<const ORVN_ChannelHead*>(h);
  // The head keeps the speaker the channel was opened on (the library counts it there).
  EXPECT_EQ(std::tuple(head->language, head->speaker, pcm.samples.size()),
            std::tuple(GetParam(), 7, 2u * 480 + 3 * 960));
  EXPECT_EQ(L().destroy(h), 1);
  int notAChannel[16] = {};
  int32_t o = 77;
  for (ENGINE_HANDLE bad : {h, ENGINE_HANDLE(notAChannel), open((GetParam() + 1) % 4, nullptr), ENGINE_HANDLE{}}) {
    for (int32_t r : {L().destroy(bad), L().speak(bad, "a", 0), L().stop(bad), L().setOutBufSize(bad, 2),
                      L().changeAttr(bad, "<volume=\"5\">"), L().changeSpeaker(bad, 0), L().setCharSet(bad, 1),
                      L().getSentDelimLF(bad), L().setPauseLength(bad, 1, 1), L().getPauseLength(bad, &o, &o),
                      L().loadDict(bad, "x", &o, &o), L().unloadDict(bad)})
      EXPECT_EQ(r, 0);
  }
  EXPECT_EQ(o + notAChannel[0], 77);
}

// Failures report 1 (cannot open), 2 (bad line) or 3 (too large) and the line, keeping the dictionary in use. The
// longest word wins, then the first; readings are not rescanned; a word or reading may be raw bytes of a character.
TEST_P(Engine, UserDictionaries) {
  const std::string c = kCharacters[GetParam()];
  Pcm pcm;
  ENGINE_HANDLE h = open(GetParam(), &pcm);
  int32_t first = -1, second = -1;
  const std::string dict = writeScratch("a", "#\r\n\r\nab\tzz\r\nabc\ty\r\nab\tN\nz\tN\n" + c + "\tab\nQ\t" + c[0]);
  EXPECT_EQ(L().loadDict(h, dict.c_str(), &first, &second), 1);
  EXPECT_EQ(std::pair(first, second), std::pair(6, 0));
  for (auto [path, error, line] : {std::tuple<std::string, int, int>{writeScratch("b", "ab\tx\n#\nde y\n"), 2, 3},
                                   {writeScratch("c", "a\tb\n" + std::string(65536, '#')), 3, 0},
                                   {"/none", 1, 0}}) {
    EXPECT_EQ(L().changeDict(h, path.c_str(), &first, &second), 0);
    EXPECT_EQ(std::pair(first, second), std::pair(error, line));
  }
  const auto heard = [&](const std::string& text) {
    pcm = Pcm{};
    EXPECT_EQ(L().speak(h, text.c_str(), 0), 1);
    return pcm.samples;
  };
  EXPECT_EQ(heard("abcab!"), speak("yzz!").samples);
  EXPECT_EQ(heard(c), speak("ab").samples);
  EXPECT_EQ(heard(std::string("Q") + c[1]), speak(c).samples);  // one character, not two
  EXPECT_EQ(L().unloadDict(h), 1);
  EXPECT_EQ(heard("abc"), speak("abc").samples);
}

// Same text, same bytes: 60 ms per character at (200 + 10 * (c & 0x7F)) Hz * pitch/100 (blanks silent), fading in and
// out, 8000 * volume/100 loud, 100/speed times as long; chunks have the buffer size (rounded down to even, below 2
// meaning 100 ms) but the last; byte swap 1 swaps.
TEST_P(Engine, DeterministicScaledChunkedAndSwapped) {
  const auto with = [&](const char* tag, const std::function<void(ENGINE_HANDLE)>& setup = {}) {
    return speak("Hello, world", [&](ENGINE_HANDLE h) { L().changeAttr(h, tag), setup ? setup(h) : void(); });
  };
  const auto peak = [](const Pcm& pcm) { return *std::max_element(pcm.samples.begin(), pcm.samples.end()); };
  const Pcm a = speak("Hello, world");
  const auto& s = a.samples;
  EXPECT_EQ(s.size(), 12 * 960u);
  EXPECT_TRUE(std::equal(s.begin() + 2 * 960, s.begin() + 3 * 960, s.begin() + 3 * 960));                    // "ll"
  EXPECT_TRUE(std::all_of(s.begin() + 952, s.begin() + 968, [](int16_t v) { return std::abs(v) <= 800; }));  // fades
  EXPECT_EQ(speak("Hello, world").samples, s);
  EXPECT_TRUE(speak("").chunks.empty());
  const auto crossings = [](const Pcm& pcm, int tone) {  // of the sign, in one 60 ms tone at 16000 Hz
    const auto* t = pcm.samples.data() + tone * 960;
    return std::inner_product(t, t + 959, t + 1, 0, std::plus<>(), [](int x, int y) { return (x < 0) != (y < 0); });
  };
  EXPECT_NEAR(crossings(a, 0), 2 * 920 * 0.06, 4);  // 'H'
  EXPECT_NEAR(crossings(with("<pitch=\"50\">"), 0), 920 * 0.06, 4);
  EXPECT_TRUE(std::all_of(s.begin() + 6 * 960, s.begin() + 7 * 960, [](int16_t v) { return v == 0; }));  // ' '
  const int32_t hertz[] = {200, 1250, 650, 860};  // one tone each, at U+AC00, U+00E9, U+4E2D, U+3042
  const Pcm one = speak(kCharacters[GetParam()]);
  ASSERT_EQ(one.samples.size(), 960u);
  EXPECT_NEAR(crossings(one, 0), 2 * hertz[GetParam()] * 0.06, 4);
  EXPECT_NEAR(peak(a), 8000, 150);
  EXPECT_NEAR(peak(with("<volume=\"200\">")), 2 * peak(a), 2);
  EXPECT_EQ(peak(with("<volume=\"0\">")), 0);
  EXPECT_EQ(with("<speed=\"50\">").samples.size(), s.size() * 2);
  for (auto c : {std::pair{1025, 1024}, {0, 3200}, {1, 3200}, {-4, 3200}, {2, 2}, {1 << 30, 23040}}) {
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

// Each name logs to its own language as Name(args): decimal integers, 0x-hex or null pointers, strings verbatim
// in quotes; entries are truncated to the buffer.
TEST_F(EngineTest, LogsAndForcedResults) {
  ENGINE_HANDLE h = open(0, nullptr);
  for (int32_t l = 0; l < 4; ++l) SynTest_ClearLog(l);
  int32_t out = 0;
  EXPECT_EQ(CreateTTSThread(&out, &Pcm::collect, 3, 0), nullptr);
  SetCharSet(h, -1);
  TextToSpeech(nullptr, nullptr, -5);
  LoadEngTTSEngineEx("d/", 4294967295u, 3);
  ChangeChiTTSAttr(nullptr, "<volume=\"5\"> ");
  JapTextToSpeech(nullptr, "d\\x", 0);
  const std::vector<std::string> expected[] = {{"CreateTTSThread(" + hex(&out) + ", " + hex(&Pcm::collect) + ", 3, 0)",
                                                "SetCharSet(" + hex(h) + ", -1)", "TextToSpeech(null, null, -5)"},
                                               {"LoadEngTTSEngineEx(\"d/\", 4294967295, 3)"},
                                               {"ChangeChiTTSAttr(null, \"<volume=\"5\"> \")"},
                                               {"JapTextToSpeech(null, \"d\\x\", 0)"}};
  for (int32_t l = 0; l < 4; ++l) EXPECT_EQ(logOf(l), expected[l]) << l;
  char buffer[8] = "xxxxxxx";
  EXPECT_EQ(SynTest_LogEntry(0, 2, buffer, 5), 28);
  EXPECT_EQ(std::string(buffer, 7), std::string("Text\0xx", 7));
  for (auto [l, i] : {std::pair{0, 3}, {0, -1}, {7, 0}}) EXPECT_EQ(SynTest_LogEntry(l, i, buffer, 8), -1);
  // A forced result replaces that one name's work (still logged) until cleared, writing forced outputs only then; a
  // create forced to 0 makes no channel; a forced db status -1 comes with bait; reset keeps voices and channels.
  ENGINE_HANDLE c = open(2, nullptr);
  SynTest_ForceResult("GetChiCharSet", 7);
  EXPECT_EQ(std::pair(GetChiCharSet(c), GetCharSet(nullptr)), std::pair(7, 0));
  EXPECT_EQ(logOf(2).back(), "GetChiCharSet(" + hex(c) + ")");
  SynTest_ClearForced("GetChiCharSet");
  EXPECT_EQ(GetChiCharSet(c), 0);
  SynTest_ForceResult("CreateTTSThread", 0);
  SynTest_ForceResult("CreateEngTTSThread", 5);
  EXPECT_EQ(CreateTTSThread(nullptr, &Pcm::collect, 0, 0), nullptr);
  EXPECT_EQ(SynTest_OpenChannels(0), 1);  // only the one opened above
  EXPECT_EQ(DeleteEngTTSThread(CreateEngTTSThread(nullptr, &Pcm::collect, 0)), 1);
  int32_t first = -1, second = -1;
  SynTest_ForceOutputs("GetEngSpeedDefault", 11, 22);
  EXPECT_EQ(GetEngSpeedDefault(nullptr, &second), 1);  // outputs alone change nothing: the real top, 200
  SynTest_ForceResult("GetEngSpeedDefault", 0);
  SynTest_ForceResult("GetEngPauseLength", 1);
  EXPECT_EQ(std::pair(GetEngSpeedDefault(&first, nullptr), GetEngPauseLength(nullptr, nullptr, &second)),
            std::pair(0, 1));
  EXPECT_EQ(std::pair(first, second), std::pair(11, 200));
  ORVN_DbInfo db;
  SynTest_ForceDbStatus(1, 0, -1);
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(std::tuple(db.dbStatus, std::string(db.dbText1), db.samplingRate), std::tuple(-1, "junk", 12345));
  SynTest_ForceDbStatus(1, 0, 3);
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(std::tuple(db.dbStatus, std::string(db.dbText1), db.samplingRate),
            std::tuple(3, "English Standard", 16000));
  SynTest_RefuseSpeaker(0, 9, 1);  // in that language only
  EXPECT_EQ(std::pair(LoadVELMEngineEx(ORVEN_TEST_VOICES_DIR, 0, 9), LoadEngTTSEngineEx(ORVEN_TEST_VOICES_DIR, 0, 9)),
            std::pair(-1, 1));
  SynTest_ForceResult("GetChiLipSync", 9);
  SynTest_Reset();
  EXPECT_EQ(std::tuple(SynTest_LogCount(1), GetChiLipSync(c), LoadVELMEngineEx(ORVEN_TEST_VOICES_DIR, 0, 9)),
            std::tuple(0, 0, 0));
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(std::pair(db.dbStatus, SynTest_OpenChannels(2)), std::pair(0, 1));
}

// Threads (label concurrency): the callback may call the engine, a stop from another thread ends the request at the
// next chunk and the next starts afresh; a channel destroyed meanwhile lives until the end.
TEST_P(Threads, CallbackReentersStopAndDestroy) {
  Pcm pcm;
  ENGINE_HANDLE h = L().create(&pcm, &Pcm::collect, 0);
  pcm.onChunk = [&](std::size_t n) {
    EXPECT_EQ(L().setCharSet(h, 2), 1);
    EXPECT_EQ(L().destroy(L().create(nullptr, &Pcm::collect, 1)), 1);
    if (n == 3) std::thread([&] { EXPECT_EQ(L().stop(h), 1); }).join();
  };
  EXPECT_EQ(L().speak(h, std::string(4000, 'x').c_str(), 0), 0);
  EXPECT_EQ(pcm.chunks.size(), 3u);
  pcm.onChunk = [&](std::size_t n) {
    if (n == 4) std::thread([&] { EXPECT_EQ(L().destroy(h), 1); }).join();
  };
  EXPECT_EQ(L().speak(h, "destroyed", 0), 1);
  EXPECT_EQ(pcm.samples.size(), 3u * 1600 + 9 * 960);  // 9 tones of 60 ms in six 100 ms chunks
  EXPECT_EQ(L().stop(h), 0);
}

// Many threads open, speak on and close channels while another reloads a voice.
TEST_P(Threads, SixteenThreadsOpenSpeakAndCloseChannels) {
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) {
        Pcm pcm;
        ENGINE_HANDLE h = L().create(&pcm, &Pcm::collect, t % 2 == 0 ? 0 : 9);
        failures += h == nullptr || L().setOutBufSize(h, 512) != 1 || L().speak(h, "abc", 0) != 1 ||
                    pcm.samples.size() != 3 * 960 || L().destroy(h) != 1;
        if (t == 0) L().load(ORVEN_TEST_VOICES_DIR, 0, 1);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(std::pair(failures.load(), SynTest_OpenChannels(GetParam())), std::pair(0, 0));
}

// The decoding tables are built on first use; threads using them first at once each get the whole table.
TEST(TextDecodingThreads, ConcurrentFirstUseAgrees) {
  const std::string texts[4] = {"\xB0\xA1\x81\x41", "\xC3\xA9", "\xD6\xD0\x80", "\x82\xA0\xB1"};
  const std::u32string expected[4] = {U"\uAC00\uAC02", U"\u00E9", U"\u4E2D\u20AC", U"\u3042\uFF71"};
  std::u32string results[8];
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) threads.emplace_back([&, t] { syn::decodeText(t % 4, texts[t % 4], results[t]); });
  for (auto& t : threads) t.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(results[t], expected[t % 4]) << t;
}

const auto languageName = [](const auto& info) { return code(info.param); };
INSTANTIATE_TEST_SUITE_P(Languages, Engine, testing::Values(0, 1, 2, 3), languageName);
INSTANTIATE_TEST_SUITE_P(Languages, Threads, testing::Values(0, 1, 2, 3), languageName);

}  // namespace
