#include "options/option_defaults.h"

namespace orven {

OptionDefaults g_optionDefaults;

void ResetOptionDefaults() {
  constexpr auto relaxed = std::memory_order_relaxed;
  g_optionDefaults.charSet.store(0, relaxed);
  g_optionDefaults.textFormat.store(0, relaxed);
  g_optionDefaults.highlight.store(0, relaxed);
  g_optionDefaults.lipSync.store(0, relaxed);
  g_optionDefaults.byteSwap.store(0, relaxed);
  g_optionDefaults.pauseFirst.store(0, relaxed);
  g_optionDefaults.pauseSecond.store(0, relaxed);
  g_optionDefaults.readGwalho.store(0, relaxed);
  g_optionDefaults.sentDelimLF.store(1, relaxed);
}

}  // namespace orven
