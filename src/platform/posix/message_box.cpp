#include "platform/message_box.h"

#include <cstdio>

namespace orven::platform {

void ShowSystemMessageBox(const char* caption, const char* text) { std::fprintf(stderr, "%s\n%s\n", caption, text); }

}  // namespace orven::platform
