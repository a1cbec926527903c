// orven: the command line over ORVEN_M, built on the public header alone.
//
//   orven voices DIR   load every language's voices from DIR and describe them
//   orven errors       list the library's error codes
#include <cstdio>
#include <cstring>
#include <string>

#include "orven_api.h"

namespace {

const char* const kLanguageNames[ORVN_LANGUAGE_COUNT] = {"Korean", "English", "Chinese", "Japanese"};

const char* ErrorName(int32_t code) {
#define ORVN_NAME_CASE_(value, name, meaning) \
  if (code == (value)) return #name;
  ORVN_ERROR_TABLE(ORVN_NAME_CASE_)
#undef ORVN_NAME_CASE_
  return "unknown";
}

int ListErrors() {
#define ORVN_PRINT_ROW_(value, name, meaning) std::printf("%5d  %-26s %s\n", value, #name, meaning);
  ORVN_ERROR_TABLE(ORVN_PRINT_ROW_)
#undef ORVN_PRINT_ROW_
  return 0;
}

int32_t SilentCallback(void*, ORVN_PcmChunk*) { return 0; }

// Loads each language, prints what its engine and voices report, and opens
// and closes one channel per loaded speaker to show that they take requests.
int DescribeVoices(const char* directory) {
  ORVN_Initialize();
  int loadedLanguages = 0;
  for (int32_t language = 0; language < ORVN_LANGUAGE_COUNT; ++language) {
    ORVN_EngineInfo engine;
    ORVN_GetEngineInfo(language, &engine);
    std::printf("%s: %s %s (%s)\n", kLanguageNames[language], engine.engineText2, engine.engineText3,
                engine.libraryVersion);
    if (ORVN_LoadEngine(language, directory, 0) != 0) {
      std::printf("  no voice could be loaded from %s\n", directory);
      continue;
    }
    ++loadedLanguages;
    for (int32_t speaker = 0; speaker < ORVN_SPEAKER_COUNT; ++speaker) {
      ORVN_DbInfo db;
      ORVN_GetDBInfo(language, speaker, &db);
      if (db.dbStatus == -1) continue;
      int32_t open = 0, limit = 0;
      ORVN_GetChannelInfoEx(language, speaker, &open, &limit);
      ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, SilentCallback, language, speaker);
      const char* check = channel ? "channel ok" : ErrorName(ORVN_GetError());
      if (channel) ORVN_DeleteThread(channel);
      std::printf("  speaker %2d  %-19s %-8s %6d Hz  channels %d  text limit %d  %s\n", speaker, db.dbText1,
                  db.dbText2, db.samplingRate, limit, ORVN_GetTextLimitLength(language, speaker), check);
    }
    int32_t inUse = 0, capacity = 0;
    ORVN_GetChannelInfo(language, &inUse, &capacity);
    std::printf("  channel capacity %d, in use %d\n", capacity, inUse);
    ORVN_UnLoadEngine(language);
  }
  ORVN_UnInitialize();
  return loadedLanguages == ORVN_LANGUAGE_COUNT ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: orven voices DIR   describe the voices in DIR\n"
               "       orven errors       list the error codes\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "voices") == 0) return DescribeVoices(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "errors") == 0) return ListErrors();
  return Usage();
}
