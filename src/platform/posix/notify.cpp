// Notification windows on POSIX: each window is a queue and a thread that
// hands the queued messages to the window's callback one by one.
#include "platform/notify.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>

#include "platform/threads.h"

namespace orven::platform {
namespace {

struct Message {
  uint32_t message;
  intptr_t wParam;
  intptr_t lParam;
};

struct Window {
  uintptr_t id = 0;
  NotifyCallback callback = nullptr;
  void* userData = nullptr;
  Thread* thread = nullptr;
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<Message> queue;
  bool destroyed = false;
  // The dispatching thread and the window's owner each hold one.
  std::atomic<int32_t> references{2};

  void Release() {
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
};

// Live windows by handle. Handles are numbers that are never reused, so a
// stale one is recognised instead of followed.
struct Registry {
  std::mutex mutex;
  uintptr_t nextId = 0x7A000;
  std::deque<Window*> windows;
} g_registry;

Window* FindLocked(WindowHandle handle) {
  const auto id = reinterpret_cast<uintptr_t>(handle);
  for (Window* w : g_registry.windows)
    if (w->id == id) return w;
  return nullptr;
}

void Dispatch(void* raw) {
  Window* w = static_cast<Window*>(raw);
  std::unique_lock lock(w->mutex);
  for (;;) {
    w->posted.wait(lock, [w] { return w->destroyed || !w->queue.empty(); });
    if (w->destroyed) break;
    const Message m = w->queue.front();
    w->queue.pop_front();
    lock.unlock();
    w->callback(w->userData, reinterpret_cast<WindowHandle>(w->id), m.message, m.wParam, m.lParam);
    lock.lock();
  }
  lock.unlock();
  w->Release();
}

}  // namespace

void PostWindowMessage(WindowHandle window, uint32_t message, intptr_t wParam, intptr_t lParam) {
  std::lock_guard registry(g_registry.mutex);
  Window* w = FindLocked(window);
  if (w == nullptr) return;
  std::lock_guard lock(w->mutex);
  w->queue.push_back({message, wParam, lParam});
  w->posted.notify_one();
}

bool IsWindowAlive(WindowHandle window) {
  std::lock_guard registry(g_registry.mutex);
  return FindLocked(window) != nullptr;
}

WindowHandle CreateNotifyWindow(NotifyCallback callback, void* userData) {
  if (callback == nullptr) return nullptr;
  Window* w = new (std::nothrow) Window;
  if (w == nullptr) return nullptr;
  w->callback = callback;
  w->userData = userData;
  w->thread = StartThread(Dispatch, w);
  if (w->thread == nullptr) {
    delete w;
    return nullptr;
  }
  std::lock_guard registry(g_registry.mutex);
  w->id = g_registry.nextId;
  g_registry.nextId += 0x10;
  g_registry.windows.push_back(w);
  return reinterpret_cast<WindowHandle>(w->id);
}

void DestroyNotifyWindow(WindowHandle window) {
  Window* w = nullptr;
  {
    std::lock_guard registry(g_registry.mutex);
    w = FindLocked(window);
    if (w == nullptr) return;
    std::erase(g_registry.windows, w);
  }
  {
    std::lock_guard lock(w->mutex);
    w->destroyed = true;
    w->queue.clear();
    w->posted.notify_one();
  }
  // A window destroyed from its own callback cannot wait for that callback;
  // its thread ends as soon as the callback returns.
  if (!IsCurrentThread(w->thread)) WaitForThread(w->thread, -1);
  CloseThread(w->thread);
  w->Release();
}

}  // namespace orven::platform
