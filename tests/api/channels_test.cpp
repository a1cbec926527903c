// Channel creation and deletion: limits, counters, engine arguments.
#include "api_test_support.h"

namespace orven_test {
namespace {

using ChannelsTest = ApiTest;

TEST_F(ChannelsTest, EachEngineReceivesTheCallersUserDataAndCallback) {
  LoadAllVoices();
  int userData = 0;
  for (int32_t language : kLanguages) {
    SCOPED_TRACE(language);
    ORVN_CHANNEL channel = ORVN_CreateThread(&userData, NoopCallback, language, 9);
    ASSERT_NE(channel, nullptr);
    std::string expected = EngineName("create", language) + "(" + Ptr(&userData) + ", " +
                           Ptr(reinterpret_cast<const void*>(&NoopCallback)) + ", 9";
    // Only the Korean engine takes a fourth argument, always 0.
    expected += language == ORVN_KOREAN ? ", 0)" : ")";
    EXPECT_EQ(EngineLog(language), std::vector<std::string>{expected});
    EXPECT_EQ(reinterpret_cast<ORVN_ChannelHead*>(channel)->language, language);

    SynTest_ClearLog(language);
    ORVN_DeleteThread(channel);
    EXPECT_EQ(EngineLog(language),
              std::vector<std::string>{EngineName("destroy", language) + "(" + Ptr(channel) + ")"});
  }
}

TEST_F(ChannelsTest, TheChannelLimitHoldsAndAFreedChannelCanBeTakenAgain) {
  ORVN_SetVoiceCapacity(ORVN_CHINESE, 0, 2, 0);
  LoadVoices(ORVN_CHINESE);
  ORVN_CHANNEL first = ORVN_CreateThread(nullptr, NoopCallback, ORVN_CHINESE, 0);
  ORVN_CHANNEL second = ORVN_CreateThread(nullptr, NoopCallback, ORVN_CHINESE, 0);
  ASSERT_TRUE(first && second);
  SynTest_ClearLog(ORVN_CHINESE);

  EXPECT_EQ(ORVN_CreateThread(nullptr, NoopCallback, ORVN_CHINESE, 0), nullptr);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_CHANNEL_LIMIT);
  EXPECT_TRUE(EnginesUntouched());
  EXPECT_EQ(ChannelInfoEx(ORVN_CHINESE, 0), (std::array<int32_t, 2>{2, 2}));
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), (std::array<int32_t, 2>{2, 2 + 64 + 64}));

  // Another speaker of the language is not affected by this one's limit.
  ORVN_CHANNEL other = ORVN_CreateThread(nullptr, NoopCallback, ORVN_CHINESE, 1);
  ASSERT_NE(other, nullptr);

  ORVN_DeleteThread(first);
  ORVN_CHANNEL third = ORVN_CreateThread(nullptr, NoopCallback, ORVN_CHINESE, 0);
  EXPECT_NE(third, nullptr);
  for (ORVN_CHANNEL channel : {second, third, other}) ORVN_DeleteThread(channel);
  EXPECT_EQ(ChannelInfo(ORVN_CHINESE), (std::array<int32_t, 2>{0, 2 + 64 + 64}));
  EXPECT_EQ(SynTest_OpenChannels(ORVN_CHINESE), 0);
}

TEST_F(ChannelsTest, AnEngineRefusalChangesNoCounterAndReleasesTheLock) {
  LoadAllVoices();
  SynTest_ForceResult(EngineName("create", ORVN_JAPANESE).c_str(), 0);
  EXPECT_EQ(ORVN_CreateThread(nullptr, NoopCallback, ORVN_JAPANESE, 0), nullptr);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_CHANNEL_CREATE);
  EXPECT_EQ(ChannelInfoEx(ORVN_JAPANESE, 0), (std::array<int32_t, 2>{0, 64}));
  EXPECT_EQ(ChannelInfo(ORVN_JAPANESE), (std::array<int32_t, 2>{0, 3 * 64}));

  // The lock was released: creation on any voice proceeds, and a success
  // leaves the earlier failure in the last error.
  ORVN_CreateThread(nullptr, NoopCallback, ORVN_JAPANESE, 0);
  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, ORVN_KOREAN, 0);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_CHANNEL_CREATE);
  ORVN_DeleteThread(channel);
  EXPECT_EQ(ORVN_GetError(), 0);
}

TEST_F(ChannelsTest, DeletionAfterTheVoiceWasReloadedNeverDrivesCountersBelowZero) {
  LoadVoices(ORVN_ENGLISH);
  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, ORVN_ENGLISH, 0);
  ASSERT_NE(channel, nullptr);
  ORVN_UnLoadEngine(ORVN_ENGLISH);
  LoadVoices(ORVN_ENGLISH);
  ORVN_DeleteThread(channel);
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_EQ(ChannelInfo(ORVN_ENGLISH), (std::array<int32_t, 2>{0, 3 * 64}));
  EXPECT_EQ(ChannelInfoEx(ORVN_ENGLISH, 0), (std::array<int32_t, 2>{0, 64}));
}

TEST_F(ChannelsTest, InformationExportsRefuseNullOutputsAndWriteNothing) {
  LoadVoices(ORVN_KOREAN);
  int32_t value = -5;
  const std::pair<const char*, std::function<void()>> calls[] = {
      {"info first", [&] { ORVN_GetChannelInfo(ORVN_KOREAN, nullptr, &value); }},
      {"info second", [&] { ORVN_GetChannelInfo(ORVN_KOREAN, &value, nullptr); }},
      {"infoEx first", [&] { ORVN_GetChannelInfoEx(ORVN_KOREAN, 0, nullptr, &value); }},
      {"infoEx second", [&] { ORVN_GetChannelInfoEx(ORVN_KOREAN, 0, &value, nullptr); }},
  };
  for (const auto& [what, call] : calls) {
    SCOPED_TRACE(what);
    ORVN_Initialize();
    call();
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_INVALID_ARG);
    EXPECT_EQ(value, -5);
  }
}

TEST_F(ChannelsTest, InformationExportsClearTheLastErrorOnSuccess) {
  LoadVoices(ORVN_KOREAN);
  ORVN_GetTextLimitLength(7, 0);
  ChannelInfo(ORVN_KOREAN);
  EXPECT_EQ(ORVN_GetError(), 0);
  ORVN_GetTextLimitLength(7, 0);
  ChannelInfoEx(ORVN_KOREAN, 1);
  EXPECT_EQ(ORVN_GetError(), 0);
}

}  // namespace
}  // namespace orven_test
