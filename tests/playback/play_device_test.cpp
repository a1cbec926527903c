// The wave-out device layer on the scripted device: the ring rule, the pieces, every failure and its box, drain,
// reset and abort.
#include <algorithm>

#include "playback_test_support.h"

namespace orven_test {
namespace {

using namespace orven::playback;

class PlayDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeWaveOut::Get().Reset(false);
    SetDeviceServiceForTesting(&FakeWaveOut::kService, SleepLog::Sleep);
    ORVN_SetMessageBoxHandler(Recorder::OnBox, &boxes);
    SleepLog::Clear();
  }
  void TearDown() override {
    if (device != nullptr) {
      PlayDeviceAbort(device);
      PlayDeviceClose(device);
    }
    ORVN_SetMessageBoxHandler(nullptr, nullptr);
    SetDeviceServiceForTesting(nullptr, nullptr);
  }
  DeviceHandle Open(int32_t rate = 16000) {
    device = PlayDeviceOpen(rate);
    return device;
  }
  // Writes `count` bytes on a thread of its own, as the engine's thread would.
  std::thread Writer(int32_t count) {
    return std::thread([this, count] { PlayDeviceWrite(device, pcm.data(), count); });
  }
  FakeWaveOut& fake = FakeWaveOut::Get();
  Recorder boxes;
  DeviceHandle device = nullptr;
  std::vector<char> pcm = std::vector<char>(20 * kSlotBytes, 'p');
};

TEST(PlayDeviceTextTest, ErrorTextsAndSlotTimes) {
  const std::pair<uint32_t, const char*> texts[] = {
      {2, "The specified device ID is out of range."},
      {4, "The specified resource is already allocated."},
      {5, "The specified device handle is invalid."},
      {6, "No device driver is present."},
      {7, "Unable to allocate or lock memory."},
      {8, "Specified device is synchronous and does not support pausing."},
      {32, "The system attempted to open with an unsupported wave format"},
      {33, "There are still buffers in the queue."},
      {34, "The lpWaveInHdr buffer hasn't been prepared."},
      {1, "Error code is 1."},
      {3, "Error code is 3."},
      {35, "Error code is 35."},
  };
  for (const auto& [code, text] : texts) {
    char buffer[kErrorTextSize];
    PlayDeviceErrorText(code, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, text) << "code " << code;
  }
  FakeWaveOut::Get().Reset(false);
  SetDeviceServiceForTesting(&FakeWaveOut::kService, SleepLog::Sleep);
  for (auto [rate, slotTime] : {std::pair{8000, 1000}, {11025, 725}, {16000, 500}, {22050, 362}, {44100, 181}}) {
    DeviceHandle device = PlayDeviceOpen(rate);
    EXPECT_EQ(DeviceCountersForTesting().slotTime, slotTime) << "rate " << rate;
    EXPECT_EQ(PlayDeviceClose(device), 1);
  }
  SetDeviceServiceForTesting(nullptr, nullptr);
}

// 18 pieces are queued; the 19th waits, in sleeps of three slot times, until a buffer finishes.
TEST_F(PlayDeviceTest, TheNineteenthPieceWaitsForACompletion) {
  Open(16000);
  std::thread writer = Writer(19 * kSlotBytes);
  ASSERT_TRUE(Eventually([&] { return fake.Count("write") == 18 && !SleepLog::Taken().empty(); }));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(fake.Count("write"), 18);
  EXPECT_EQ(SleepLog::Taken().front(), 1500);
  fake.Finish(1);
  writer.join();
  EXPECT_EQ(fake.Count("write"), 19);
  EXPECT_EQ(DeviceCountersForTesting().writeIndex, 0) << "19 slots on from 1";
  EXPECT_EQ(fake.Calls().back(), "write 16000");
}

// A chunk is cut into slot-sized pieces; a zero count queues nothing and keeps a raised abort.
TEST_F(PlayDeviceTest, AChunkIsQueuedInSlotSizedPieces) {
  Open();
  PlayDeviceWrite(device, pcm.data(), 40000);
  const std::vector<std::string> pieces = {"prepare 16000", "write 16000", "prepare 16000",
                                           "write 16000",   "prepare 8000",  "write 8000"};
  EXPECT_EQ(fake.Calls(), [&] { auto c = pieces; c.insert(c.begin(), "open 16000"); return c; }());
  EXPECT_EQ(DeviceCountersForTesting().writeIndex, 4);
  EXPECT_EQ(fake.Played(), std::string(pcm.begin(), pcm.begin() + 40000));
  PlayDeviceAbort(device);
  PlayDeviceWrite(device, pcm.data(), 0);
  EXPECT_EQ(DeviceCountersForTesting().aborted, 1);
  EXPECT_EQ(fake.Count("write"), 3);
}

