// Library state: initialise, uninitialise, read the last error.
#include "core/library.h"
#include "core/option_defaults.h"

using namespace orven;

ORVN_API(int32_t) ORVN_Initialize(void) noexcept {
  SetLastError(ORVN_OK);
  // The library lock is static and outlives every initialisation, so there
  // is nothing to create here; the engine table is deliberately left alone.
  ResetOptionDefaults();
  g_library.initialised.store(1, std::memory_order_relaxed);
  return 0;
}

ORVN_API(void) ORVN_UnInitialize(void) noexcept {
  if (!IsInitialised()) {
    Fail(ORVN_ERR_NOT_INITIALIZED);
    return;
  }
  g_library.initialised.store(0, std::memory_order_relaxed);
}

ORVN_API(int32_t) ORVN_GetError(void) noexcept { return LastError(); }
