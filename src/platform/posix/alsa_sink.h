// Audio sinks on ALSA devices, with the library loaded at run time.
#pragma once

#include <cstdint>

#include "platform/wave_stream.h"

namespace orven::platform {

// Opens the ALSA playback device `name` for `format`. Gives a wave-out
// result code: kMmNoDriver when ALSA itself cannot be loaded,
// kMmBadDeviceId for an unknown device, kMmAllocated for a busy one,
// kWaveBadFormat when the device refuses the format.
uint32_t OpenAlsaSink(const char* name, const WaveFormat& format, AudioSink** sink);

}  // namespace orven::platform
