/*
 * orven_engine_testctl.h - test control of the stand-in language engines.
 *
 * Exported by SYNCORE for the test suites only. Lets a test see every call
 * the engines received (one log per language) and make an engine function
 * answer with a chosen result instead of doing its work.
 *
 * Function names are the exact exported engine names ("GetChiCharSet",
 * "CreateTTSThread", "LoadEngTTSEngineEx", ...); an unknown name is ignored.
 * Log entries read `Name(arg, arg, ...)`: integers in decimal, pointers as
 * 0x<lowercase hex> or null, strings in double quotes verbatim or null.
 */
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#if defined(ORVEN_BUILDING_SYNCORE)
#define SYNTEST_API __declspec(dllexport)
#else
#define SYNTEST_API __declspec(dllimport)
#endif
#else
#define SYNTEST_API __attribute__((visibility("default")))
#endif

#if defined(__cplusplus)
extern "C" {
#endif

/* Forgets every forced result, output, refusal and db status and clears
 * every log; loaded voices and open channels stay. */
SYNTEST_API void SynTest_Reset(void);

/* The named function is still logged but skips its work and returns
 * `result`. For the create functions 0 means "return null" and any other
 * value is ignored. Forced info functions fill nothing. */
SYNTEST_API void SynTest_ForceResult(const char* function, int32_t result);

/* Together with a forced result: the values the function writes through its
 * two int32 out-pointers (null pointers skipped). */
SYNTEST_API void SynTest_ForceOutputs(const char* function, int32_t first, int32_t second);

/* dbInfo for that speaker reports `dbStatus`. For -1 it writes no real data
 * but "junk" in text1 and 12345 as the rate, which a caller must not copy. */
SYNTEST_API void SynTest_ForceDbStatus(int32_t language, int32_t speaker, int32_t dbStatus);

/* Drops the forced result and outputs of the named function. */
SYNTEST_API void SynTest_ClearForced(const char* function);

/* Every call of the named function first calls hook(argument), on the
 * calling thread, after logging the call and outside the engine's own lock,
 * as an engine that calls back into the library would. A null hook removes
 * it; SynTest_Reset does too. */
SYNTEST_API void SynTest_SetHook(const char* function, void (*hook)(void* argument), void* argument);

/* While refuse != 0 the language's load refuses that speaker. */
SYNTEST_API void SynTest_RefuseSpeaker(int32_t language, int32_t speaker, int32_t refuse);

/* Number of log entries of a language (at most 100000; later calls are not logged). */
SYNTEST_API int32_t SynTest_LogCount(int32_t language);

/* Copies entry `index` (0 = oldest) NUL-terminated, truncated to `size`
 * bytes; returns its full length, or -1 if there is no such entry. */
SYNTEST_API int32_t SynTest_LogEntry(int32_t language, int32_t index, char* buffer, int32_t size);

SYNTEST_API void SynTest_ClearLog(int32_t language);

/* Channel records of the language that are currently alive. */
SYNTEST_API int32_t SynTest_OpenChannels(int32_t language);

#if defined(__cplusplus)
}
#endif
