// os.h - the few operating-system services the command line needs, one
// implementation per system (os_posix.cpp, os_win32.cpp).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace orven::cli {

// The directory holding the running executable, or an empty string.
std::string ExecutableDirectory();

// True when the stream is a terminal (progress output goes only there).
bool IsTerminal(std::FILE* stream);

// Switches a standard stream to binary, so bytes pass unchanged.
void SetBinary(std::FILE* stream);

// A number that differs between processes running at the same time.
unsigned long ProcessId();

// Files the library writes are named through the C runtime, which reads a
// narrow name as the library's own file entries do (std::filesystem may
// convert it differently on Windows), so the tool's own file steps use it too.
std::optional<uint64_t> FileSize(const std::string& path);
// Moves `from` to `to`, replacing any file there; false with the reason.
bool MoveIntoPlace(const std::string& from, const std::string& to, std::string* error);

// While alive, Ctrl-C (and SIGTERM on POSIX) no longer kills the process:
// it calls `onInterrupt` on a thread of its own, at most once, where it may
// call blocking library functions. Create it before any other thread, so
// that every later thread leaves the signal to it. After `Interrupted()`,
// finish cleaning up and call `ExitAsInterrupted()`.
class InterruptWatcher {
 public:
  explicit InterruptWatcher(std::function<void()> onInterrupt);
  ~InterruptWatcher();
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  bool Interrupted() const;
  // Ends the process the way an unhandled Ctrl-C would, so that a calling
  // shell or script sees the interruption.
  [[noreturn]] void ExitAsInterrupted();

  struct State;  // each system's own

 private:
  State* state_;
};

}  // namespace orven::cli
