// voice_turns.h - exclusive use of a single-threaded synthesiser, in turns
// that favour the voice it already holds.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>

namespace syn {

// Exclusive use of the synthesiser, one piece at a time. Switching it to
// another voice costs (libespeak-ng reloads a language's dictionary), so a
// turn that falls free goes to the oldest waiter that wants the voice the
// synthesiser holds, or to the oldest waiter when none does. No waiter is
// passed over more than kMaxPassOvers times, so no piece waits more than
// that many pieces beyond its place in the queue. The waiters are a list of
// nodes on their own stacks, each with its own condition, so a turn wakes
// only the thread it goes to and nothing is allocated.
class VoiceTurns {
 public:
  static constexpr int kMaxPassOvers = 4;

  // Blocks until the caller, who will want `voice`, has the synthesiser.
  void Enter(const std::string& voice) {
    std::unique_lock lock(mutex_);
    if (!busy_ && head_ == nullptr) {
      busy_ = true;
      return;
    }
    Waiter me;
    me.voice = &voice;
    (tail_ != nullptr ? tail_->next : head_) = &me;
    tail_ = &me;
    ++waiting_;
    me.wake.wait(lock, [&] { return me.granted; });
  }

  // How many callers wait for a turn.
  std::size_t Waiting() {
    std::lock_guard lock(mutex_);
    return waiting_;
  }

  // Hands the synthesiser on; `current` is the voice it now holds. Only the holder calls this.
  void Leave(const std::string& current) {
    std::lock_guard lock(mutex_);
    Waiter* next = Take(current);
    if (next == nullptr) {
      busy_ = false;
      return;
    }
    next->granted = true;
    next->wake.notify_one();  // under the lock: `next` lives on a stack that is gone once it wakes
  }

 private:
  struct Waiter {
    const std::string* voice = nullptr;
    Waiter* next = nullptr;
    int passedOver = 0;
    bool granted = false;
    std::condition_variable wake;
  };

  // Unlinks and returns the waiter that goes next, or null: the first that wants `current`, unless an older one
  // has been passed over kMaxPassOvers times already, in which case the oldest of all.
  Waiter* Take(const std::string& current) {
    if (head_ == nullptr) return nullptr;
    Waiter* before = nullptr;
    Waiter* pick = head_;
    for (Waiter *p = nullptr, *w = head_; w != nullptr; p = w, w = w->next) {
      if (*w->voice == current) {
        before = p;
        pick = w;
        break;
      }
      if (w->passedOver >= kMaxPassOvers) break;
    }
    if (before == nullptr) {
      head_ = pick->next;
    } else {
      for (Waiter* w = head_; w != pick; w = w->next) ++w->passedOver;
      before->next = pick->next;
    }
    if (tail_ == pick) tail_ = before;
    --waiting_;
    return pick;
  }

  std::mutex mutex_;  // guards the fields below
  bool busy_ = false;
  Waiter* head_ = nullptr;
  Waiter* tail_ = nullptr;
  std::size_t waiting_ = 0;
};

}  // namespace syn
