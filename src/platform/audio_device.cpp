// The output device chosen for the next playback.
#include <cstring>

#include "platform/sync.h"
#include "platform/wave_out.h"

namespace orven::platform {
namespace {

Mutex g_deviceMutex;
char g_deviceName[kAudioDeviceNameMax + 1] = "default";

}  // namespace

bool SetAudioDevice(const char* name) {
  if (name == nullptr) name = "default";
  const size_t length = std::strlen(name);
  if (length > kAudioDeviceNameMax) return false;
  std::lock_guard lock(g_deviceMutex);
  std::memcpy(g_deviceName, name, length + 1);
  return true;
}

void AudioDeviceName(char* out, size_t size) {
  if (size == 0) return;
  std::lock_guard lock(g_deviceMutex);
  std::strncpy(out, g_deviceName, size - 1);
  out[size - 1] = '\0';
}

}  // namespace orven::platform
