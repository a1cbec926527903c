// The per-language operation tables: every call into a language engine goes
// through EngineFor(language), so no other code knows the engines' names.
#pragma once

#include <cstdint>

#include "engine_abi.h"

namespace orven {

struct EngineOps {
#define ORVN_OPS_MEMBER_(ret, op, kor, eng, chi, jap, params, args) ret(ORVN_CDECL* op) params;
  ORVN_ENGINE_COMMON_OPS(ORVN_OPS_MEMBER_)
#undef ORVN_OPS_MEMBER_
  // Uniform shapes over the Korean differences: create never passes the
  // Korean reserved argument itself, and the pitch default always receives
  // the speaker (only Korean looks at it).
  ENGINE_HANDLE (*create)(void* userData, ORVN_SynthesisCallback callback, int32_t speaker);
  int32_t (*pitchDefault)(int32_t speaker, int32_t* out1, int32_t* out2);
  // Korean only; null for the other languages.
  int32_t(ORVN_CDECL* speakName)(ENGINE_HANDLE handle, const char* text, int32_t mode);
  int32_t(ORVN_CDECL* speakSms)(ENGINE_HANDLE handle, const char* text, int32_t mode);
};

// `language` must already have passed the 0..3 check.
const EngineOps& EngineFor(int32_t language);

}  // namespace orven
