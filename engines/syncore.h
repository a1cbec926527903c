// syncore.h - the interface that SYNCORE offers the four thin language
// libraries: one exported C function returning the engine of a language.
//
// The engine's operations are those of engine_abi.h, under their generic
// names (load, create, speak, ...) with the same parameter lists; the
// Korean-only forms of create and pitchDefault are overloads. Every method is
// noexcept: failures come back as return values, as on the C interface.
#pragma once

#include <cstdint>

#include "engine_abi.h"

#if defined(_WIN32)
#if defined(ORVEN_BUILDING_SYNCORE)
#define SYNCORE_API __declspec(dllexport)
#else
#define SYNCORE_API __declspec(dllimport)
#endif
#else
#define SYNCORE_API __attribute__((visibility("default")))
#endif

namespace syn {

#define SYN_DECLARE_COMMON_(ret, op, kor, eng, chi, jap, params, args) virtual ret op params noexcept = 0;
#define SYN_DECLARE_SPECIAL_(ret, op, name, params, args) virtual ret op params noexcept = 0;
#define SYN_DECLARE_OTHER_(ret, op, eng, chi, jap, params, args) virtual ret op params noexcept = 0;

class LanguageEngine {
 public:
  ORVN_ENGINE_COMMON_OPS(SYN_DECLARE_COMMON_)
  ORVN_ENGINE_KOREAN_OPS(SYN_DECLARE_SPECIAL_)
  ORVN_ENGINE_OTHER_OPS(SYN_DECLARE_OTHER_)

 protected:
  ~LanguageEngine() = default;  // engines live as long as the process
};

#undef SYN_DECLARE_COMMON_
#undef SYN_DECLARE_SPECIAL_
#undef SYN_DECLARE_OTHER_

}  // namespace syn

// The engine of language 0..3 (Korean, English, Chinese, Japanese); null otherwise.
extern "C" SYNCORE_API syn::LanguageEngine* SynCore_Engine(int32_t language);
