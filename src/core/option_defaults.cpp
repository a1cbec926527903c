#include "core/option_defaults.h"

namespace orven {

void ResetOptionDefaults() {
  constexpr auto relaxed = std::memory_order_relaxed;
  g_optionDefaults.charSet.store(0, relaxed);
  g_optionDefaults.textFormat.store(0, relaxed);
  g_optionDefaults.highlight.store(0, relaxed);
  g_optionDefaults.lipSync.store(0, relaxed);
  g_optionDefaults.byteSwap.store(0, relaxed);
  g_optionDefaults.sentencePause.store(0, relaxed);
  g_optionDefaults.phrasePause.store(0, relaxed);
  g_optionDefaults.readGwalho.store(0, relaxed);
  g_optionDefaults.sentDelimLF.store(1, relaxed);
}

}  // namespace orven
