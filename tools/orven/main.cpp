// orven: the command line over ORVEN_M, built on the public header alone.
//
//   orven voices DIR          load every language's voices from DIR and describe them
//   orven speak DIR OUTDIR    speak one sentence per language into OUTDIR/<language>.wav
//   orven errors              list the library's error codes
#include <cstdio>
#include <cstring>
#include <filesystem>
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

// One sentence per language, in UTF-8.
const char* const kSentences[ORVN_LANGUAGE_COUNT] = {
    "\xec\x95\x88\xeb\x85\x95\xed\x95\x98\xec\x84\xb8\xec\x9a\x94. "
    "\xeb\xa7\x8c\xeb\x82\x98\xec\x84\x9c \xeb\xb0\x98\xea\xb0\x91\xec\x8a\xb5\xeb\x8b\x88\xeb\x8b\xa4.",
    "Hello. This sentence was written to a file.",
    "\xe4\xbd\xa0\xe5\xa5\xbd\xef\xbc\x8c\xe6\xac\xa2\xe8\xbf\x8e\xe3\x80\x82",
    "\xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf\xe3\x80\x81"
    "\xe3\x82\x88\xe3\x81\x86\xe3\x81\x93\xe3\x81\x9d\xe3\x80\x82",
};
const char* const kFileNames[ORVN_LANGUAGE_COUNT] = {"korean.wav", "english.wav", "chinese.wav", "japanese.wav"};

// Writes each language's sentence with its speaker 0 as a 16-bit WAV at the
// voice's own rate.
int SpeakSentences(const char* directory, const char* outDirectory) {
  std::error_code error;
  std::filesystem::create_directories(outDirectory, error);
  if (error) {
    std::fprintf(stderr, "orven: cannot create %s: %s\n", outDirectory, error.message().c_str());
    return 1;
  }
  ORVN_Initialize();
  ORVN_SetCharSet(nullptr, 1);  // the sentences are UTF-8
  int failures = 0;
  for (int32_t language = 0; language < ORVN_LANGUAGE_COUNT; ++language) {
    const std::string path = (std::filesystem::path(outDirectory) / kFileNames[language]).string();
    ORVN_DbInfo db;
    if (ORVN_LoadEngineEx(language, 0, directory, 0) != 0) {
      std::printf("%-8s  no speaker 0 in %s\n", kLanguageNames[language], directory);
      ++failures;
      continue;
    }
    ORVN_GetDBInfo(language, 0, &db);
    const int32_t result = ORVN_TextToFile(language, 0, 0, 0, db.samplingRate, kSentences[language], path.c_str(),
                                           nullptr, nullptr);
    if (result != 0) {
      std::printf("%-8s  failed: %d %s\n", kLanguageNames[language], result, ErrorName(result));
      ++failures;
    } else {
      const auto bytes = std::filesystem::file_size(path, error);
      const double seconds = error ? 0.0 : static_cast<double>(bytes - 44) / (2.0 * db.samplingRate);
      std::printf("%-8s  %s  %llu bytes, %.2f s at %d Hz\n", kLanguageNames[language], path.c_str(),
                  static_cast<unsigned long long>(error ? 0 : bytes), seconds, db.samplingRate);
    }
    ORVN_UnLoadEngineEx(language, 0);
  }
  ORVN_UnInitialize();
  return failures == 0 ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: orven voices DIR          describe the voices in DIR\n"
               "       orven speak DIR OUTDIR    one sentence per language into OUTDIR/<language>.wav\n"
               "       orven errors              list the error codes\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "voices") == 0) return DescribeVoices(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "speak") == 0) return SpeakSentences(argv[2], argv[3]);
  if (argc == 2 && std::strcmp(argv[1], "errors") == 0) return ListErrors();
  return Usage();
}
