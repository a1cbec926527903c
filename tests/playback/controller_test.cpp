// The playback controller through its exports, on the stand-in engines and the scripted device: refusals, the
// notifications and their order, what reaches the engine, and the audio that reaches the device.
#include "playback_test_support.h"

namespace orven_test {
namespace {

constexpr uint32_t kMessage = 7;
constexpr const char* kShortText = "tones";  // 0.3 s
const std::string kLongText(600, 'a');       // 36 s: more than the ring holds

Strings Notes(std::initializer_list<int> wParams) {
  Strings notes;
  for (int w : wParams) notes.push_back(std::to_string(kMessage) + ":" + std::to_string(w));
  return notes;
}

class ControllerTest : public PlaybackTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    fake.Reset(true);
    Start(&FakeWaveOut::kService);
  }
  void TearDown() override {
    fake.Automatic(true);  // a stop that drains must not wait for buffers no one finishes
    PlaybackTest::TearDown();
  }
  int32_t Play(const std::string& text, int32_t speaker = 0, const char* tag = nullptr) {
    return ORVN_PlayTTS(window, kMessage, text.c_str(), tag, ORVN_ENGLISH, speaker);
  }
  // The notifications once `count` are in (the last one final: 4 or -1).
  Strings Ended(size_t count = 2) {
    EXPECT_TRUE(messages.WaitFor(count));
    return messages.Seen();
  }
  FakeWaveOut& fake = FakeWaveOut::Get();
};

// A failed check sets the last error and returns its code; a bad speaker is -14. Stop, pause and restart with
// nothing playing return 1, also before initialisation. None of them opens the device or posts anything.
TEST_F(ControllerTest, RefusalsAndNothingToActOn) {
  const struct {
    const char* call;
    int32_t language, speaker;
    const char* text;
    int32_t code;
  } rows[] = {{"language 4", 4, 0, "a", -13},  {"speaker 11", 1, 11, "a", -14}, {"speaker -1", 1, -1, "a", -14},
              {"speaker 10", 1, 10, "a", -10}, {"not loaded", 2, 0, "a", -10},  {"null text", 1, 0, nullptr, -6},
              {"empty text", 1, 0, "", -6}};
  for (const auto& row : rows) {
    EXPECT_EQ(ORVN_PlayTTS(window, kMessage, row.text, nullptr, row.language, row.speaker), row.code)
        << "ORVN_PlayTTS, " << row.call;
    EXPECT_EQ(ORVN_GetError(), row.code) << "ORVN_PlayTTS, " << row.call;
  }
  ORVN_UnInitialize();
  EXPECT_EQ(Play(kShortText), -100);
  for (auto call : {ORVN_StopTTS, ORVN_PauseTTS, ORVN_RestartTTS}) EXPECT_EQ(call(), 1);
  ORVN_Initialize();
  for (auto call : {ORVN_StopTTS, ORVN_PauseTTS, ORVN_RestartTTS}) EXPECT_EQ(call(), 1);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(messages.Seen(), Strings{});
  EXPECT_EQ(fake.Calls(), Strings{});
}

// 1 and then 4; the device receives exactly what the engine synthesised, at the voice's rate and in chunks of one
// second of audio at 16000 Hz (32000 bytes), else 16000 bytes.
TEST_F(ControllerTest, APlaybackPlaysTheSynthesisedAudio) {
  for (auto [speaker, rate, chunk] : {std::tuple{0, 16000, 32000}, {1, 8000, 16000}}) {
    SCOPED_TRACE("speaker " + std::to_string(speaker));
    messages.Clear();
    fake.Reset(true);
    SynTest_ClearLog(ORVN_ENGLISH);
    const std::string text(40, 'b');  // 2.4 s
    ASSERT_EQ(Play(text, speaker), 0);
    EXPECT_EQ(Ended(), Notes({1, 4}));
    EXPECT_EQ(fake.Calls().front(), "open " + std::to_string(rate));
    EXPECT_EQ(fake.Calls().back(), "close");
    const Log sizes = CallsTo(ORVN_ENGLISH, "SetEngOutBufSize");
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_NE(sizes[0].find(", " + std::to_string(chunk) + ")"), std::string::npos) << sizes[0];
    EXPECT_TRUE(fake.Played() == Synthesised(text, speaker)) << fake.Played().size() << " bytes played";
    for (const std::string& call : fake.Calls())
      EXPECT_LE(call.rfind("write ", 0) == 0 ? std::stoi(call.substr(6)) : 0, 16000) << "pieces of one buffer";
  }
}

