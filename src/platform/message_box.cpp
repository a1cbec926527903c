#include "platform/message_box.h"

#include "platform/sync.h"

namespace orven::platform {
namespace {

Mutex g_handlerMutex;
MessageBoxHandler g_handler = nullptr;
void* g_userData = nullptr;

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler, void* userData) {
  std::lock_guard lock(g_handlerMutex);
  g_handler = handler;
  g_userData = userData;
}

void ShowMessageBox(const char* caption, const char* text) {
  MessageBoxHandler handler;
  void* userData;
  {
    // The pair is read together; the handler runs outside the lock, so it
    // may install another one.
    std::lock_guard lock(g_handlerMutex);
    handler = g_handler;
    userData = g_userData;
  }
  if (handler != nullptr) {
    handler(userData, caption, text);
  } else {
    ShowSystemMessageBox(caption, text);
  }
}

}  // namespace orven::platform
