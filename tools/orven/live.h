// live.h - speaking aloud through the library's live playback.
#pragma once

#include <string>
#include <string_view>

#include "cli.h"

namespace orven::cli {

struct LiveRequest {
  Voice voice{};
  std::string text;
  std::string attributes;  // empty: none
  std::string dictionary;  // empty: none
  std::string device;      // empty: the system default
};

// Plays the text on the sound device and returns the exit status once it has
// been heard to the end. The voice must be loaded. Ctrl-C stops the playback
// and ends the process as interrupted.
int SpeakLive(std::string_view verb, const LiveRequest& request);

}  // namespace orven::cli
