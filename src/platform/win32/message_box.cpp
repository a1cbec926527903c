#include <windows.h>

#include "platform/message_box.h"

namespace orven::platform {

void ShowSystemMessageBox(const char* caption, const char* text) { MessageBoxA(GetFocus(), text, caption, MB_OK); }

}  // namespace orven::platform