// A playback ends only once the device has played every buffer, and a pause holds that end until the restart.
TEST_F(ControllerTest, TheEndWaitsForEveryBufferAndForARestart) {
  fake.Automatic(false);
  ASSERT_EQ(Play(kShortText), 0);
  ASSERT_TRUE(Eventually([&] { return fake.Count("write") == 1; }));
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(messages.Seen(), Notes({1}));
  EXPECT_EQ(ORVN_PauseTTS(), 0);
  fake.Finish(1);  // not while paused
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(messages.Seen(), Notes({1, 2}));
  EXPECT_EQ(ORVN_RestartTTS(), 0);
  // The resume notice is posted by this thread after the device restarts, so the playback's end, posted by its own
  // thread, may overtake it.
  Strings seen = Ended(4);
  ASSERT_EQ(seen.size(), 4u);
  if (seen[2] == "7:4") std::swap(seen[2], seen[3]);
  EXPECT_EQ(seen, Notes({1, 2, 3, 4}));
  EXPECT_EQ(fake.Calls().back(), "close");
}

// Each failing device call shows its caption with the text of its code; the playback goes on or ends as it can.
TEST_F(ControllerTest, DeviceFailuresShowTheirBoxes) {
  const struct {
    const char* call;
    uint32_t code;
    const char* box;  // caption|text, or "" for none
  } rows[] = {
      {"open", 4, "Wave Out Device Open Error !|The specified resource is already allocated."},
      {"prepare", 7, "Device output preparing error !|Unable to allocate or lock memory."},
      {"write", 5, "Device output error !|The specified device handle is invalid."},
      {"write", 33, ""},  // still playing: taken as queued (then waited for)
      {"close", 33, "Device Out Close Error !|There are still buffers in the queue."},
      {"pause", 8, "waveOutPause Error !|Specified device is synchronous and does not support pausing."},
      {"restart", 12, "waveOutRestart Error !|Error code is 12."},
      {"reset", 1, "Device Out Reset error !|Error code is 1."},  // a stop while paused resets the device
  };
  for (const auto& row : rows) {
    const std::string call = row.call;
    SCOPED_TRACE("wave-out " + call + " failing with " + std::to_string(row.code));
    const bool lasting = call == "pause" || call == "restart" || call == "reset";
    fake.Reset(!lasting);
    fake.Fail(call, row.code);
    boxes.Clear();
    messages.Clear();
    EXPECT_EQ(Play(lasting ? kLongText : kShortText), call == "open" ? 1 : 0);
    if (lasting) ORVN_PauseTTS();
    if (call == "restart") ORVN_RestartTTS();
    const bool ends = call == "prepare" || call == "close" || (call == "write" && row.code != 33);
    EXPECT_TRUE(!ends || messages.WaitFor(2)) << "the playback ends";
    fake.Automatic(true);
    ORVN_StopTTS();
    EXPECT_EQ(boxes.Seen(), row.box[0] ? Strings{row.box} : Strings{});
  }
}

