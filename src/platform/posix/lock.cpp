#include "platform/lock.h"

#include <pthread.h>

namespace orven::platform {
namespace {

pthread_mutex_t g_libraryLock;
pthread_once_t g_lockOnce = PTHREAD_ONCE_INIT;

void CreateLock() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&g_libraryLock, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

}  // namespace

void LockLibrary() noexcept {
  pthread_once(&g_lockOnce, CreateLock);
  pthread_mutex_lock(&g_libraryLock);
}

void UnlockLibrary() noexcept { pthread_mutex_unlock(&g_libraryLock); }

}  // namespace orven::platform
