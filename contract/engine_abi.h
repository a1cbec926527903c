/*
 * engine_abi.h - the functions that the four language engine libraries
 * (KORSYN, ENGSYN, CHISYN, JAPSYN) export, as ORVEN_M imports them.
 *
 * Every engine function uses the C calling convention. The channel handle an
 * engine returns points at a record that starts with ORVN_ChannelHead.
 *
 * The operations are listed once, as X-macro tables, so that the import
 * declarations, the per-language dispatch table and the stand-in engines'
 * definitions all come from the same list and cannot drift apart.
 */
#pragma once

#include "orven_api.h"

#if defined(ORVEN_BUILDING_ENGINE)
#if defined(_WIN32)
#define ORVN_ENGINE_FN_ __declspec(dllexport)
#else
#define ORVN_ENGINE_FN_ __attribute__((visibility("default")))
#endif
#else
#define ORVN_ENGINE_FN_
#endif

#if defined(__cplusplus)
extern "C" {
#endif

typedef void* ENGINE_HANDLE;

/*
 * Operations whose argument list is the same in every language.
 *   X(return type, operation, Korean name, English name, Chinese name,
 *     Japanese name, (parameters), (arguments))
 * The parameter names double as the forwarding argument list.
 */
#define ORVN_ENGINE_COMMON_OPS(X)                                                                                     \
  X(int32_t, load, LoadVELMEngineEx, LoadEngTTSEngineEx, LoadChiTTSEngineEx, LoadJapTTSEngineEx,                      \
    (const char* directory, uint32_t option, int32_t speaker), (directory, option, speaker))                          \
  X(int32_t, unload, UnLoadVELMEngineEx, UnLoadEngTTSEngineEx, UnLoadChiTTSEngineEx, UnLoadJapTTSEngineEx,            \
    (int32_t speaker), (speaker))                                                                                     \
  X(int32_t, destroy, DeleteTTSThread, DeleteEngTTSThread, DeleteChiTTSThread, DeleteJapTTSThread,                    \
    (ENGINE_HANDLE handle), (handle))                                                                                 \
  X(int32_t, speak, TextToSpeech, EngTextToSpeech, ChiTextToSpeech, JapTextToSpeech,                                  \
    (ENGINE_HANDLE handle, const char* text, int32_t mode), (handle, text, mode))                                     \
  X(int32_t, stop, StopTextToSpeech, StopEngTextToSpeech, StopChiTextToSpeech, StopJapTextToSpeech,                   \
    (ENGINE_HANDLE handle), (handle))                                                                                 \
  X(int32_t, setOutBufSize, SetOutBufSize, SetEngOutBufSize, SetChiOutBufSize, SetJapOutBufSize,                      \
    (ENGINE_HANDLE handle, int32_t size), (handle, size))                                                             \
  X(int32_t, changeAttr, ChangeTTSAttr, ChangeEngTTSAttr, ChangeChiTTSAttr, ChangeJapTTSAttr,                         \
    (ENGINE_HANDLE handle, const char* tag), (handle, tag))                                                           \
  X(int32_t, changeSpeaker, ChangeSpeaker, ChangeEngSpeaker, ChangeChiSpeaker, ChangeJapSpeaker,                      \
    (ENGINE_HANDLE handle, int32_t speaker), (handle, speaker))                                                       \
  X(int32_t, speedDefault, GetSpeedDefault, GetEngSpeedDefault, GetChiSpeedDefault, GetJapSpeedDefault,               \
    (int32_t * defaultValue, int32_t * maximumValue), (defaultValue, maximumValue))                                   \
  X(int32_t, volumeDefault, GetVolumeDefault, GetEngVolumeDefault, GetChiVolumeDefault, GetJapVolumeDefault,          \
    (int32_t * defaultValue, int32_t * maximumValue), (defaultValue, maximumValue))                                   \
  X(int32_t, engineInfo, GetEngineInfo, GetEngEngineInfo, GetChiEngineInfo, GetJapEngineInfo, (void* engineRecord),   \
    (engineRecord))                                                                                                   \
  X(int32_t, dbInfo, GetDBInfo, GetEngDBInfo, GetChiDBInfo, GetJapDBInfo, (int32_t speaker, void* dbRecord),          \
    (speaker, dbRecord))                                                                                              \
  X(int32_t, setTextFormat, SetTextFormat, SetEngTextFormat, SetChiTextFormat, SetJapTextFormat,                      \
    (ENGINE_HANDLE handle, int8_t value), (handle, value))                                                            \
  X(int32_t, getTextFormat, GetTextFormat, GetEngTextFormat, GetChiTextFormat, GetJapTextFormat,                      \
    (ENGINE_HANDLE handle), (handle))                                                                                 \
  X(int32_t, setCharSet, SetCharSet, SetEngCharSet, SetChiCharSet, SetJapCharSet,                                     \
    (ENGINE_HANDLE handle, int8_t value), (handle, value))                                                            \
  X(int32_t, getCharSet, GetCharSet, GetEngCharSet, GetChiCharSet, GetJapCharSet, (ENGINE_HANDLE handle), (handle))   \
  X(int32_t, setLipSync, SetLipSync, SetEngLipSync, SetChiLipSync, SetJapLipSync,                                     \
    (ENGINE_HANDLE handle, int8_t value), (handle, value))                                                            \
  X(int32_t, getLipSync, GetLipSync, GetEngLipSync, GetChiLipSync, GetJapLipSync, (ENGINE_HANDLE handle), (handle))   \
  X(int32_t, setHighLight, SetHighLight, SetEngHighLight, SetChiHighLight, SetJapHighLight,                           \
    (ENGINE_HANDLE handle, int8_t value), (handle, value))                                                            \
  X(int32_t, getHighLight, GetHighLight, GetEngHighLight, GetChiHighLight, GetJapHighLight, (ENGINE_HANDLE handle),   \
    (handle))                                                                                                         \
  X(int32_t, setByteSwap, SetByteSwap, SetEngByteSwap, SetChiByteSwap, SetJapByteSwap,                                \
    (ENGINE_HANDLE handle, int8_t value), (handle, value))                                                            \
  X(int32_t, getByteSwap, GetByteSwap, GetEngByteSwap, GetChiByteSwap, GetJapByteSwap, (ENGINE_HANDLE handle),        \
    (handle))                                                                                                         \
  X(int32_t, setReadGwalho, SetReadGwalho, SetEngReadGwalho, SetChiReadGwalho, SetJapReadGwalho,                      \
    (ENGINE_HANDLE handle, int32_t value), (handle, value))                                                           \
  X(int32_t, getReadGwalho, GetReadGwalho, GetEngReadGwalho, GetChiReadGwalho, GetJapReadGwalho,                      \
    (ENGINE_HANDLE handle), (handle))                                                                                 \
  X(int32_t, setSentDelimLF, SetSentDelimLF, SetEngSentDelimLF, SetChiSentDelimLF, SetJapSentDelimLF,                 \
    (ENGINE_HANDLE handle, int32_t value), (handle, value))                                                           \
  X(int32_t, getSentDelimLF, GetSentDelimLF, GetEngSentDelimLF, GetChiSentDelimLF, GetJapSentDelimLF,                 \
    (ENGINE_HANDLE handle), (handle))                                                                                 \
  X(int32_t, setPauseLength, SetPauseLength, SetEngPauseLength, SetChiPauseLength, SetJapPauseLength,                 \
    (ENGINE_HANDLE handle, int32_t sentencePause, int32_t phrasePause), (handle, sentencePause, phrasePause))         \
  X(int32_t, getPauseLength, GetPauseLength, GetEngPauseLength, GetChiPauseLength, GetJapPauseLength,                 \
    (ENGINE_HANDLE handle, int32_t * sentencePause, int32_t * phrasePause), (handle, sentencePause, phrasePause))     \
  X(int32_t, loadDict, LoadUSRDict, LoadEngUSRDict, LoadChiUSRDict, LoadJapUSRDict,                                   \
    (ENGINE_HANDLE handle, const char* path, int32_t* entriesOrReason, int32_t* faultLine),                           \
    (handle, path, entriesOrReason, faultLine))                                                                       \
  X(int32_t, changeDict, ChangeTTSUsrDict, ChangeEngUSRDict, ChangeChiUSRDict, ChangeJapUSRDict,                      \
    (ENGINE_HANDLE handle, const char* path, int32_t* entriesOrReason, int32_t* faultLine),                           \
    (handle, path, entriesOrReason, faultLine))                                                                       \
  X(int32_t, unloadDict, UnLoadUSRDict, UnLoadEngUSRDict, UnLoadChiUSRDict, UnLoadJapUSRDict, (ENGINE_HANDLE handle), \
    (handle))                                                                                                         \
  X(int32_t, loadEffectDb, LoadKorUserEffDB, LoadEngUserEffDB, LoadChiUserEffDB, LoadJapUserEffDB,                    \
    (const char* effectPath, const char* indexPath, int32_t mode, int32_t option),                                    \
    (effectPath, indexPath, mode, option))                                                                            \
  X(int32_t, unloadEffectDb, UnLoadKorUserEffDB, UnLoadEngUserEffDB, UnLoadChiUserEffDB, UnLoadJapUserEffDB, (void),  \
    ())                                                                                                               \
  X(int32_t, setEffectTagRead, SetKorEffectTagRead, SetEngEffectTagRead, SetChiEffectTagRead, SetJapEffectTagRead,    \
    (int32_t value), (value))                                                                                         \
  X(int32_t, getEffectTagRead, GetKorEffectTagRead, GetEngEffectTagRead, GetChiEffectTagRead, GetJapEffectTagRead,    \
    (void), ())

/*
 * Operations whose Korean form differs: channel creation takes a fourth
 * argument (always 0) in Korean, the pitch default takes the speaker in
 * Korean, and names and SMS texts have readings of their own in Korean only.
 *   X(return type, operation, name, (parameters), (arguments))
 */
#define ORVN_ENGINE_KOREAN_OPS(X)                                                                                   \
  X(ENGINE_HANDLE, create, CreateTTSThread,                                                                         \
    (void* userData, ORVN_SynthesisCallback callback, int32_t speaker, int32_t reserved),                           \
    (userData, callback, speaker, reserved))                                                                        \
  X(int32_t, pitchDefault, GetPitchDefault, (int32_t speaker, int32_t * defaultValue, int32_t * maximumValue),      \
    (speaker, defaultValue, maximumValue))                                                                          \
  X(int32_t, speakName, NameToSpeech, (ENGINE_HANDLE handle, const char* text, int32_t mode), (handle, text, mode)) \
  X(int32_t, speakSms, SMSToSpeech, (ENGINE_HANDLE handle, const char* text, int32_t mode), (handle, text, mode))

/*   X(return type, operation, English name, Chinese name, Japanese name, (parameters), (arguments)) */
#define ORVN_ENGINE_OTHER_OPS(X)                                                                       \
  X(ENGINE_HANDLE, create, CreateEngTTSThread, CreateChiTTSThread, CreateJapTTSThread,                 \
    (void* userData, ORVN_SynthesisCallback callback, int32_t speaker), (userData, callback, speaker)) \
  X(int32_t, pitchDefault, GetEngPitchDefault, GetChiPitchDefault, GetJapPitchDefault,                 \
    (int32_t * defaultValue, int32_t * maximumValue), (defaultValue, maximumValue))

#define ORVN_ENGINE_DECLARE_COMMON_(ret, op, kor, eng, chi, jap, params, args) \
  ORVN_ENGINE_FN_ ret ORVN_CDECL kor params;                                   \
  ORVN_ENGINE_FN_ ret ORVN_CDECL eng params;                                   \
  ORVN_ENGINE_FN_ ret ORVN_CDECL chi params;                                   \
  ORVN_ENGINE_FN_ ret ORVN_CDECL jap params;
#define ORVN_ENGINE_DECLARE_KOREAN_(ret, op, name, params, args) ORVN_ENGINE_FN_ ret ORVN_CDECL name params;
#define ORVN_ENGINE_DECLARE_OTHER_(ret, op, eng, chi, jap, params, args) \
  ORVN_ENGINE_FN_ ret ORVN_CDECL eng params;                             \
  ORVN_ENGINE_FN_ ret ORVN_CDECL chi params;                             \
  ORVN_ENGINE_FN_ ret ORVN_CDECL jap params;

ORVN_ENGINE_COMMON_OPS(ORVN_ENGINE_DECLARE_COMMON_)
ORVN_ENGINE_KOREAN_OPS(ORVN_ENGINE_DECLARE_KOREAN_)
ORVN_ENGINE_OTHER_OPS(ORVN_ENGINE_DECLARE_OTHER_)

#undef ORVN_ENGINE_DECLARE_COMMON_
#undef ORVN_ENGINE_DECLARE_KOREAN_
#undef ORVN_ENGINE_DECLARE_OTHER_

/* Fixed sizes of the records that the engines fill. */
#define ORVN_ENGINE_INFO_BYTES 101
#define ORVN_ENGINE_DBINFO_BYTES 48

#if defined(__cplusplus)
}
#endif
