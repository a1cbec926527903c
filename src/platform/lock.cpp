#include "platform/lock.h"

#include <mutex>

namespace orven::platform {
namespace {
// Constructed when the library is loaded, before any export can run.
std::mutex g_libraryLock;
}  // namespace

void LockLibrary() { g_libraryLock.lock(); }
void UnlockLibrary() { g_libraryLock.unlock(); }

}  // namespace orven::platform
