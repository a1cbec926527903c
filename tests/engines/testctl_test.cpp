// The test-control interface: the call log, forced results and outputs,
// forced database status, refused speakers and reset.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine_test_support.h"

namespace syntest {
namespace {

class TestControl : public EngineTest {};

int32_t ORVN_CDECL ignore(void*, ORVN_PcmChunk*) { return 0; }

TEST_F(TestControl, LogsEachCallWithItsArguments) {
  ENGINE_HANDLE h = open(api(0), nullptr);
  ENGINE_HANDLE c = open(api(2), nullptr);
  for (int32_t l = 0; l < 4; ++l) SynTest_ClearLog(l);
  int user = 0;
  int32_t out = 0;
  const std::string dir = voicesDir();
  ENGINE_HANDLE k = CreateTTSThread(&user, &ignore, 3, 0);
  SetCharSet(h, -1);
  TextToSpeech(nullptr, nullptr, -5);
  GetPitchDefault(4, &out, nullptr);
  UnLoadKorUserEffDB();
  LoadEngTTSEngineEx(dir.c_str(), 4294967295u, 3);
  ChangeChiTTSAttr(c, "<volume=\"5\"> ");
  LoadJapUSRDict(nullptr, "d\\x.dic", nullptr, &out);
  EXPECT_EQ(k, nullptr);
  const std::string hp = hexPointer(h), cp = hexPointer(c), op = hexPointer(&out);
  const std::vector<std::vector<std::string>> expected = {
      {"CreateTTSThread(" + hexPointer(&user) + ", " + hexPointer(reinterpret_cast<void*>(&ignore)) + ", 3, 0)",
       "SetCharSet(" + hp + ", -1)", "TextToSpeech(null, null, -5)", "GetPitchDefault(4, " + op + ", null)",
       "UnLoadKorUserEffDB()"},
      {"LoadEngTTSEngineEx(\"" + dir + "\", 4294967295, 3)"},
      {"ChangeChiTTSAttr(" + cp + ", \"<volume=\"5\"> \")"},
      {"LoadJapUSRDict(null, \"d\\x.dic\", null, " + op + ")"}};
  for (int32_t l = 0; l < 4; ++l) EXPECT_EQ(logOf(l), expected[static_cast<std::size_t>(l)]) << l;
}

TEST_F(TestControl, LogEntriesAreTruncatedAndBounded) {
  SynTest_ClearLog(1);
  const int32_t korean = SynTest_LogCount(0);
  GetEngEffectTagRead();
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(SynTest_LogEntry(1, 0, buffer, 5), 21);  // "GetEngEffectTagRead()"
  EXPECT_STREQ(buffer, "GetE");
  EXPECT_EQ(buffer[5], 'x');
  EXPECT_EQ(SynTest_LogEntry(1, 1, buffer, 8), -1);
  EXPECT_EQ(SynTest_LogEntry(1, -1, buffer, 8), -1);
  EXPECT_EQ(SynTest_LogEntry(7, 0, buffer, 8), -1);
  EXPECT_EQ(SynTest_LogCount(-1), 0);
  for (int i = 0; i < 100010; ++i) GetEngEffectTagRead();
  EXPECT_EQ(SynTest_LogCount(1), 100000);
  EXPECT_EQ(SynTest_LogCount(0), korean);
}

TEST_F(TestControl, ForcedResultsReplaceTheWork) {
  ENGINE_HANDLE h = open(api(2), nullptr);
  SynTest_ForceResult("GetChiCharSet", 7);
  EXPECT_EQ(GetChiCharSet(nullptr), 7);
  EXPECT_EQ(GetChiCharSet(h), 7);
  EXPECT_EQ(GetCharSet(nullptr), 0);  // other languages unaffected
  SynTest_ClearForced("GetChiCharSet");
  EXPECT_EQ(GetChiCharSet(h), 0);

  const int32_t openKorean = SynTest_OpenChannels(0);
  SynTest_ForceResult("CreateTTSThread", 0);
  EXPECT_EQ(CreateTTSThread(nullptr, &ignore, 0, 0), nullptr);
  EXPECT_EQ(SynTest_OpenChannels(0), openKorean);
  SynTest_ForceResult("CreateEngTTSThread", 5);  // non-zero: create works
  ENGINE_HANDLE e = CreateEngTTSThread(nullptr, &ignore, 0);
  EXPECT_NE(e, nullptr);
  EXPECT_EQ(DeleteEngTTSThread(e), 1);

  SynTest_ForceResult("LoadJapTTSEngineEx", 1);
  EXPECT_EQ(LoadJapTTSEngineEx("/nonexistent/", 0, 4), 1);
  EXPECT_EQ(CreateJapTTSThread(nullptr, &ignore, 4), nullptr);  // nothing was loaded

  unsigned char info[ORVN_ENGINE_INFO_BYTES], db[ORVN_ENGINE_DBINFO_BYTES];
  std::memset(info, 0x5A, sizeof info);
  std::memset(db, 0x5A, sizeof db);
  SynTest_ForceResult("GetEngEngineInfo", 0);
  SynTest_ForceResult("GetDBInfo", -9);
  EXPECT_EQ(GetEngEngineInfo(info), 0);
  EXPECT_EQ(GetDBInfo(0, db), -9);
  EXPECT_TRUE(std::all_of(info, info + sizeof info, [](unsigned char b) { return b == 0x5A; }));
  EXPECT_TRUE(std::all_of(db, db + sizeof db, [](unsigned char b) { return b == 0x5A; }));

  SynTest_ForceResult("NoSuchFunction", 3);  // ignored
  EXPECT_EQ(logOf(2).back(), "GetChiCharSet(" + hexPointer(h) + ")");  // forced calls are logged too
}

TEST_F(TestControl, ForcedOutputsComeWithAForcedResult) {
  int32_t first = -1, second = -1;
  SynTest_ForceOutputs("GetEngSpeedDefault", 11, 22);  // alone: no effect
  EXPECT_EQ(GetEngSpeedDefault(&first, &second), 1);
  EXPECT_EQ(first, 100);
  SynTest_ForceResult("GetEngSpeedDefault", 0);
  EXPECT_EQ(GetEngSpeedDefault(&first, &second), 0);
  EXPECT_EQ(first, 11);
  EXPECT_EQ(second, 22);
  EXPECT_EQ(GetEngSpeedDefault(nullptr, nullptr), 0);

  SynTest_ForceResult("LoadUSRDict", 0);
  SynTest_ForceOutputs("LoadUSRDict", 2, 14);
  EXPECT_EQ(LoadUSRDict(nullptr, nullptr, &first, &second), 0);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 14);

