// The stand-in engines: voices, channels, user dictionaries and the tone voice.

#include "engine_test_support.h"

namespace orven_test {
namespace {

class Engine : public EngineTest {
 protected:
  // Speaks `text` on a fresh channel of the language after `setup`; returns the audio.
  Pcm speak(const std::string& text, const std::function<void(ENGINE_HANDLE)>& setup = {}) {
    Pcm pcm;
    ENGINE_HANDLE h = Open(GetParam(), &pcm);
    if (setup) setup(h);
    EXPECT_EQ(L().speak(h, text.c_str(), 0), 1);
    return pcm;
  }
};

// Refused loads keep the voice; a channel keeps its voice through reload and unload until a speaker change to a loaded
// one.
TEST_P(Engine, VoicesAndChannels) {
  const int32_t ok = LoadOk(GetParam());
  const std::string c = Code(GetParam()), first = "name = First\nbackend = tone\nrate = 8000\n";
  const std::string db = (dir.Path() / "").string();
  Scratch(c + "-7.voice", first);
  Scratch(c + "-5.voice", first + "#" + std::string(5000, 'x'));  // oversize
  std::filesystem::create_directory(dir / (c + "-6.voice"));      // unreadable
  Scratch(c + "-10.voice", first);                                // out of range
  for (int32_t speaker : {-1, 2, 5, 6, 10})
    EXPECT_EQ(L().load(db.c_str(), 0, speaker), ok - 1) << "speaker " << speaker;
  ASSERT_EQ(L().load(db.c_str(), 0, 7), ok);
  Pcm pcm;
  ENGINE_HANDLE h = L().create(&pcm, &Pcm::Collect, 7);
  Scratch(c + "-7.voice", "name = Second\nbackend = tone\nrate = 22050\n");
  ASSERT_EQ(L().load(db.c_str(), 0, 7), ok);
  Scratch(c + "-7.voice", "name = Third\n");
  EXPECT_EQ(L().load(db.c_str(), 0, 7), ok - 1);
  ORVN_DbInfo info;
  EXPECT_EQ(L().dbInfo(7, &info), 1);
  EXPECT_EQ(std::tuple(info.dbStatus, std::string(info.dbText1), info.samplingRate), std::tuple(0, "Second", 22050));
  EXPECT_EQ(L().unload(7), 1);
  EXPECT_EQ(L().speak(h, "ab", 0), 1);  // two tones at First's 8000 Hz
  EXPECT_EQ(std::pair(L().changeSpeaker(h, 7), L().changeSpeaker(h, 9)), std::pair(0, 1));
  EXPECT_EQ(L().speak(h, "xyz", 0), 1);  // three at speaker 9's 16000 Hz
  const auto* head = static_cast<const ORVN_ChannelHead*>(h);
  // The head keeps the speaker the channel was opened on (the library counts it there).
  EXPECT_EQ(std::tuple(head->language, head->speaker, pcm.samples.size()),
            std::tuple(GetParam(), 7, 2u * 480 + 3 * 960));
  EXPECT_EQ(L().destroy(h), 1);
  EXPECT_EQ(L().speak(h, "a", 0), 0) << "a destroyed channel";
}

// Failures report 1 (cannot open), 2 (bad line) or 3 (too large) and the line, keeping the dictionary in use. The
// longest word wins, then the first; readings are not rescanned; a word or reading may be raw bytes of a character.
TEST_P(Engine, UserDictionaries) {
  const std::string c = kCharacters[GetParam()];
  Pcm pcm;
  ENGINE_HANDLE h = Open(GetParam(), &pcm);
  int32_t first = -1, second = -1;
  const std::string dict = Scratch("a", "#\r\n\r\nab\tzz\r\nabc\ty\r\nab\tN\nz\tN\n" + c + "\tab\nQ\t" + c[0]);
  EXPECT_EQ(L().loadDict(h, dict.c_str(), &first, &second), 1);
  EXPECT_EQ(std::pair(first, second), std::pair(6, 0));
  for (auto [path, error, line] : {std::tuple<std::string, int, int>{Scratch("b", "ab\tx\n#\nde y\n"), 2, 3},
                                   {Scratch("c", "a\tb\n" + std::string(65536, '#')), 3, 0},
                                   {dir / "none", 1, 0}}) {
    EXPECT_EQ(L().changeDict(h, path.c_str(), &first, &second), 0) << path;
    EXPECT_EQ(std::pair(first, second), std::pair(error, line)) << path;
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

// Same text, same bytes: 60 ms per character of the engine's code (blanks silent), 8000 * volume/100 loud, 100/speed
// times as long; chunks have the buffer size (rounded down to even, below 2 meaning 100 ms) but the last; byte swap 1
// swaps.
TEST_P(Engine, DeterministicScaledChunkedAndSwapped) {
  const auto with = [&](const char* tag, const std::function<void(ENGINE_HANDLE)>& setup = {}) {
    return speak("Hello, world", [&](ENGINE_HANDLE h) { L().changeAttr(h, tag), setup ? setup(h) : void(); });
  };
  const auto peak = [](const Pcm& pcm) { return *std::max_element(pcm.samples.begin(), pcm.samples.end()); };
  const Pcm a = speak("Hello, world");
  const auto& s = a.samples;
  EXPECT_EQ(s.size(), 12 * 960u);
  EXPECT_EQ(speak("Hello, world").samples, s);
  EXPECT_TRUE(speak("").chunks.empty());
  EXPECT_TRUE(std::all_of(s.begin() + 6 * 960, s.begin() + 7 * 960, [](int16_t v) { return v == 0; }));  // ' '
  EXPECT_EQ(speak(kCharacters[GetParam()]).samples.size(), 960u) << "one character";
  EXPECT_NEAR(peak(a), 8000, 150);
  EXPECT_NEAR(peak(with("<volume=\"200\">")), 2 * peak(a), 2);
  EXPECT_EQ(peak(with("<volume=\"0\">")), 0);
  EXPECT_EQ(with("<speed=\"50\">").samples.size(), s.size() * 2);
  for (auto c : {std::pair{1025, 1024}, {0, 3200}, {1, 3200}, {-4, 3200}, {2, 2}, {1 << 30, 23040}}) {
    const Pcm pcm = with("", [&](ENGINE_HANDLE h) { L().setOutBufSize(h, c.first); });
    EXPECT_EQ(pcm.samples, s) << "setOutBufSize " << c.first;
    EXPECT_EQ(std::count(pcm.chunks.begin(), pcm.chunks.end() - 1, c.second), pcm.chunks.size() - 1)
        << "setOutBufSize " << c.first;
    EXPECT_TRUE(pcm.chunks.back() > 0 && pcm.chunks.back() <= c.second) << "setOutBufSize " << c.first;
  }
  std::vector<int16_t> swapped = s;
  for (int16_t& v : swapped) v = static_cast<int16_t>(static_cast<uint16_t>(v) << 8 | static_cast<uint16_t>(v) >> 8);
  EXPECT_EQ(with("", [&](ENGINE_HANDLE h) { L().setByteSwap(h, 1); }).samples, swapped);
  EXPECT_EQ(with("", [&](ENGINE_HANDLE h) { L().setByteSwap(h, 2); }).samples, s);
}

INSTANTIATE_TEST_SUITE_P(Languages, Engine, testing::Values(0, 1, 2, 3), kLanguageName);

}  // namespace
}  // namespace orven_test
