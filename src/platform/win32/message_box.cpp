#include "platform/message_box.h"

#include <windows.h>

namespace orven::platform {

void ShowSystemMessageBox(const char* caption, const char* text) { MessageBoxA(GetFocus(), text, caption, MB_OK); }

}  // namespace orven::platform
