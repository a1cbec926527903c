// engine_forward.h - included once by each thin language library
// (korsyn.cpp, engsyn.cpp, chisyn.cpp, japsyn.cpp). It turns the X-macro
// tables of engine_abi.h into definitions of one language's exported names,
// each forwarding to SYNCORE's engine for that language.
#pragma once

#if !defined(ORVEN_BUILDING_ENGINE)
#error "the thin engine libraries are built with ORVEN_BUILDING_ENGINE"
#endif

#include "engine_abi.h"
#include "syncore.h"

// The declarations in engine_abi.h already give these names C linkage and
// the export attribute; the definitions only forward.
#define SYN_FORWARD_(language, ret, name, op, params, args) \
  ret ORVN_CDECL name params { return SynCore_Engine(language)->op args; }

#define SYN_FORWARD_COMMON_KOR_(ret, op, kor, eng, chi, jap, params, args) SYN_FORWARD_(0, ret, kor, op, params, args)
#define SYN_FORWARD_COMMON_ENG_(ret, op, kor, eng, chi, jap, params, args) SYN_FORWARD_(1, ret, eng, op, params, args)
#define SYN_FORWARD_COMMON_CHI_(ret, op, kor, eng, chi, jap, params, args) SYN_FORWARD_(2, ret, chi, op, params, args)
#define SYN_FORWARD_COMMON_JAP_(ret, op, kor, eng, chi, jap, params, args) SYN_FORWARD_(3, ret, jap, op, params, args)
#define SYN_FORWARD_KOREAN_(ret, op, name, params, args) SYN_FORWARD_(0, ret, name, op, params, args)
#define SYN_FORWARD_OTHER_ENG_(ret, op, eng, chi, jap, params, args) SYN_FORWARD_(1, ret, eng, op, params, args)
#define SYN_FORWARD_OTHER_CHI_(ret, op, eng, chi, jap, params, args) SYN_FORWARD_(2, ret, chi, op, params, args)
#define SYN_FORWARD_OTHER_JAP_(ret, op, eng, chi, jap, params, args) SYN_FORWARD_(3, ret, jap, op, params, args)
