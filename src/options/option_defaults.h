// The library-wide option defaults: the values stored when an option setter
// is given a null channel handle, applied to channels the library creates.
#pragma once

#include <atomic>
#include <cstdint>

namespace orven {

struct OptionDefaults {
  std::atomic<int8_t> charSet{0};
  std::atomic<int8_t> textFormat{0};
  std::atomic<int8_t> highlight{0};
  std::atomic<int8_t> lipSync{0};
  std::atomic<int8_t> byteSwap{0};
  std::atomic<int32_t> readGwalho{0};
  std::atomic<int32_t> sentDelimLF{1};
  std::atomic<int32_t> pauseFirst{0};
  std::atomic<int32_t> pauseSecond{0};
};

extern OptionDefaults g_optionDefaults;

// Back to the values every initialisation starts from.
void ResetOptionDefaults();

}  // namespace orven

namespace orven {

// Which of the library's own channels the defaults go to: text-to-file
// channels also take lip sync, playback channels do not; neither takes the
// highlight default.
enum class DefaultsFor { TextToFile, Playback };

// Applies the defaults to a channel the library has just created, through
// the option setters, in a fixed order: byte swap, character set, text
// format, lip sync (text-to-file only), pause length (always), read-gwalho,
// sentence delimiter. A default other than 1 is not passed on, so the
// channel keeps its engine's own setting.
void ApplyOptionDefaults(void* channel, DefaultsFor target);

}  // namespace orven
