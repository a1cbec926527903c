// Window notifications on Windows: the system's windows, plus notification
// windows of our own: a message-only window on a thread of its own whose
// posted messages go to a callback.
#include "platform/notify.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "platform/sync.h"
#include "platform/threads.h"

namespace orven::platform {
namespace {

constexpr char kClassName[] = "ORVEN_M notification window";

struct Window {
  NotifyCallback callback = nullptr;
  void* userData = nullptr;
  HWND hwnd = nullptr;
  DWORD threadId = 0;
  Thread* thread = nullptr;
  Event* created = nullptr;
  std::atomic<bool> destroyed{false};
  bool destroyedFromCallback = false;  // then the thread frees the record
  Window* next = nullptr;              // in the list of live windows
};

// The live windows, linked through their records so that adding one needs no
// memory.
Mutex g_windowsMutex;
Window* g_windows = nullptr;

// The window class, registered once for the process.
INIT_ONCE g_classOnce = INIT_ONCE_STATIC_INIT;
BOOL CALLBACK RegisterWindowClass(PINIT_ONCE, PVOID, PVOID*) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}

void Run(void* raw) {
  Window* w = static_cast<Window*>(raw);
  w->threadId = GetCurrentThreadId();
  if (InitOnceExecuteOnce(&g_classOnce, RegisterWindowClass, nullptr, nullptr)) {
    w->hwnd =
        CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  w->created->Signal();
  w->created->Release();
  if (w->hwnd == nullptr) return;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == w->hwnd && !w->destroyed.load()) {
      w->callback(w->userData, msg.hwnd, msg.message, static_cast<intptr_t>(msg.wParam),
                  static_cast<intptr_t>(msg.lParam));
    } else if (msg.hwnd != nullptr) {
      DispatchMessageA(&msg);
    }
  }
  DestroyWindow(w->hwnd);
  if (w->destroyedFromCallback) delete w;
}

}  // namespace

void PostWindowMessage(WindowHandle window, uint32_t message, intptr_t wParam, intptr_t lParam) {
  PostMessageA(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

bool IsWindowAlive(WindowHandle window) { return IsWindow(static_cast<HWND>(window)) != FALSE; }

WindowHandle CreateNotifyWindow(NotifyCallback callback, void* userData) {
  if (callback == nullptr) return nullptr;
  Window* w = new (std::nothrow) Window;
  if (w == nullptr) return nullptr;
  w->callback = callback;
  w->userData = userData;
  w->created = Event::Create(2);  // this thread's and the window thread's
  if (w->created != nullptr) w->thread = StartThread(Run, w);
  if (w->thread == nullptr) {
    if (w->created != nullptr) {
      w->created->Release();
      w->created->Release();
    }
    delete w;
    return nullptr;
  }
  while (!w->created->Wait(INT32_MAX)) {
  }
  w->created->Release();
  if (w->hwnd == nullptr) {
    WaitForThread(w->thread, -1);
    CloseThread(w->thread);
    delete w;
    return nullptr;
  }
  std::lock_guard lock(g_windowsMutex);
  w->next = g_windows;
  g_windows = w;
  return w->hwnd;
}

void DestroyNotifyWindow(WindowHandle window) {
  Window* w = nullptr;
  {
    std::lock_guard lock(g_windowsMutex);
    Window** link = &g_windows;
    while (*link != nullptr && (*link)->hwnd != static_cast<HWND>(window)) link = &(*link)->next;
    if (*link == nullptr) return;
    w = *link;
    *link = w->next;
  }
  w->destroyed.store(true);
  if (IsCurrentThread(w->thread)) {
    // From its own callback: the loop ends once the callback returns, and
    // the thread frees the record.
    w->destroyedFromCallback = true;
    CloseThread(w->thread);
    PostThreadMessageA(w->threadId, WM_QUIT, 0, 0);
    return;
  }
  PostThreadMessageA(w->threadId, WM_QUIT, 0, 0);
  WaitForThread(w->thread, -1);
  CloseThread(w->thread);
  delete w;
}

}  // namespace orven::platform