// Each failing call shows its caption with the text of its code and has its own consequence.
TEST_F(PlayDeviceTest, EveryFailureShowsItsBox) {
  struct Row {
    const char* call;
    uint32_t code;
    const char* box;  // caption|text, or "" for none
  };
  const Row rows[] = {
      {"open", 4, "Wave Out Device Open Error !|The specified resource is already allocated."},
      {"prepare", 7, "Device output preparing error !|Unable to allocate or lock memory."},
      {"write", 5, "Device output error !|The specified device handle is invalid."},
      {"write", 33, ""},
      {"pause", 8, "waveOutPause Error !|Specified device is synchronous and does not support pausing."},
      {"restart", 12, "waveOutRestart Error !|Error code is 12."},
      {"reset", 1, "Device Out Reset error !|Error code is 1."},
      {"close", 33, "Device Out Close Error !|There are still buffers in the queue."},
  };
  for (const Row& row : rows) {
    const std::string call = row.call;
    SCOPED_TRACE(call + " failing with " + std::to_string(row.code));
    SetUp();
    boxes.Clear();
    fake.Fail(call, row.code);
    DeviceHandle device = PlayDeviceOpen(16000);
    int32_t result = -1;
    if (call == "prepare" || call == "write") {
      PlayDeviceWrite(device, pcm.data(), 40000);
      // A failure drops the rest of the chunk and leaves the write index; code 33 counts as written.
      EXPECT_EQ(fake.Count("prepare"), row.code == 33 ? 3 : 1);
      EXPECT_EQ(DeviceCountersForTesting().writeIndex, row.code == 33 ? 4 : 1);
    }
    if (call == "pause") result = PlayDevicePause(device);
    if (call == "restart") result = PlayDeviceRestart(device);
    if (call == "reset") PlayDeviceAbort(device);
    if (call == "reset" || call == "close") result = PlayDeviceClose(device);
    EXPECT_EQ(device == nullptr, call == "open");
    if (result != -1) {
      EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(boxes.Seen(), row.box[0] ? std::vector<std::string>{row.box} : std::vector<std::string>{});
    fake.ClearFailures();
    if (call != "close" && call != "open") {
      PlayDeviceAbort(device);
      EXPECT_EQ(PlayDeviceClose(device), 1);
    }
  }
}

TEST_F(PlayDeviceTest, ANonPositiveRateIsRefusedAsABadFormat) {
  EXPECT_EQ(Open(0), nullptr);
  EXPECT_EQ(fake.Calls(), std::vector<std::string>{});
  EXPECT_EQ(boxes.Seen(), std::vector<std::string>{
                               "Wave Out Device Open Error !|The system attempted to open with an unsupported wave "
                               "format"});
}

// Without an abort the close waits until every queued slot has played, then unprepares and closes; after an abort
// it resets at once.
TEST_F(PlayDeviceTest, CloseDrainsOrResets) {
  for (bool abort : {false, true}) {
    SCOPED_TRACE(abort ? "aborted" : "draining");
    SetUp();
    Open();
    PlayDeviceWrite(device, pcm.data(), 3 * kSlotBytes);
    if (abort) PlayDeviceAbort(device);
    std::thread closer([&] { EXPECT_EQ(PlayDeviceClose(device), 1); });
    if (!abort) {
      ASSERT_TRUE(Eventually([] { return SleepLog::Taken().size() >= 2; }));
      EXPECT_EQ(SleepLog::Taken().back(), 500) << "polls once per slot time";
      EXPECT_EQ(fake.Count("close"), 0);
      fake.Finish(3);
    }
    closer.join();
    device = nullptr;
    const std::vector<std::string> calls = fake.Calls();
    const std::vector<std::string> tail(calls.begin() + 7, calls.end());
    const std::vector<std::string> unprepareAndClose = {"unprepare 16000", "unprepare 16000", "unprepare 16000",
                                                        "close"};
    EXPECT_EQ(tail, abort ? [&] { auto t = unprepareAndClose; t.insert(t.begin(), "reset"); return t; }()
                          : unprepareAndClose);
    EXPECT_EQ(boxes.Seen(), std::vector<std::string>{});
  }
}

// Paused, no slot finishes: a drain waits until a restart; an abort ends a waiting writer within one more sleep of
// three slot times, dropping the rest of its chunk, and the close then resets the paused device.
TEST_F(PlayDeviceTest, PauseHoldsTheDrainAndAbortFreesTheWriter) {
  Open();
  fake.Reset(true);
  PlayDeviceWrite(device, pcm.data(), 2 * kSlotBytes);
  ASSERT_TRUE(Eventually([] { return DeviceCountersForTesting().doneIndex == 2; }));
  EXPECT_EQ(PlayDevicePause(device), 1);
  PlayDeviceWrite(device, pcm.data(), kSlotBytes);
  std::thread drain([] { PlayDeviceDrain(); });
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(DeviceCountersForTesting().queued, 1) << "still draining";
  EXPECT_EQ(PlayDeviceRestart(device), 1);
  drain.join();
  EXPECT_EQ(DeviceCountersForTesting().queued, 0);

  PlayDevicePause(device);
  std::thread writer = Writer(20 * kSlotBytes);
  ASSERT_TRUE(Eventually([] { return !SleepLog::Taken().empty() && SleepLog::Taken().back() == 1500; }));
  const size_t sleepsBefore = SleepLog::Taken().size();
  const int writes = fake.Count("write");
  EXPECT_EQ(PlayDeviceAbort(device), 1);
  writer.join();
  const std::vector<int32_t> sleeps = SleepLog::Taken();
  EXPECT_LE(std::count(sleeps.begin() + static_cast<long>(sleepsBefore), sleeps.end(), 1500), 1);
  EXPECT_EQ(fake.Count("write"), writes);
  EXPECT_EQ(PlayDeviceClose(device), 1);
  EXPECT_EQ(fake.Count("reset"), 1);
  device = nullptr;
}

TEST_F(PlayDeviceTest, NoDeviceMeansNothingToDo) {
  PlayDeviceWrite(nullptr, pcm.data(), 100);
  EXPECT_EQ(PlayDeviceAbort(nullptr), 1);
  EXPECT_EQ(PlayDeviceClose(nullptr), 1);
  EXPECT_EQ(fake.Calls(), std::vector<std::string>{});
  EXPECT_EQ(SleepLog::Taken(), std::vector<int32_t>{});
}

}  // namespace
}  // namespace orven_test