// The channel is set up in a fixed order: tag (only one that starts with "<"), registered dictionary, the option
// defaults of 1 but lip sync (a file's option), and the pause length; the dictionary is unloaded before the channel
// is deleted. A dictionary is registered without initialisation, up to 255 bytes of its path; null changes nothing.
TEST_F(ControllerTest, SetupCallsReachTheEngineInOrder) {
  const std::string dictionary = "/no/such/" + std::string(300, 'd');
  ORVN_UnInitialize();
  ORVN_RegisterUserDict(dictionary.c_str());
  ORVN_RegisterUserDict(nullptr);
  ORVN_Initialize();
  ORVN_SetByteSwap(nullptr, 1);
  ORVN_SetCharSet(nullptr, 5);
  ORVN_SetLipSync(nullptr, 1);
  ORVN_SetPauseLength(nullptr, 40, 90);
  for (const char* tag : {"<speed=\"120\">", "speed=120", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(tag != nullptr ? tag : "no tag");
    messages.Clear();
    SynTest_ClearLog(ORVN_ENGLISH);
    ASSERT_EQ(Play(kShortText, 0, tag), 0);
    Ended();
    EXPECT_EQ(EngineOps(ORVN_ENGLISH),
              std::string("GetEngDBInfo CreateEngTTSThread ") +
                  (tag != nullptr && tag[0] == '<' ? "ChangeEngTTSAttr " : "") +
                  "LoadEngUSRDict SetEngByteSwap SetEngPauseLength SetEngSentDelimLF SetEngOutBufSize "
                  "GetEngCharSet GetEngTextFormat EngTextToSpeech SetEngOutBufSize UnLoadEngUSRDict "
                  "DeleteEngTTSThread ");
  }
  EXPECT_NE(CallsTo(ORVN_ENGLISH, "LoadEngUSRDict").back().find('"' + dictionary.substr(0, 255) + '"'),
            std::string::npos);
}

// A request that fails before any audio (text limit, no channel) posts 1 then -1 and closes the device at once;
// a voice that reports no rate cannot open the device: its box, and 1.
TEST_F(ControllerTest, FailuresPostMinusOneOrReturnOne) {
  ORVN_UnLoadEngine(ORVN_ENGLISH);
  ORVN_SetVoiceCapacity(ORVN_ENGLISH, 0, 64, 3);
  LoadVoices(ORVN_ENGLISH);
  ASSERT_EQ(Play("four"), 0);
  EXPECT_EQ(Ended(), Notes({1, -1}));
  EXPECT_EQ(fake.Calls(), (Strings{"open 16000", "close"}));
  messages.Clear();
  SynTest_ForceResult("CreateEngTTSThread", 0);
  ASSERT_EQ(Play("abc"), 0);
  EXPECT_EQ(Ended(), Notes({1, -1}));
  SynTest_ClearForced("CreateEngTTSThread");
  messages.Clear();
  SynTest_ForceDbStatus(ORVN_ENGLISH, 0, -1);
  EXPECT_EQ(Play("abc"), 1);
  EXPECT_EQ(boxes.Seen(),
            Strings{"Wave Out Device Open Error !|The system attempted to open with an unsupported wave format"});
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(messages.Seen(), Strings{});
}

// Pause posts 2 and pauses the device, restart posts 3; a stop while paused resets the device instead of draining
// it and returns once the final notification is out.
TEST_F(ControllerTest, PauseRestartAndStop) {
  fake.Automatic(false);
  ASSERT_EQ(Play(kLongText), 0);
  EXPECT_EQ(ORVN_PauseTTS(), 0);
  EXPECT_EQ(ORVN_RestartTTS(), 0);
  EXPECT_EQ(ORVN_RestartTTS(), 1) << "not paused any more";
  EXPECT_EQ(ORVN_PauseTTS(), 0);
  ASSERT_TRUE(Eventually([&] { return fake.Count("write") == 18; })) << "the ring is full";
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(fake.Count("write"), 18) << "the next piece waits for a buffer to finish";
  EXPECT_EQ(ORVN_StopTTS(), 0);
  const Strings seen = Ended(5);
  EXPECT_EQ(Strings(seen.begin(), seen.begin() + 4), Notes({1, 2, 3, 2}));
  EXPECT_TRUE(seen[4] == "7:4" || seen[4] == "7:-1") << seen[4];
  EXPECT_EQ(std::pair(fake.Count("pause"), fake.Count("reset")), std::pair(2, 1));
  EXPECT_EQ(fake.Calls().back(), "close");
  EXPECT_EQ(ORVN_RestartTTS(), 1) << "the stop ended the pause";
  EXPECT_EQ(ORVN_StopTTS(), 1);
}

// A new playback stops the running one first: the old one's final notification comes before the new one's 1. A
// playback without a window posts nothing. Uninitialising stops a playback too, and its channel is released.
TEST_F(ControllerTest, ANewPlaybackOrUninitialisingStopsTheOldOne) {
  fake.Automatic(false);
  ASSERT_EQ(ORVN_PlayTTS(window, 100, kLongText.c_str(), nullptr, ORVN_ENGLISH, 0), 0);
  ASSERT_EQ(ORVN_PlayTTS(window, 200, kLongText.c_str(), nullptr, ORVN_ENGLISH, 0), 0);
  ASSERT_EQ(ORVN_PlayTTS(nullptr, 300, kLongText.c_str(), nullptr, ORVN_ENGLISH, 0), 0);
  ORVN_UnInitialize();
  EXPECT_EQ(ORVN_StopTTS(), 1) << "nothing plays any more";
  ASSERT_TRUE(messages.WaitFor(4));
  std::this_thread::sleep_for(20ms);
  const Strings seen = messages.Seen();
  ASSERT_EQ(seen.size(), 4u) << "the playback without a window posts nothing";
  EXPECT_EQ(seen[0], "100:1");
  EXPECT_TRUE(seen[1] == "100:4" || seen[1] == "100:-1") << seen[1];
  EXPECT_EQ(seen[2], "200:1");
  EXPECT_TRUE(seen[3] == "200:4" || seen[3] == "200:-1") << seen[3];
  ORVN_Initialize();
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH, 0), Counts({0, 64}));
}

}  // namespace
}  // namespace orven_test
