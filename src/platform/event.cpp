#include <chrono>
#include <new>

#include "platform/threads.h"

namespace orven::platform {

Event* Event::Create(int32_t references) { return new (std::nothrow) Event(references); }

void Event::Signal() {
  std::lock_guard lock(mutex_);
  set_ = true;
  signalled_.notify_all();
}

bool Event::Wait(int32_t milliseconds) {
  std::unique_lock lock(mutex_);
  return signalled_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return set_; });
}

void Event::Release() {
  if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

}  // namespace orven::platform
