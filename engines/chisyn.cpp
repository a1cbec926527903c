// chisyn.cpp - CHISYN: the Chinese engine's exported names, forwarded to SYNCORE.
#include "engine_forward.h"

ORVN_ENGINE_COMMON_OPS(SYN_FORWARD_COMMON_CHI_)
ORVN_ENGINE_OTHER_OPS(SYN_FORWARD_OTHER_CHI_)
