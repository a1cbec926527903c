// orven: the command line over ORVEN_M, built on the public header alone.
#include <cstdio>
#include <string_view>

#include "cli.h"
#include "verbs.h"

namespace {

constexpr const char* kHelp =
    "Usage: orven VERB [OPTIONS] [ARGUMENTS]\n"
    "Text to speech in Korean, English, Chinese and Japanese.\n"
    "\n"
    "Verbs:\n"
    "  say      speak a text into an audio file, to standard output, or aloud\n"
    "  batch    speak a prompt set, one job per line, on several channels at once\n"
    "  play     speak a text aloud on the sound device\n"
    "  mix      mix two audio files, or join one to the other\n"
    "  info     show the library, its engines and the voices\n"
    "  errors   list the library's error codes\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help ('orven VERB --help' for a verb's options)\n"
    "  --version    show the versions of the tool and the library\n"
    "\n"
    "Exit status: 0 success, 1 a synthesis or file failure, 2 a usage error.\n";

struct Verb {
  const char* name;
  int (*run)(int, char**);
};

constexpr Verb kVerbs[] = {
    {"say", orven::cli::RunSay}, {"batch", orven::cli::RunBatch}, {"play", orven::cli::RunPlay},
    {"mix", orven::cli::RunMix}, {"info", orven::cli::RunInfo},   {"errors", orven::cli::RunErrors},
};

int PrintVersion() {
  ORVN_Initialize();
  ORVN_EngineInfo info{};
  ORVN_GetEngineInfo(ORVN_ENGLISH, &info);
  ORVN_UnInitialize();
  std::printf("orven %s (library %.*s)\n", ORVEN_VERSION, static_cast<int>(sizeof info.libraryVersion),
              info.libraryVersion);
  return orven::cli::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view first = argc > 1 ? argv[1] : "";
  if (first == "-h" || first == "--help") {
    std::fputs(kHelp, stdout);
    return orven::cli::kExitOk;
  }
  if (first == "--version") return PrintVersion();
  for (const Verb& verb : kVerbs)
    if (first == verb.name) return verb.run(argc, argv);
  std::fputs(kHelp, stderr);
  if (!first.empty()) std::fprintf(stderr, "\norven: unknown verb '%s'\n", argv[1]);
  return orven::cli::kExitUsage;
}
