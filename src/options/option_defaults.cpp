#include "options/option_defaults.h"

#include "orven_api.h"

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



void ApplyOptionDefaults(void* channel, DefaultsFor target) {
  constexpr auto relaxed = std::memory_order_relaxed;
  const OptionDefaults& d = g_optionDefaults;
  if (d.byteSwap.load(relaxed) == 1) ORVN_SetByteSwap(channel, 1);
  if (d.charSet.load(relaxed) == 1) ORVN_SetCharSet(channel, 1);
  if (d.textFormat.load(relaxed) == 1) ORVN_SetTextFormat(channel, 1);
  if (target == DefaultsFor::TextToFile && d.lipSync.load(relaxed) == 1) ORVN_SetLipSync(channel, 1);
  ORVN_SetPauseLength(channel, d.pauseFirst.load(relaxed), d.pauseSecond.load(relaxed));
  if (d.readGwalho.load(relaxed) == 1) ORVN_SetReadGwalho(channel, 1);
  if (d.sentDelimLF.load(relaxed) == 1) ORVN_SetSentDelimLF(channel, 1);
}

}  // namespace orven
