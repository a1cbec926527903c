// The library-wide option defaults: the values stored when an option setter
// is given a null channel handle, applied to the channels the library opens
// itself (file synthesis, live playback).
#pragma once

#include <atomic>
#include <cstdint>

namespace orven {

// Plain words read and written without a lock; relaxed atomics give them
// exactly that meaning.
struct OptionDefaults {
  std::atomic<int8_t> charSet{0};
  std::atomic<int8_t> textFormat{0};
  std::atomic<int8_t> highlight{0};
  std::atomic<int8_t> lipSync{0};
  std::atomic<int8_t> byteSwap{0};
  std::atomic<int32_t> readGwalho{0};
  std::atomic<int32_t> sentDelimLF{1};
  std::atomic<int32_t> sentencePause{0};
  std::atomic<int32_t> phrasePause{0};
};

extern OptionDefaults g_optionDefaults;

// Back to the values every initialisation starts from.
void ResetOptionDefaults();

}  // namespace orven
