// testctl.cpp - the test-control interface of SYNCORE (orven_engine_testctl.h).
#ifndef ORVEN_BUILDING_SYNCORE
#define ORVEN_BUILDING_SYNCORE 1
#endif

#include "orven_engine_testctl.h"

#include "engine_core.h"

namespace {

using syn::Engine;
using syn::Forced;
using syn::Op;

// Runs `body` on the engine that exports `function`; unknown names do nothing.
template <class F>
void withFunction(const char* function, F&& body) noexcept {
  int language = 0;
  Op op{};
  if (!syn::findExportedName(function, language, op)) return;
  try {
    body(*syn::engineAt(language), op);
  } catch (...) {
  }
}

template <class F>
void onLanguage(int32_t language, F&& body) noexcept {
  if (Engine* engine = syn::engineAt(language)) {
    try {
      body(*engine);
    } catch (...) {
    }
  }
}

template <class F>
int32_t askLanguage(int32_t language, int32_t failure, F&& body) noexcept {
  Engine* engine = syn::engineAt(language);
  if (engine == nullptr) return failure;
  try {
    return body(*engine);
  } catch (...) {
    return failure;
  }
}

}  // namespace

extern "C" {

void SynTest_Reset(void) {
  for (int32_t l = 0; l < syn::kLanguageCount; ++l) {
    onLanguage(l, [](Engine& e) { e.resetTestState(); });
  }
}

void SynTest_ForceResult(const char* function, int32_t result) {
  withFunction(function, [&](Engine& e, Op op) {
    Forced f = e.forced(op);
    f.active = true;
    f.result = result;
    e.setForced(op, f);
  });
}

void SynTest_ForceOutputs(const char* function, int32_t first, int32_t second) {
  withFunction(function, [&](Engine& e, Op op) {
    Forced f = e.forced(op);
    f.hasOutputs = true;
    f.first = first;
    f.second = second;
    e.setForced(op, f);
  });
}

void SynTest_ClearForced(const char* function) {
  withFunction(function, [](Engine& e, Op op) { e.setForced(op, Forced{}); });
}

void SynTest_ForceDbStatus(int32_t language, int32_t speaker, int32_t dbStatus) {
  onLanguage(language, [&](Engine& e) { e.forceDbStatus(speaker, dbStatus); });
}

void SynTest_SetHook(const char* function, void (*hook)(void*), void* argument) {
  withFunction(function, [&](Engine& e, Op op) { e.setHook(op, hook, argument); });
}

void SynTest_RefuseSpeaker(int32_t language, int32_t speaker, int32_t refuse) {
  onLanguage(language, [&](Engine& e) { e.refuseSpeaker(speaker, refuse != 0); });
}

int32_t SynTest_LogCount(int32_t language) {
  return askLanguage(language, 0, [](Engine& e) { return e.logCount(); });
}

int32_t SynTest_LogEntry(int32_t language, int32_t index, char* buffer, int32_t size) {
  return askLanguage(language, -1, [&](Engine& e) { return e.logEntry(index, buffer, size); });
}

void SynTest_ClearLog(int32_t language) {
  onLanguage(language, [](Engine& e) { e.clearLog(); });
}

int32_t SynTest_OpenChannels(int32_t language) {
  return askLanguage(language, 0, [](Engine& e) { return e.openChannels(); });
}

}  // extern "C"
