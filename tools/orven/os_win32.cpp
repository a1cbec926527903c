// Windows side of os.h. The console runs Ctrl-C handlers on a thread of
// their own, which is where the reaction runs.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "os.h"

namespace orven::cli {

std::string ExecutableDirectory() {
  std::vector<wchar_t> buffer(32768);
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return {};
  return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path().string();
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void SetBinary(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

unsigned long ProcessId() { return static_cast<unsigned long>(GetCurrentProcessId()); }

std::optional<uint64_t> FileSize(const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return std::nullopt;
  const int64_t size = _fseeki64(stream, 0, SEEK_END) == 0 ? _ftelli64(stream) : -1;
  std::fclose(stream);
  if (size < 0) return std::nullopt;
  return static_cast<uint64_t>(size);
}

// The runtime's rename does not replace an existing file: the old one goes
// first. The new file is complete by then, so no partial file is ever seen.
bool MoveIntoPlace(const std::string& from, const std::string& to, std::string* error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  if (std::remove(to.c_str()) == 0 && std::rename(from.c_str(), to.c_str()) == 0) return true;
  *error = std::strerror(errno);
  return false;
}

struct InterruptWatcher::State {
  std::function<void()> onInterrupt;
  std::atomic<int> count{0};
  std::atomic<bool> handled{false};
};

namespace {

std::atomic<InterruptWatcher::State*> activeWatcher{nullptr};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  InterruptWatcher::State* state = activeWatcher.load();
  if (state == nullptr) return FALSE;
  // A second Ctrl-C while the first is being handled: the default handler ends the process.
  if (state->count.fetch_add(1) != 0) return FALSE;
  state->onInterrupt();
  state->handled.store(true);
  return TRUE;
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt) : state_(new State) {
  state_->onInterrupt = std::move(onInterrupt);
  activeWatcher.store(state_);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptWatcher::~InterruptWatcher() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  activeWatcher.store(nullptr);
  // A handler that started just before may still read the state, so it is
  // kept (a run makes one watcher); wait for a reaction already under way.
  while (state_->count.load() != 0 && !state_->handled.load()) Sleep(10);
}

bool InterruptWatcher::Interrupted() const { return state_->count.load() != 0; }

void InterruptWatcher::ExitAsInterrupted() {
  std::fflush(nullptr);
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace orven::cli
