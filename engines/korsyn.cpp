// korsyn.cpp - KORSYN: the Korean engine's exported names, forwarded to SYNCORE.
#include "engine_forward.h"

ORVN_ENGINE_COMMON_OPS(SYN_FORWARD_COMMON_KOR_)
ORVN_ENGINE_KOREAN_OPS(SYN_FORWARD_KOREAN_)
