// japsyn.cpp - JAPSYN: the Japanese engine's exported names, forwarded to SYNCORE.
#include "engine_forward.h"

ORVN_ENGINE_COMMON_OPS(SYN_FORWARD_COMMON_JAP_)
ORVN_ENGINE_OTHER_OPS(SYN_FORWARD_OTHER_JAP_)
