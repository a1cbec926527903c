// Message boxes for device errors: modal on the calling thread, or whatever
// handler the application has installed instead.
#pragma once

namespace orven::platform {

using MessageBoxHandler = void (*)(void* userData, const char* caption, const char* text);

// Shows caption and text and returns when the user has closed the box, or
// when the installed handler returns.
void ShowMessageBox(const char* caption, const char* text);
// Null restores the platform's own box.
void SetMessageBoxHandler(MessageBoxHandler handler, void* userData);

// The platform's own box: a system message box owned by the focused window
// on Windows; caption and text on standard error on POSIX.
void ShowSystemMessageBox(const char* caption, const char* text);

}  // namespace orven::platform