  SynTest_ForceResult("GetJapPauseLength", 1);  // forced without outputs writes nothing
  first = second = -1;
  EXPECT_EQ(GetJapPauseLength(nullptr, &first, &second), 1);
  EXPECT_EQ(first, -1);
}

TEST_F(TestControl, ForcedDbStatusAndRefusedSpeakers) {
  ORVN_DbInfo db;
  std::memset(&db, 0x5A, sizeof db);
  SynTest_ForceDbStatus(1, 0, -1);
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(db.dbStatus, -1);
  EXPECT_STREQ(db.dbText1, "junk");
  EXPECT_EQ(db.samplingRate, 12345);
  EXPECT_EQ(static_cast<unsigned char>(db.dbText2[0]), 0x5A);
  SynTest_ForceDbStatus(1, 0, 3);
  EXPECT_EQ(GetEngDBInfo(0, &db), 1);
  EXPECT_EQ(db.dbStatus, 3);
  EXPECT_STREQ(db.dbText1, "English Standard");

  SynTest_RefuseSpeaker(0, 9, 1);
  EXPECT_EQ(LoadVELMEngineEx(voicesDir().c_str(), 0, 9), -1);
  EXPECT_EQ(LoadVELMEngineEx(voicesDir().c_str(), 0, 0), 0);
  EXPECT_EQ(LoadEngTTSEngineEx(voicesDir().c_str(), 0, 9), 1);
  SynTest_RefuseSpeaker(0, 9, 0);
  EXPECT_EQ(LoadVELMEngineEx(voicesDir().c_str(), 0, 9), 0);
}

TEST_F(TestControl, ResetForgetsControlsButKeepsVoicesAndChannels) {
  ENGINE_HANDLE h = open(api(3), nullptr);
  SynTest_ForceResult("GetJapLipSync", 9);
  SynTest_ForceDbStatus(3, 0, -1);
  SynTest_RefuseSpeaker(3, 1, 1);
  const int32_t channels = SynTest_OpenChannels(3);
  SynTest_Reset();
  for (int32_t l = 0; l < 4; ++l) EXPECT_EQ(SynTest_LogCount(l), 0);
  EXPECT_EQ(GetJapLipSync(h), 0);
  ORVN_DbInfo db;
  EXPECT_EQ(GetJapDBInfo(0, &db), 1);
  EXPECT_EQ(db.dbStatus, 0);
  EXPECT_EQ(LoadJapTTSEngineEx(voicesDir().c_str(), 0, 1), 1);
  EXPECT_EQ(SynTest_OpenChannels(3), channels);
}

}  // namespace
}  // namespace syntest
