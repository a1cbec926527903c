// Initialisation, the last error, and what every export does before it.
#include <functional>
#include <set>

#include "api_test_support.h"

namespace orven_test {
namespace {

using LibraryStateTest = ApiTest;

struct GuardedCall {
  const char* name;
  std::function<int32_t()> call;  // the export's result, or a stand-in for void exports
};

// One call per export that checks initialisation, with arguments that would
// otherwise succeed.
std::vector<GuardedCall> CheckingExports(ORVN_CHANNEL channel) {
  static int32_t a, b;
  static ORVN_EngineInfo engineInfo;
  static ORVN_DbInfo dbInfo;
  return {
      {"LoadEngine", [] { return ORVN_LoadEngine(1, VoicesDir().c_str(), 0); }},
      {"LoadEngineEx", [] { return ORVN_LoadEngineEx(1, 0, VoicesDir().c_str(), 0); }},
      {"UnLoadEngine", [] { ORVN_UnLoadEngine(1); return 0; }},
      {"UnLoadEngineEx", [] { ORVN_UnLoadEngineEx(1, 0); return 0; }},
      {"CreateThread", [] { return ORVN_CreateThread(nullptr, NoopCallback, 1, 0) ? 1 : 0; }},
      {"DeleteThread", [channel] { ORVN_DeleteThread(channel); return 0; }},
      {"GetChannelInfo", [] { ORVN_GetChannelInfo(1, &a, &b); return 0; }},
      {"GetChannelInfoEx", [] { ORVN_GetChannelInfoEx(1, 0, &a, &b); return 0; }},
      {"GetEngineInfo", [] { ORVN_GetEngineInfo(1, &engineInfo); return 0; }},
      {"GetDBInfo", [] { ORVN_GetDBInfo(1, 0, &dbInfo); return 0; }},
      {"GetTextLimitLength", [] { return ORVN_GetTextLimitLength(1, 0); }},
  };
}

TEST_F(LibraryStateTest, EveryCheckingExportFailsBeforeInitialisationAndTouchesNothing) {
  LoadVoices(ORVN_ENGLISH);
  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, NoopCallback, ORVN_ENGLISH, 0);
  ASSERT_NE(channel, nullptr);
  ClearEngineLogs();
  ORVN_UnInitialize();

  for (const GuardedCall& c : CheckingExports(channel)) {
    SCOPED_TRACE(c.name);
    ORVN_Initialize();
    ORVN_UnInitialize();
    int32_t result = c.call();
    EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED);
    if (result != 0) {
      EXPECT_EQ(result, ORVN_ERR_NOT_INITIALIZED);
    }
    EXPECT_TRUE(EnginesUntouched());
  }

  // The table survived: the voice and its channel are still recorded.
  ORVN_Initialize();
  EXPECT_EQ(ChannelInfoEx(ORVN_ENGLISH, 0), (std::array<int32_t, 2>{1, 64}));
  ORVN_DeleteThread(channel);
}

TEST_F(LibraryStateTest, UnInitialiseTwiceReportsNotInitialisedTheSecondTime) {
  ORVN_UnInitialize();
  EXPECT_EQ(ORVN_GetError(), 0);
  ORVN_UnInitialize();
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED);
}

TEST_F(LibraryStateTest, InitialiseClearsTheLastErrorAndKeepsLoadedVoices) {
  LoadVoices(ORVN_KOREAN);
  ORVN_UnInitialize();
  ORVN_UnInitialize();
  ASSERT_EQ(ORVN_GetError(), ORVN_ERR_NOT_INITIALIZED);
  EXPECT_EQ(ORVN_Initialize(), 0);
  EXPECT_EQ(ORVN_GetError(), 0);
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN), (std::array<int32_t, 2>{0, 3 * 64}));
  // A second initialisation while initialised is harmless too.
  EXPECT_EQ(ORVN_Initialize(), 0);
  EXPECT_EQ(ChannelInfo(ORVN_KOREAN), (std::array<int32_t, 2>{0, 3 * 64}));
}

TEST_F(LibraryStateTest, GetErrorNeverChangesTheLastError) {
  ORVN_GetTextLimitLength(9, 0);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
  EXPECT_EQ(ORVN_GetError(), ORVN_ERR_LANGUAGE);
}

TEST_F(LibraryStateTest, ErrorTableMatchesTheEnumAndHasUniqueCodes) {
  struct Entry {
    int code;
    const char* name;
    const char* meaning;
  };
#define ORVN_T_ENTRY_(code, name, meaning) {name, #name, meaning},
  const Entry table[] = {ORVN_ERROR_TABLE(ORVN_T_ENTRY_)};
#undef ORVN_T_ENTRY_
  std::set<int> codes;
  for (const Entry& e : table) {
    EXPECT_TRUE(codes.insert(e.code).second) << e.name;
    EXPECT_GT(std::string(e.meaning).size(), 5u) << e.name;
  }
  EXPECT_EQ(codes.size(), 18u);
}

}  // namespace
}  // namespace orven_test
