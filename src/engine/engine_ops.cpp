#include "engine/engine_ops.h"

namespace orven {
namespace {

ENGINE_HANDLE KoreanCreate(void* userData, ORVN_SynthesisCallback callback, int32_t speaker) {
  return CreateTTSThread(userData, callback, speaker, 0);
}

template <ENGINE_HANDLE(ORVN_CDECL* Create)(void*, ORVN_SynthesisCallback, int32_t)>
ENGINE_HANDLE PlainCreate(void* userData, ORVN_SynthesisCallback callback, int32_t speaker) {
  return Create(userData, callback, speaker);
}

template <int32_t(ORVN_CDECL* Get)(int32_t*, int32_t*)>
int32_t PitchWithoutSpeaker(int32_t /*speaker*/, int32_t* out1, int32_t* out2) {
  return Get(out1, out2);
}

#define ORVN_OPS_KOR_(ret, op, kor, eng, chi, jap, params, args) kor,
#define ORVN_OPS_ENG_(ret, op, kor, eng, chi, jap, params, args) eng,
#define ORVN_OPS_CHI_(ret, op, kor, eng, chi, jap, params, args) chi,
#define ORVN_OPS_JAP_(ret, op, kor, eng, chi, jap, params, args) jap,

const EngineOps kEngines[ORVN_LANGUAGE_COUNT] = {
    {ORVN_ENGINE_COMMON_OPS(ORVN_OPS_KOR_) KoreanCreate, GetPitchDefault, NameToSpeech, SMSToSpeech},
    {ORVN_ENGINE_COMMON_OPS(ORVN_OPS_ENG_) PlainCreate<CreateEngTTSThread>, PitchWithoutSpeaker<GetEngPitchDefault>,
     nullptr, nullptr},
    {ORVN_ENGINE_COMMON_OPS(ORVN_OPS_CHI_) PlainCreate<CreateChiTTSThread>, PitchWithoutSpeaker<GetChiPitchDefault>,
     nullptr, nullptr},
    {ORVN_ENGINE_COMMON_OPS(ORVN_OPS_JAP_) PlainCreate<CreateJapTTSThread>, PitchWithoutSpeaker<GetJapPitchDefault>,
     nullptr, nullptr},
};

}  // namespace

const EngineOps& EngineFor(int32_t language) { return kEngines[language]; }

}  // namespace orven
