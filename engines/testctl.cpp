// testctl.cpp - the test-control interface of SYNCORE (orven_engine_testctl.h).
#ifndef ORVEN_BUILDING_SYNCORE
#define ORVEN_BUILDING_SYNCORE 1
#endif

#include "engine_core.h"
#include "orven_engine_testctl.h"

namespace {

using syn::Engine;
using syn::Forced;
using syn::Op;

// Runs `body` on the engine that exports `function`; unknown names do nothing.
template <class F>
void WithFunction(const char* function, F&& body) noexcept {
  int language = 0;
  Op op{};
  if (!syn::FindExportedName(function, language, op)) return;
  try {
    body(*syn::EngineAt(language), op);
  } catch (...) {
  }
}

template <class F>
void OnLanguage(int32_t language, F&& body) noexcept {
  if (Engine* engine = syn::EngineAt(language)) {
    try {
      body(*engine);
    } catch (...) {
    }
  }
}

template <class F>
int32_t AskLanguage(int32_t language, int32_t failure, F&& body) noexcept {
  Engine* engine = syn::EngineAt(language);
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
    OnLanguage(l, [](Engine& e) { e.ResetTestState(); });
  }
}

void SynTest_ForceResult(const char* function, int32_t result) {
  WithFunction(function, [&](Engine& e, Op op) {
    Forced f = e.ForcedAnswer(op);
    f.active = true;
    f.result = result;
    e.SetForced(op, f);
  });
}

void SynTest_ForceOutputs(const char* function, int32_t first, int32_t second) {
  WithFunction(function, [&](Engine& e, Op op) {
    Forced f = e.ForcedAnswer(op);
    f.hasOutputs = true;
    f.first = first;
    f.second = second;
    e.SetForced(op, f);
  });
}

void SynTest_ClearForced(const char* function) {
  WithFunction(function, [](Engine& e, Op op) { e.SetForced(op, Forced{}); });
}

void SynTest_ForceDbStatus(int32_t language, int32_t speaker, int32_t dbStatus) {
  OnLanguage(language, [&](Engine& e) { e.ForceDbStatus(speaker, dbStatus); });
}

void SynTest_SetHook(const char* function, void (*hook)(void*), void* argument) {
  WithFunction(function, [&](Engine& e, Op op) { e.SetHook(op, hook, argument); });
}

void SynTest_RefuseSpeaker(int32_t language, int32_t speaker, int32_t refuse) {
  OnLanguage(language, [&](Engine& e) { e.RefuseSpeaker(speaker, refuse != 0); });
}

int32_t SynTest_LogCount(int32_t language) {
  return AskLanguage(language, 0, [](Engine& e) { return e.LogCount(); });
}

int32_t SynTest_LogEntry(int32_t language, int32_t index, char* buffer, int32_t size) {
  return AskLanguage(language, -1, [&](Engine& e) { return e.LogEntry(index, buffer, size); });
}

void SynTest_ClearLog(int32_t language) {
  OnLanguage(language, [](Engine& e) { e.ClearLog(); });
}

int32_t SynTest_OpenChannels(int32_t language) {
  return AskLanguage(language, 0, [](Engine& e) { return e.OpenChannels(); });
}

}  // extern "C"
