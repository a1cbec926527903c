// export_names.cpp - prints, one per line, the names a library is meant to
// export: an engine library's come from the engine_abi.h tables, SYNCORE's
// are its accessor and the test-control functions.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine_abi.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: engine_export_names KORSYN|ENGSYN|CHISYN|JAPSYN|SYNCORE\n", stderr);
    return 2;
  }
  const char* library = argv[1];
  const int column = std::strcmp(library, "KORSYN") == 0   ? 0
                     : std::strcmp(library, "ENGSYN") == 0 ? 1
                     : std::strcmp(library, "CHISYN") == 0 ? 2
                     : std::strcmp(library, "JAPSYN") == 0 ? 3
                                                           : -1;
  if (column < 0) {
    if (std::strcmp(library, "SYNCORE") != 0) return 2;
    for (const char* name : {"SynCore_Engine", "SynTest_Reset", "SynTest_ForceResult", "SynTest_ForceOutputs",
                             "SynTest_ForceDbStatus", "SynTest_ClearForced", "SynTest_RefuseSpeaker",
                             "SynTest_LogCount", "SynTest_LogEntry", "SynTest_ClearLog", "SynTest_OpenChannels"}) {
      std::puts(name);
    }
    return 0;
  }
#define PRINT_COMMON_(ret, op, kor, eng, chi, jap, params, args) \
  {                                                              \
    const char* const names[] = {#kor, #eng, #chi, #jap};        \
    std::puts(names[column]);                                    \
  }
  ORVN_ENGINE_COMMON_OPS(PRINT_COMMON_)
  if (column == 0) {
#define PRINT_KOREAN_(ret, op, name, params, args) std::puts(#name);
    ORVN_ENGINE_KOREAN_OPS(PRINT_KOREAN_)
  } else {
#define PRINT_OTHER_(ret, op, eng, chi, jap, params, args) \
  {                                                       \
    const char* const names[] = {#eng, #chi, #jap};       \
    std::puts(names[column - 1]);                         \
  }
    ORVN_ENGINE_OTHER_OPS(PRINT_OTHER_)
  }
  return 0;
}
