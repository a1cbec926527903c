// The wave-out device layer on the scripted device: the ring rule, the pieces, every failure and its box, drain,
// reset and abort.

#include "playback_test_support.h"

namespace orven_test {
namespace {

using namespace orven::playback;

class PlayDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Reset(false);
    SetDeviceServiceForTesting(&FakeWaveOut::kService, SleepLog::Sleep);
    ORVN_SetMessageBoxHandler(Recorder::OnBox, &boxes);
    SleepLog::Clear();
    boxes.Clear();
  }
  void TearDown() override {
    PlayDeviceAbort(device);
    PlayDeviceClose(device);
    ORVN_SetMessageBoxHandler(nullptr, nullptr);
    SetDeviceServiceForTesting(nullptr, nullptr);
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

// A chunk is cut into slot-sized pieces; 18 pieces are queued, the 19th waits, in sleeps of three slot times, until a
// buffer finishes; a zero count queues nothing.
TEST_F(PlayDeviceTest, ChunksAreQueuedInSlotsAndTheNineteenthWaits) {
  device = PlayDeviceOpen(16000);
  PlayDeviceWrite(device, pcm.data(), 40000);
  EXPECT_EQ(fake.Calls(), (Strings{"open 16000", "prepare 16000", "write 16000", "prepare 16000", "write 16000",
                                   "prepare 8000", "write 8000"}));
  EXPECT_EQ(fake.Played(), std::string(pcm.begin(), pcm.begin() + 40000));
  PlayDeviceWrite(device, pcm.data(), 0);
  std::thread writer = Writer(16 * kSlotBytes);
  ASSERT_TRUE(Eventually([&] { return fake.Count("write") == 18 && !SleepLog::Taken().empty(); }));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(fake.Count("write"), 18);
  EXPECT_EQ(SleepLog::Taken().front(), 1500);
  fake.Finish(1);
  writer.join();
  EXPECT_EQ(fake.Count("write"), 19);
}

// Each failing call shows its caption with the text of its code; a failed piece drops the rest of its chunk, except
// code 33 (still playing), which counts as written.
TEST_F(PlayDeviceTest, EveryFailureShowsItsBox) {
  const struct {
    const char* call;
    uint32_t code;
    const char* box;  // caption|text, or "" for none
  } rows[] = {
      {"open", 4, "Wave Out Device Open Error !|The specified resource is already allocated."},
      {"prepare", 7, "Device output preparing error !|Unable to allocate or lock memory."},
      {"write", 5, "Device output error !|The specified device handle is invalid."},
      {"write", 33, ""},
      {"pause", 8, "waveOutPause Error !|Specified device is synchronous and does not support pausing."},
      {"restart", 12, "waveOutRestart Error !|Error code is 12."},
      {"reset", 1, "Device Out Reset error !|Error code is 1."},
      {"close", 33, "Device Out Close Error !|There are still buffers in the queue."},
  };
  for (const auto& row : rows) {
    const std::string call = row.call;
    SCOPED_TRACE("wave-out " + call + " failing with " + std::to_string(row.code));
    SetUp();
    fake.Fail(call, row.code);
    device = PlayDeviceOpen(16000);
    EXPECT_EQ(device == nullptr, call == "open");
    const bool writes = call == "prepare" || call == "write";
    int32_t result = 0;  // of the export that fails, where it has one
    if (writes) PlayDeviceWrite(device, pcm.data(), 40000);
    if (call == "pause") result = PlayDevicePause(device);
    if (call == "restart") result = PlayDeviceRestart(device);
    if (call == "reset") PlayDeviceAbort(device);
    if (call == "reset" || call == "close") result = PlayDeviceClose(device);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(fake.Count("prepare"), writes ? (row.code == 33 ? 3 : 1) : 0);
    EXPECT_EQ(boxes.Seen(), row.box[0] ? Strings{row.box} : Strings{});
    fake.Reset(false);
    if (call != "close") PlayDeviceAbort(device), PlayDeviceClose(device);
    device = nullptr;
  }
}

// Without an abort the close waits until every queued slot has played, polling once per slot time, then unprepares
// and closes; after an abort it resets at once.
TEST_F(PlayDeviceTest, CloseDrainsOrResets) {
  for (bool abort : {false, true}) {
    SCOPED_TRACE(abort ? "aborted" : "draining");
    SetUp();
    device = PlayDeviceOpen(16000);
    PlayDeviceWrite(device, pcm.data(), 3 * kSlotBytes);
    if (abort) PlayDeviceAbort(device);
    std::thread closer([&] { EXPECT_EQ(PlayDeviceClose(device), 1); });
    if (!abort) {
      ASSERT_TRUE(Eventually([] { return SleepLog::Taken().size() >= 2; }));
      EXPECT_EQ(SleepLog::Taken().back(), 500);
      EXPECT_EQ(fake.Count("close"), 0);
      fake.Finish(3);
    }
    closer.join();
    device = nullptr;
    const Strings calls = fake.Calls(), unprepare(3, "unprepare 16000");
    Strings tail = abort ? Strings{"reset"} : Strings{};
    tail.insert(tail.end(), unprepare.begin(), unprepare.end());
    tail.push_back("close");
    EXPECT_EQ(Strings(calls.begin() + 7, calls.end()), tail);
    EXPECT_EQ(boxes.Seen(), Strings{});
  }
}

// Paused, no slot finishes: a drain waits until a restart; an abort ends a waiting writer within one more sleep of
// three slot times, dropping the rest of its chunk, and the close then resets the paused device.
TEST_F(PlayDeviceTest, PauseHoldsTheDrainAndAbortFreesTheWriter) {
  device = PlayDeviceOpen(16000);
  fake.Automatic(true);
  EXPECT_EQ(PlayDevicePause(device), 1);
  PlayDeviceWrite(device, pcm.data(), kSlotBytes);
  std::atomic<bool> drained{false};
  std::thread drain([&] { PlayDeviceDrain(), drained = true; });
  std::this_thread::sleep_for(30ms);
  EXPECT_FALSE(drained);
  EXPECT_EQ(PlayDeviceRestart(device), 1);
  drain.join();

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
  EXPECT_EQ(fake.Calls(), Strings{});
  EXPECT_EQ(SleepLog::Taken(), std::vector<int32_t>{});
}

}  // namespace
}  // namespace orven_test
