// Window notifications: messages posted to a window of the application.
// On Windows these are the system's windows; on POSIX a small registry of
// notification windows of our own, each bound to a callback.
#pragma once

#include <cstdint>

namespace orven::platform {

using WindowHandle = void*;
using NotifyCallback = void (*)(void* userData, WindowHandle window, uint32_t message, intptr_t wParam,
                                intptr_t lParam);

// Posts without waiting for delivery. Messages to one window reach it in the
// order they were posted, on a thread that is not the poster's; a post to an
// unknown or destroyed window is dropped.
void PostWindowMessage(WindowHandle window, uint32_t message, intptr_t wParam, intptr_t lParam);
// Whether the window exists.
bool IsWindowAlive(WindowHandle window);

// A window whose messages go to callback(userData, ...) on a thread of its
// own; null on failure.
WindowHandle CreateNotifyWindow(NotifyCallback callback, void* userData);
// Drops the messages still queued for the window and returns once no
// callback for it runs (at once when called from its own callback).
void DestroyNotifyWindow(WindowHandle window);

}  // namespace orven::platform
