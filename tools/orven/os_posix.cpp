// POSIX side of os.h. Ctrl-C is taken by sigwait on a thread of its own, so
// the reaction may call functions that wait (a signal handler may not).
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "os.h"

namespace orven::cli {

std::string ExecutableDirectory() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  std::string path(buffer, static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

void SetBinary(std::FILE*) {}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

std::optional<uint64_t> FileSize(const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return std::nullopt;
  const off_t size = fseeko(stream, 0, SEEK_END) == 0 ? ftello(stream) : -1;
  std::fclose(stream);
  if (size < 0) return std::nullopt;
  return static_cast<uint64_t>(size);
}

bool MoveIntoPlace(const std::string& from, const std::string& to, std::string* error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  *error = std::strerror(errno);
  return false;
}

// SIGUSR2 only wakes the watcher when it is destroyed.
struct InterruptWatcher::State {
  std::function<void()> onInterrupt;
  sigset_t watched;
  sigset_t previousMask;
  pthread_t thread;
  std::atomic<int> received{0};
};

namespace {

// Ends the process the way the signal would have without our handling, so that
// the shell sees the signal (and 128 + its number should raise return).
[[noreturn]] void DieOf(int received) {
  std::signal(received, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, received);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(received);
  std::_Exit(128 + received);
}

void* WatchSignals(void* argument) {
  auto* state = static_cast<InterruptWatcher::State*>(argument);
  for (;;) {
    int received = 0;
    if (sigwait(&state->watched, &received) != 0 || received == SIGUSR2) return nullptr;
    if (state->received.exchange(received) != 0) {
      // A second Ctrl-C while the first is being handled: give up at once.
      DieOf(received);
    }
    state->onInterrupt();
  }
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt) : state_(new State) {
  state_->onInterrupt = std::move(onInterrupt);
  sigemptyset(&state_->watched);
  sigaddset(&state_->watched, SIGINT);
  sigaddset(&state_->watched, SIGTERM);
  sigaddset(&state_->watched, SIGUSR2);
  // Threads inherit the mask: blocked everywhere, the signals reach only sigwait.
  pthread_sigmask(SIG_BLOCK, &state_->watched, &state_->previousMask);
  if (pthread_create(&state_->thread, nullptr, WatchSignals, state_) != 0) {
    pthread_sigmask(SIG_SETMASK, &state_->previousMask, nullptr);
    state_->onInterrupt = nullptr;
  }
}

InterruptWatcher::~InterruptWatcher() {
  if (state_->onInterrupt) {
    pthread_kill(state_->thread, SIGUSR2);
    pthread_join(state_->thread, nullptr);
    pthread_sigmask(SIG_SETMASK, &state_->previousMask, nullptr);
  }
  delete state_;
}

bool InterruptWatcher::Interrupted() const { return state_->received.load() != 0; }

void InterruptWatcher::ExitAsInterrupted() {
  const int received = state_->received.load() != 0 ? state_->received.load() : SIGINT;
  std::fflush(nullptr);
  DieOf(received);
}

}  // namespace orven::cli
