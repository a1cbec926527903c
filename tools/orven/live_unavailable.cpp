#include "live.h"

namespace orven::cli {

int SpeakLive(std::string_view verb, const LiveRequest&) {
  Report(verb, "live playback is not available in this build (write a file with -w or use --stdout)");
  return kExitUsage;
}

}  // namespace orven::cli
