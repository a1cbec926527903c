// The platform's wave-out devices: ALSA's own null and file devices (no sound card needed), the library's null device
// and the Windows wave-out device, opened through the library as an application would choose them.

#include "platform/wave_out.h"
#include "playback_test_support.h"

namespace orven_test {
namespace {

class AudioDeviceTest : public PlaybackTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    Start(nullptr);
  }
};

// What ALSA's file device writes is exactly what the engine synthesised.
TEST_F(AudioDeviceTest, AlsaFileDeviceReceivesTheSynthesisedAudio) {
  if (kWindows) GTEST_SKIP() << "ALSA's file device exists on Linux only";
  const ScratchDir dir;
  const std::string path = dir / "played.raw";
  ASSERT_EQ(ORVN_SetAudioDevice(("file:FILE=" + path + ",FORMAT=raw").c_str()), 0);
  const char* text = "sound through alsa";
  ASSERT_EQ(ORVN_PlayTTS(window, 1, text, nullptr, ORVN_ENGLISH, 1), 0);
  ASSERT_TRUE(messages.WaitFor(2));
  EXPECT_EQ(messages.Seen(), (Strings{"1:1", "1:4"}));
  const std::string expected = Synthesised(text, 1);
  const Bytes played = ReadFile(path);
  EXPECT_TRUE(played == Bytes(expected.begin(), expected.end())) << played.size() << " of " << expected.size();
  EXPECT_EQ(boxes.Seen(), Strings{});
}

// Every buffer written to ALSA's null device (on Linux) and to the library's own comes back finished, in order, also
// across a pause; the library's device takes real time to play them.
TEST_F(AudioDeviceTest, PlatformDevicesFinishEveryBufferInOrder) {
  std::vector<const char*> names = {"null"};
  if (!kWindows) names.push_back("plug:null");
  for (const char* name : names) {
    SCOPED_TRACE(name);
    ORVN_SetAudioDevice(name);
    Recorder done;  // the finished buffers' headers, as numbers
    const platform::WaveOutService& service = platform::SystemWaveOut();
    const platform::WaveFormat format = {1, 1, 16000, 32000, 2, 16, 0};
    auto notice = [](platform::WaveOutHandle, uint32_t message, uintptr_t instance, uintptr_t header, uintptr_t) {
      if (message == platform::kWaveOutDone) reinterpret_cast<Recorder*>(instance)->Add(std::to_string(header));
    };
    platform::WaveOutHandle device = nullptr;
    ASSERT_EQ(service.open(&device, platform::kWaveMapper, &format, notice, reinterpret_cast<uintptr_t>(&done),
                           platform::kCallbackFunction),
              0u);
    std::vector<char> pcm(3 * 1600, 1);  // three buffers of 50 ms
    platform::WaveHeader headers[3] = {};
    Strings order;
    EXPECT_EQ(service.pause(device), 0u);
    for (int i = 0; i < 3; ++i) {
      headers[i] = {pcm.data() + 1600 * i, 1600, 0, 0, 0, 0, nullptr, 0};
      order.push_back(std::to_string(reinterpret_cast<uintptr_t>(&headers[i])));
      ASSERT_EQ(service.prepare(device, &headers[i], sizeof headers[i]), 0u);
      ASSERT_EQ(service.write(device, &headers[i], sizeof headers[i]), 0u);
    }
    EXPECT_EQ(service.write(device, &headers[0], sizeof headers[0]), platform::kWaveStillPlaying);
    EXPECT_EQ(service.close(device), platform::kWaveStillPlaying);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(service.restart(device), 0u);
    ASSERT_TRUE(done.WaitFor(3));
    EXPECT_TRUE(std::string(name) != "null" || std::chrono::steady_clock::now() - start >= 100ms) << "played in time";
    EXPECT_EQ(done.Seen(), order);
    for (platform::WaveHeader& header : headers) {
      EXPECT_EQ(header.flags & platform::kHeaderDone, platform::kHeaderDone);
      EXPECT_EQ(service.unprepare(device, &header, sizeof header), 0u);
    }
    EXPECT_EQ(service.close(device), 0u);
    EXPECT_EQ(service.pause(device), platform::kMmInvalidHandle) << "closed";
  }
}

TEST_F(AudioDeviceTest, ANameTooLongIsRefused) {
  EXPECT_EQ(ORVN_SetAudioDevice(std::string(256, 'x').c_str()), ORVN_ERR_INVALID_ARG);
  EXPECT_EQ(ORVN_SetAudioDevice(std::string(255, 'x').c_str()), 0);
}

// The Windows wave-out device: without a sound card the open fails and its box names the wave-out error; with one the
// text plays to its end. Either way every call returns (a hang fails by the program's time limit).
TEST_F(AudioDeviceTest, TheWindowsDeviceEndsWithSoundOrAReportedError) {
  if (!kWindows) GTEST_SKIP() << "the Windows wave-out device; the ALSA devices are the other tests";
  ORVN_SetAudioDevice("default");
  const int32_t started = ORVN_PlayTTS(window, 0x401, "abc", nullptr, ORVN_ENGLISH, 9);  // an application's message
  if (started == 1) {
    ASSERT_TRUE(boxes.WaitFor(1));
    EXPECT_EQ(boxes.Seen()[0].rfind("Wave Out Device Open Error !|", 0), 0u) << boxes.Seen()[0];
    EXPECT_GT(boxes.Seen()[0].size(), std::strlen("Wave Out Device Open Error !|")) << "the box names the error";
    return;
  }
  ASSERT_EQ(started, 0);
  ASSERT_TRUE(messages.WaitFor(2));
  EXPECT_EQ(messages.Seen().front(), "1025:1");
  EXPECT_TRUE(messages.Seen().back() == "1025:4" || messages.Seen().back() == "1025:-1") << messages.Seen().back();
}

// An ALSA device that cannot be opened shows the open box and the playback does not start.
TEST_F(AudioDeviceTest, AnAlsaDeviceThatCannotBeOpenedShowsItsBox) {
  if (kWindows) GTEST_SKIP() << "Windows opens its system device whatever the name; device names are ALSA's";
  ASSERT_EQ(ORVN_SetAudioDevice("no_such_alsa_device"), 0);
  EXPECT_EQ(ORVN_PlayTTS(window, 1, "a", nullptr, ORVN_ENGLISH, 0), 1);
  EXPECT_EQ(boxes.Seen(), Strings{"Wave Out Device Open Error !|The specified device ID is out of range."});
}

}  // namespace
}  // namespace orven_test
