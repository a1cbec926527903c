// The request path from a caller's text to an engine's speak operation.
#pragma once

#include <cstdint>

#include "orven_api.h"

namespace orven {

// Sets a channel's engine output buffer size (0: the engine's ordinary
// buffering). Runs the channel check first; on failure it only leaves the
// code in the last error. On success the last error becomes 0.
void SetChannelOutBufSize(ORVN_CHANNEL channel, int32_t size);

}  // namespace orven
