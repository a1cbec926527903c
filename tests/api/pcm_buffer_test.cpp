// PCM buffer mode: the size range, the output buffer size set around the
// request whatever it returns, and the chunks the callback receives.
#include <functional>

#include "api_test_support.h"

namespace orven_test {
namespace {

using BufferedRequest = int32_t (*)(ORVN_CHANNEL, const char*, int32_t, int32_t);

struct Collected {
  std::vector<int32_t> chunkBytes;
};

int32_t Collect(void* user, ORVN_PcmChunk* chunk) {
  static_cast<Collected*>(user)->chunkBytes.push_back(chunk->byteCount);
  return 0;
}

class PcmBufferTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    LoadAllVoices();
    for (int32_t language : kLanguages) {
      channels_[language] = ORVN_CreateThread(&collected_[language], Collect, language, 0);
      ASSERT_NE(channels_[language], nullptr);
    }
    ClearEngineLogs();
  }
  void TearDown() override {
    for (ORVN_CHANNEL channel : channels_) ORVN_DeleteThread(channel);
    ApiTest::TearDown();
  }
  std::string SizeCall(int32_t language, int32_t size) {
    return EngineName("setOutBufSize", language) + "(" + Ptr(channels_[language]) + ", " + std::to_string(size) + ")";
  }
  ORVN_CHANNEL channels_[4] = {};
  Collected collected_[4];
};

const std::pair<const char*, BufferedRequest> kEntries[] = {
    {"TextToPcmBuf", ORVN_TextToPcmBuf}, {"NameToPcmBuf", ORVN_NameToPcmBuf}, {"SMSToPcmBuf", ORVN_SMSToPcmBuf}};

TEST_F(PcmBufferTest, ChecksComeInOrderBeforeTheEngineIsTouched) {
  FakeChannel fake{2, 11};
  for (const auto& entry : kEntries) {
    SCOPED_TRACE(entry.first);
    const BufferedRequest request = entry.second;
    const std::pair<std::function<int32_t()>, int32_t> cases[] = {
        {[&] { return request(nullptr, "x", 1, 1); }, ORVN_ERR_NULL_HANDLE},
        {[&] { return request(&fake, nullptr, 1, 1); }, ORVN_ERR_SPEAKER},
        {[&] { return request(channels_[0], nullptr, 1, 1); }, ORVN_ERR_INVALID_ARG},
        {[&] { return request(channels_[0], "", 1, 99999); }, ORVN_ERR_INVALID_ARG},
        {[&] { return request(channels_[0], "x", 1, 1023); }, ORVN_ERR_RANGE},
        {[&] { return request(channels_[0], "x", 1, 64001); }, ORVN_ERR_RANGE},
        {[&] { return request(channels_[ORVN_ENGLISH], "x", 1, 0); }, ORVN_ERR_RANGE},
    };
    for (const auto& [call, expected] : cases) {
      EXPECT_EQ(call(), expected);
      EXPECT_EQ(ORVN_GetError(), expected);
    }
  }
  // The Korean-only test comes after the size test.
  EXPECT_EQ(ORVN_NameToPcmBuf(channels_[ORVN_ENGLISH], "x", 1, 2048), ORVN_ERR_KOREAN_ONLY);
  EXPECT_EQ(ORVN_SMSToPcmBuf(channels_[ORVN_CHINESE], "x", 1, 2048), ORVN_ERR_KOREAN_ONLY);
  EXPECT_TRUE(EnginesUntouched());
}

TEST_F(PcmBufferTest, TheSizeIsSetForTheRequestAndResetAfterIt) {
  for (int32_t language : kLanguages) {
    for (int32_t size : {1024, 64000}) {
      SCOPED_TRACE(std::to_string(language) + " " + std::to_string(size));
      SynTest_ClearLog(language);
      ORVN_GetTextLimitLength(9, 0);
      EXPECT_EQ(ORVN_TextToPcmBuf(channels_[language], "abc", 1, size), 1);
      EXPECT_EQ(ORVN_GetError(), 0);
      const std::vector<std::string> log = EngineLog(language);
      ASSERT_EQ(log.size(), 5u);
      EXPECT_EQ(log.front(), SizeCall(language, size));
      EXPECT_EQ(log[3].rfind(EngineName("speak", language) + "(", 0), 0u) << log[3];
      EXPECT_EQ(log.back(), SizeCall(language, 0));
    }
  }
}

TEST_F(PcmBufferTest, AFailingRequestStillResetsTheSizeAndClearsTheLastError) {
  ORVN_CHANNEL channel = channels_[ORVN_KOREAN];
  ORVN_SetCharSet(channel, 1);
  SynTest_ClearLog(ORVN_KOREAN);
  EXPECT_EQ(ORVN_TextToPcmBuf(channel, "\xC3", 1, 4000), ORVN_ERR_CONVERSION);
  EXPECT_EQ(ORVN_GetError(), 0);
  ORVN_SetTextFormat(channel, 1);
  EXPECT_EQ(ORVN_NameToPcmBuf(channel, "<oops", 1, 4000), 0);
  EXPECT_EQ(ORVN_GetError(), 0);
  SynTest_ForceResult("SMSToSpeech", -77);
  EXPECT_EQ(ORVN_SMSToPcmBuf(channel, "sms", 0, 4000), -77);
  const std::vector<std::string> sizes = [&] {
    std::vector<std::string> calls;
    for (const std::string& entry : EngineLog(ORVN_KOREAN))
      if (entry.rfind("SetOutBufSize(", 0) == 0) calls.push_back(entry);
    return calls;
  }();
  EXPECT_EQ(sizes, (std::vector<std::string>{SizeCall(0, 4000), SizeCall(0, 0), SizeCall(0, 4000), SizeCall(0, 0),
                                             SizeCall(0, 4000), SizeCall(0, 0)}));
}

TEST_F(PcmBufferTest, TheCallbackReceivesChunksOfTheChosenSize) {
  const std::string text(200, 'a');  // several seconds of tones
  for (int32_t size : {1024, 32000}) {
    collected_[ORVN_ENGLISH].chunkBytes.clear();
    ASSERT_EQ(ORVN_TextToPcmBuf(channels_[ORVN_ENGLISH], text.c_str(), 1, size), 1);
    const std::vector<int32_t>& chunks = collected_[ORVN_ENGLISH].chunkBytes;
    ASSERT_GT(chunks.size(), 1u);
    for (size_t i = 0; i + 1 < chunks.size(); ++i) EXPECT_EQ(chunks[i], size) << i;
    EXPECT_GT(chunks.back(), 0);
    EXPECT_LE(chunks.back(), size);
  }
  // Afterwards the engine's ordinary chunks come back.
  collected_[ORVN_ENGLISH].chunkBytes.clear();
  ASSERT_EQ(ORVN_TextToSpeech(channels_[ORVN_ENGLISH], text.c_str(), 1), 1);
  EXPECT_NE(collected_[ORVN_ENGLISH].chunkBytes.front(), 32000);
}

}  // namespace
}  // namespace orven_test
