/*
 * orven_api.h - the public interface of ORVEN_M.
 *
 * ORVEN_M is a text-to-speech library for Korean, English, Chinese and
 * Japanese with one flat C interface. Every export is named ORVN_*, takes
 * 32-bit arguments and reports failures as negative codes that are also kept
 * in one library-wide last error (ORVN_GetError).
 *
 * Reading the contracts below
 *
 * Checks. Most exports open with one of three shared checks and stop at the
 * first failure. Each failure stores its code in the last error and returns
 * it (ORVN_CreateThread returns null, a void export just returns):
 *   channel check (handle)            -100 library not initialised, -8 null
 *                                     handle, -13 the handle's language
 *                                     outside 0..3, -7 its speaker outside
 *                                     0..10, -10 that voice not loaded;
 *   voice check (language, speaker)   -100, -13 language outside 0..3, -7
 *                                     speaker outside 0..10, -10 voice not
 *                                     loaded;
 *   language check (language)         -100, -13, -10 no speaker of the
 *                                     language loaded.
 * An export's own argument checks follow in the order its contract lists
 * them. An export whose errors include -100 needs ORVN_Initialize; the
 * others say that they do not.
 *
 * Last error. One value for the whole process, not per thread: when two
 * threads fail at once, the later write wins. A success leaves it as it was
 * unless the contract says that the export clears it, so read ORVN_GetError
 * only after a call has reported a failure.
 *
 * Ownership. Texts and paths passed in are read during the call only; what
 * the library hands an engine (a copy of the text, a converted text, a
 * database directory, an attribute tag) belongs to the library and is
 * released before the call returns, so an engine that keeps one copies it.
 * Records, arrays and output pointers (ORVN_EngineInfo, ORVN_DbInfo, sample
 * buffers, int32_t outputs) belong to the caller; the library writes them
 * before it returns and keeps no pointer to them. Channel handles belong to
 * the language engines from ORVN_CreateThread until ORVN_DeleteThread; pass
 * a handle only while its channel exists, and delete it once.
 *
 * Threads. Any export may be called from any thread. Requests on different
 * channels may run at the same time, each holding its caller's thread for
 * the whole synthesis; run one request at a time on a channel. Channel
 * creation and deletion count channels under one library lock; loading,
 * unloading and every other export take no lock.
 *
 * Calling conventions: on 32-bit Windows every export is __stdcall with an
 * undecorated name; synthesis callbacks are always the C convention.
 */
#ifndef ORVEN_API_H
#define ORVEN_API_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(ORVEN_BUILDING_LIBRARY)
#define ORVN_EXPORT_ __declspec(dllexport)
#else
#define ORVN_EXPORT_ __declspec(dllimport)
#endif
#if !defined(_WIN64)
#define ORVN_STDCALL_ __stdcall
#define ORVN_CDECL __cdecl
#else
#define ORVN_STDCALL_
#define ORVN_CDECL
#endif
#else
#define ORVN_EXPORT_ __attribute__((visibility("default")))
#define ORVN_STDCALL_
#define ORVN_CDECL
#endif

/* The one export macro: ORVN_API(return type) name(arguments). */
#define ORVN_API(type) ORVN_EXPORT_ type ORVN_STDCALL_

/* No export lets an exception out: to C++ callers every export is noexcept. */
#if defined(__cplusplus)
#define ORVN_NOEXCEPT noexcept
#else
#define ORVN_NOEXCEPT
#endif

#if defined(__cplusplus)
#define ORVN_STATIC_ASSERT_(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#define ORVN_STATIC_ASSERT_(cond, msg) _Static_assert(cond, msg)
#endif

/* ------------------------------------------------------------------------
 * Error codes: (code, name, meaning). Tools and tests expand this table
 * for names and texts; the enum below is the same table.
 * ---------------------------------------------------------------------- */
#define ORVN_ERROR_TABLE(X)                                                                                          \
  X(0, ORVN_OK, "success")                                                                                           \
  X(-1, ORVN_ERR_FILE_OPEN, "an output or input file cannot be opened")                                              \
  X(-2, ORVN_ERR_NO_MEMORY, "no memory for the file-output context")                                                 \
  X(-3, ORVN_ERR_CHANNEL_CREATE, "the language engine did not create a synthesis channel")                           \
  X(-6, ORVN_ERR_INVALID_ARG,                                                                                        \
    "invalid argument: a required pointer is null, a required text or path is empty, or an argument combination is " \
    "not allowed")                                                                                                   \
  X(-7, ORVN_ERR_SPEAKER, "speaker index outside 0..10")                                                             \
  X(-8, ORVN_ERR_NULL_HANDLE, "channel handle is null")                                                              \
  X(-9, ORVN_ERR_CHANNEL_LIMIT, "the speaker already has its channel limit of channels open")                        \
  X(-10, ORVN_ERR_NOT_LOADED, "voice not loaded")                                                                    \
  X(-11, ORVN_ERR_RANGE, "value out of range")                                                                       \
  X(-12, ORVN_ERR_KOREAN_ONLY, "the operation is offered for the Korean language only")                              \
  X(-13, ORVN_ERR_LANGUAGE, "language index outside 0..3")                                                           \
  X(-14, ORVN_ERR_PLAY_SPEAKER, "speaker index outside 0..10 (live playback)")                                       \
  X(-21, ORVN_ERR_CONVERSION, "the text cannot be converted to the engine's character set")                          \
  X(-22, ORVN_ERR_MARKUP, "the text's tag markup is malformed")                                                      \
  X(-31, ORVN_ERR_FORMAT_MISMATCH, "the two inputs of the mixer have different audio formats")                       \
  X(-41, ORVN_ERR_TEXT_LIMIT, "the converted text is longer than the speaker's text limit")                          \
  X(-100, ORVN_ERR_NOT_INITIALIZED, "the library is not initialised")

#define ORVN_ERROR_ENUM_(code, name, meaning) name = (code),
enum ORVN_ErrorCode { ORVN_ERROR_TABLE(ORVN_ERROR_ENUM_) ORVN_ERROR_END_ = 1 };
#undef ORVN_ERROR_ENUM_

/* ------------------------------------------------------------------------
 * Indexes
 * ---------------------------------------------------------------------- */
enum ORVN_Language { ORVN_KOREAN = 0, ORVN_ENGLISH = 1, ORVN_CHINESE = 2, ORVN_JAPANESE = 3 };

#define ORVN_LANGUAGE_COUNT 4
#define ORVN_SPEAKER_COUNT 11 /* speakers 0..10; only 0..9 can ever be loaded */

/* ------------------------------------------------------------------------
 * Channel handle and synthesis callback
 * ---------------------------------------------------------------------- */

/* A channel handle points at an engine-owned record that starts with these
 * two fields; everything after them belongs to the engine. The library only
 * reads them, and never writes, copies or frees the record. */
typedef struct ORVN_ChannelHead {
  int32_t language;
  int32_t speaker;
} ORVN_ChannelHead;

typedef void* ORVN_CHANNEL;

/* One piece of synthesised audio: byteCount bytes of 16-bit signed mono PCM
 * in host order at the voice's sampling rate. The chunk and its samples
 * belong to the engine and are valid only during the callback. */
typedef struct ORVN_PcmChunk {
  int32_t byteCount;
  const int16_t* samples;
} ORVN_PcmChunk;

/* Called by the channel's engine from inside each request on the channel,
 * once per chunk, with the userData given to ORVN_CreateThread; every chunk
 * has arrived when the request returns. Return 0. */
typedef int32_t(ORVN_CDECL* ORVN_SynthesisCallback)(void* userData, ORVN_PcmChunk* chunk);

/* ------------------------------------------------------------------------
 * Information records (exact external layouts, allocated by the caller).
 * Texts are single-byte and zero-terminated within their fields unless the
 * engine filled the whole field.
 * ---------------------------------------------------------------------- */
typedef struct ORVN_EngineInfo {
  char engineText1[40];    /* offset 0 */
  char engineText2[40];    /* offset 40 */
  char engineText3[20];    /* offset 80 */
  char engineByte;         /* offset 100 */
  char libraryVersion[40]; /* offset 101: "Ver 3.4.1.5.0.1" */
} ORVN_EngineInfo;

typedef struct ORVN_DbInfo {
  int32_t dbStatus; /* -1: no database information */
  char dbText1[20];
  char dbText2[20];
  int32_t samplingRate; /* Hz */
} ORVN_DbInfo;

ORVN_STATIC_ASSERT_(sizeof(ORVN_ChannelHead) == 8, "channel head is two int32");
ORVN_STATIC_ASSERT_(offsetof(ORVN_PcmChunk, samples) == sizeof(void*),
                    "PcmChunk: samples follows byteCount in one pointer-sized slot");
ORVN_STATIC_ASSERT_(sizeof(ORVN_EngineInfo) == 141, "EngineInfo is 141 bytes");
ORVN_STATIC_ASSERT_(offsetof(ORVN_EngineInfo, engineText2) == 40, "EngineInfo layout");
ORVN_STATIC_ASSERT_(offsetof(ORVN_EngineInfo, engineText3) == 80, "EngineInfo layout");
ORVN_STATIC_ASSERT_(offsetof(ORVN_EngineInfo, engineByte) == 100, "EngineInfo layout");
ORVN_STATIC_ASSERT_(offsetof(ORVN_EngineInfo, libraryVersion) == 101, "EngineInfo layout");
ORVN_STATIC_ASSERT_(sizeof(ORVN_DbInfo) == 48, "DbInfo is 48 bytes");
ORVN_STATIC_ASSERT_(offsetof(ORVN_DbInfo, dbText1) == 4, "DbInfo layout");
ORVN_STATIC_ASSERT_(offsetof(ORVN_DbInfo, dbText2) == 24, "DbInfo layout");
ORVN_STATIC_ASSERT_(offsetof(ORVN_DbInfo, samplingRate) == 44, "DbInfo layout");

#define ORVN_LIBRARY_VERSION "Ver 3.4.1.5.0.1"

/* ------------------------------------------------------------------------
 * Library state
 * ---------------------------------------------------------------------- */

/* Initialises the library: clears the last error, resets the library-wide
 * option defaults (see the options below), marks the library initialised
 * and clears the live playback record, after stopping a playback that still
 * runs. It checks nothing and may be called again at any time; the loaded
 * voices, open channels, voice capacities and the registered dictionary
 * stay as they are. Returns 0. */
ORVN_API(int32_t) ORVN_Initialize(void) ORVN_NOEXCEPT;

/* Marks the library uninitialised, after stopping a running playback and
 * waiting for it: from then on every export that needs initialisation fails
 * with -100. Voices, channels and their counts stay and are found again
 * after the next ORVN_Initialize.
 * Errors: -100 when not initialised (nothing else happens).
 * Success keeps the last error. */
ORVN_API(void) ORVN_UnInitialize(void) ORVN_NOEXCEPT;

/* Returns the last error (0 after ORVN_Initialize). Needs no
 * initialisation and never changes the value. */
ORVN_API(int32_t) ORVN_GetError(void) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Loading voices
 *
 * A voice is one speaker's database in a language engine. Loading records
 * the speaker's channel limit and text limit from its voice capacity
 * (ORVN_SetVoiceCapacity); a speaker whose channel limit is 0, and speaker
 * 10 always, is never offered to the engine.
 *   databasePath  the database directory, not null or empty. It is made
 *                 absolute against the current directory when the result has
 *                 fewer than 260 characters (else used as given) and gets one
 *                 trailing path separator.
 *   loadOption    passed to the engine unchanged with every speaker.
 * These exports take no lock: load and unload a language from one thread at
 * a time, and unload a voice only when no request runs on it.
 * ---------------------------------------------------------------------- */

/* Loads every offered speaker 0..9 of `language` (0..3).
 * Returns 0 when a speaker was loaded, or at once when the language already
 * had a loaded speaker (clearing the last error; the path is not examined
 * and no engine is called: add speakers with ORVN_LoadEngineEx); 1 when none
 * could be loaded (every one refused or withdrawn, or no memory).
 * Errors: -100, -13, -6 path null or empty. A fresh load keeps the last
 * error. */
ORVN_API(int32_t) ORVN_LoadEngine(int32_t language, const char* databasePath, uint32_t loadOption) ORVN_NOEXCEPT;

/* Loads one speaker (language 0..3, speaker 0..10).
 * Returns 0 when it was loaded, or at once when it already was (clearing the
 * last error; the path is not examined); 1 when it was refused: by the
 * engine, for a channel limit of 0 (speaker 10 always; the engine is not
 * asked) or for lack of memory.
 * Errors: -100, -13, -7, -6 path null or empty. A fresh load keeps the last
 * error. */
ORVN_API(int32_t)
ORVN_LoadEngineEx(int32_t language, int32_t speaker, const char* databasePath, uint32_t loadOption) ORVN_NOEXCEPT;

/* Unloads a language (0..3): its user effect database first, then every
 * loaded speaker; its channel counts drop to 0. Open channels are not
 * deleted, and the exports that take a channel refuse them with -10 from
 * then on, ORVN_DeleteThread included: delete them first.
 * Errors: -100, -13. Clears the last error on success, also when nothing
 * was loaded. */
ORVN_API(void) ORVN_UnLoadEngine(int32_t language) ORVN_NOEXCEPT;

/* Unloads one speaker (language 0..3, speaker 0..10); when it is the
 * language's last loaded speaker, the language's user effect database goes
 * first. Its channel limit and open channels leave the language's counts;
 * its open channels are not deleted, and the exports that run the channel
 * check refuse them with -10 from then on.
 * Errors: -100, -13, -7. Clears the last error on success, also when the
 * speaker was not loaded. */
ORVN_API(void) ORVN_UnLoadEngineEx(int32_t language, int32_t speaker) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Synthesis channels
 *
 * A channel is an engine context on one loaded voice; every request runs on
 * one. Creation and deletion count channels under the library lock, so any
 * number of threads may create and delete channels at once and a speaker
 * never has more than its channel limit open.
 * ---------------------------------------------------------------------- */

/* Opens a channel on a loaded voice.
 *   userData  the caller's, never read by the library; the engine keeps it
 *             with the channel and passes it to `callback` with every chunk.
 *   callback  receives the channel's audio; not checked by the library.
 * Returns the engine's handle, or null. Errors: voice check; -9 the speaker
 * already has its channel limit of channels open; -3 the engine made no
 * channel. Success keeps the last error. */
ORVN_API(ORVN_CHANNEL)
ORVN_CreateThread(void* userData, ORVN_SynthesisCallback callback, int32_t language, int32_t speaker) ORVN_NOEXCEPT;

/* Closes a channel and takes it off the counts of the speaker its handle
 * names. Call it only when no request runs on the channel; the handle is
 * dead afterwards, and the library cannot recognise a deleted handle.
 * Errors: channel check (an unloaded voice's handle fails with -10 and its
 * engine is not called). Clears the last error on success. */
ORVN_API(void) ORVN_DeleteThread(ORVN_CHANNEL channel) ORVN_NOEXCEPT;

/* Writes a language's counts: the channels open on all its speakers, and
 * the sum of its loaded speakers' channel limits. Read without the lock.
 * Errors: language check; -6 either pointer null (nothing written). Clears
 * the last error on success. */
ORVN_API(void) ORVN_GetChannelInfo(int32_t language, int32_t* channelsInUse, int32_t* channelCapacity) ORVN_NOEXCEPT;

/* Writes one speaker's counts: the channels open on it and its channel
 * limit. Read without the lock.
 * Errors: voice check; -6 either pointer null (nothing written). Clears the
 * last error on success. */
ORVN_API(void)
ORVN_GetChannelInfoEx(int32_t language, int32_t speaker, int32_t* openChannels, int32_t* channelLimit) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Engine information
 * ---------------------------------------------------------------------- */

/* Fills all of `info` with the engine's three texts and byte (each text cut
 * to its field), ORVN_LIBRARY_VERSION, and zeros. No voice needs to be
 * loaded.
 * Errors: -100, -13, -6 info null. Clears the last error on success. */
ORVN_API(void) ORVN_GetEngineInfo(int32_t language, ORVN_EngineInfo* info) ORVN_NOEXCEPT;

/* Fills all of `info` for a loaded voice: the engine's dbStatus and, unless
 * that is -1 (no information), its two texts and the voice's sampling rate;
 * zeros elsewhere.
 * Errors: voice check, which also sets info->dbStatus to -1 when info is not
 * null (nothing else is written); -6 info null. Clears the last error on
 * success. */
ORVN_API(void) ORVN_GetDBInfo(int32_t language, int32_t speaker, ORVN_DbInfo* info) ORVN_NOEXCEPT;

/* Returns the voice's text limit: the longest text, in bytes after
 * conversion, that a request on it may carry; 0 for no limit. A limit above
 * 2147483647 reads as negative.
 * Errors: voice check. Success keeps the last error. */
ORVN_API(int32_t) ORVN_GetTextLimitLength(int32_t language, int32_t speaker) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Text requests
 *
 * `text` is a zero-terminated byte string that the call reads and never
 * changes; the request works on its own copy. Each request asks the
 * channel's engine for two codes anew:
 *   character set 1  the text is UTF-8 and is converted to the engine's code:
 *                    code page 949 for Korean (ASCII kept, other characters
 *                    than Hangul syllables become spaces), 936 for Chinese,
 *                    Shift_JIS for Japanese; English keeps its UTF-8 without
 *                    a leading byte-order mark and is not validated;
 *   text format 1    when `mode` is 1 too, every <...> tag is removed; if the
 *                    "<" and ">" do not alternate, the request returns 0
 *                    with the last error -22 (and 0 without memory).
 * The text to send must then be no longer than the voice's text limit.
 * `mode` goes to the engine unchanged; the library's own requests use 1.
 * The engine speaks on the caller's thread and delivers all of the audio to
 * the channel's callback before the call returns.
 * ---------------------------------------------------------------------- */

/* Speaks `text` on a channel.
 * Returns the engine's result (1: spoken), 0 for malformed markup, or an
 * error: channel check; -6 text null or empty; -21 invalid UTF-8 (or no
 * memory); -41 text longer than the text limit. Success keeps the last
 * error. */
ORVN_API(int32_t) ORVN_TextToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) ORVN_NOEXCEPT;

/* Asks the channel's engine to end the request running on the channel
 * early. Meant to be called from another thread while that request runs.
 * Returns 1 once the engine was asked, also when nothing runs.
 * Errors: channel check. Success keeps the last error. */
ORVN_API(int32_t) ORVN_StopTextToSpeech(ORVN_CHANNEL channel) ORVN_NOEXCEPT;

/* The Korean engine's name and SMS readings, as ORVN_TextToSpeech with one
 * more check after the text's: -12 when the channel is not Korean. A text
 * whose markup was removed is read as ordinary text. */
ORVN_API(int32_t) ORVN_NameToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_SMSToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * PCM buffer mode
 *
 * The text, name and SMS requests above, with the engine cutting its audio
 * into chunks of `size` bytes (1024..64000) for this one request; the
 * channel then returns to ordinary buffering.
 * Errors, in check order: channel check; -6 text null or empty; -11 size
 * out of range; -12 (name and SMS) the channel is not Korean; -21 no memory
 * for the copy. Once these pass the request runs, and the last error is
 * cleared whatever its outcome: the result alone tells it (1 spoken, 0
 * malformed markup, -21, -41, or another engine result).
 * ---------------------------------------------------------------------- */
ORVN_API(int32_t) ORVN_TextToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_NameToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_SMSToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Voice attributes and speaker
 *
 * A channel's volume, speed, pitch and speaker live in its engine; the
 * library keeps no copy. Every export here returns the engine's own result
 * and keeps the last error on success.
 * ---------------------------------------------------------------------- */

/* Hands the channel's engine the tag <volume="V"> (with one trailing
 * blank), <speed="V"> or <pitch="V">, V in decimal.
 *   volume 0..200, speed 50..200, pitch 80..120 (both ends included).
 * Errors: channel check; -11 value out of range. */
ORVN_API(int32_t) ORVN_SetVolume(ORVN_CHANNEL channel, int32_t volume) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_SetSpeed(ORVN_CHANNEL channel, int32_t speed) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_SetPitch(ORVN_CHANNEL channel, int32_t pitch) ORVN_NOEXCEPT;

/* Hands the channel's engine any attribute tag text, e.g.
 * "<speed=\"120\">"; the library does not look into it.
 * Errors: channel check; -6 tag null or empty. */
ORVN_API(int32_t) ORVN_ChangeAttr(ORVN_CHANNEL channel, const char* attributeTag) ORVN_NOEXCEPT;

/* Moves the channel to another loaded speaker of its language. The channel
 * stays counted against the speaker its handle names.
 * Errors: -100, -8, -13 the handle's language; -7 `speaker` outside 0..10,
 * -10 `speaker` not loaded in that language (the channel's own speaker is
 * not checked). */
ORVN_API(int32_t) ORVN_ChangeSpeaker(ORVN_CHANNEL channel, int32_t speaker) ORVN_NOEXCEPT;

/* The engine writes its default and maximum pitch, speed or volume to the
 * caller's two ints. The pitch query needs a loaded voice (only the Korean
 * engine looks at the speaker), the others a language with a loaded
 * speaker.
 * Errors: voice check (pitch) or language check (speed, volume); -6 either
 * pointer null. */
ORVN_API(int32_t)
ORVN_GetPitchDefault(int32_t language, int32_t speaker, int32_t* defaultValue, int32_t* maximumValue) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetSpeedDefault(int32_t language, int32_t* defaultValue, int32_t* maximumValue) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetVolumeDefault(int32_t language, int32_t* defaultValue, int32_t* maximumValue) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * File synthesis
 *
 * Renders a whole request into the file `fileName` on a private channel of
 * the voice (language, speaker) and returns when the file is closed.
 *   fileType      0 WAV, 1 AU, any other value headerless.
 *   encoding      as for the headers below; VOX (4) only in headerless
 *                 files. A value outside 0..5 writes 16-bit samples. WAV
 *                 has a header for encodings 0..3, AU for 0..3 and 5; other
 *                 pairs give a file without header.
 *   samplingRate  the file's rate: the voice's own; 8000 only from a 16000
 *                 Hz voice (low-pass filtered); 16000 from an 8000 Hz voice
 *                 (interpolated); another positive rate below the voice's
 *                 (averaged). Any other rate gives a file without data. Each
 *                 chunk is converted and coded afresh: filters and ADPCM
 *                 coders restart at every chunk.
 *   text          not null or empty; copied for the call.
 *   fileName      not null or empty; created or truncated.
 *   attributes    may be null; applied with ORVN_ChangeAttr when it starts
 *                 with "<".
 * Samples: 16-bit little-endian, 8-bit unsigned in WAV and headerless
 * files; 16-bit big-endian, 8-bit signed in AU; G.721 with the first
 * sample's code in the high nibble, in AU in the low nibble.
 * Errors, in check order: voice check; -6 text or file name null or empty,
 * or VOX with file type 0 or 1; -12 (name and SMS) language not Korean; -2
 * no memory for the copy; -1 the file cannot be created; -2 no memory; -3
 * no channel, whatever the reason (the channel limit too): the empty file
 * stays.
 * Then the header is written, the text is spoken in mode 1, and the header
 * is rewritten to fit the data. Returns 0 when the text was spoken, else
 * the request's result (0 for malformed markup, -21, -41, or the engine's);
 * the last error then reads 0 after a spoken text, the request's code after
 * a failed one. Failures of the attribute, dictionary and option steps are
 * not reported. Calls may run on several threads at once, each writing its
 * own file; each holds one of its voice's channels while it runs.
 * ---------------------------------------------------------------------- */

/* Plain text. `dictionary` (may be null) is loaded into the channel for the
 * request, and the library-wide option defaults are applied to it. */
ORVN_API(int32_t)
ORVN_TextToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding, int32_t samplingRate,
                const char* text, const char* fileName, const char* attributes, const char* dictionary) ORVN_NOEXCEPT;

/* The Korean name and SMS readings (-12 for another language), with no
 * dictionary and no option defaults. */
ORVN_API(int32_t)
ORVN_NameToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding, int32_t samplingRate,
                const char* text, const char* fileName, const char* attributes) ORVN_NOEXCEPT;
ORVN_API(int32_t)
ORVN_SMSToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding, int32_t samplingRate,
               const char* text, const char* fileName, const char* attributes) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Audio headers and mixer
 *
 * Encoding index: 0 16-bit linear, 1 8-bit linear, 2 mu-law, 3 A-law,
 * 4 VOX ADPCM, 5 G.721 ADPCM. File type: 0 WAV, 1 AU, 2 headerless.
 * The header builders, sample encoders and rate converters need no
 * ORVN_Initialize, keep no state and never touch the last error, so any
 * thread may call them at any time. They do not check their pointers: a
 * positive count needs arrays of the sizes given.
 * ---------------------------------------------------------------------- */
#define ORVN_WAVE_HEADER_MAX 46
#define ORVN_AU_HEADER_BYTES 24

/* Writes a mono WAV header for `dataSize` data bytes into the caller's
 * `header` (ORVN_WAVE_HEADER_MAX bytes): 44 bytes for encodings 0 and 1, 46
 * (with cbSize) for 2 and 3. The rate and size are stored as unsigned.
 * Returns the length, or 0 (nothing written) for any other encoding. */
ORVN_API(int32_t)
ORVN_MakeWaveHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header) ORVN_NOEXCEPT;

/* Writes a mono big-endian AU header into the caller's `header`
 * (ORVN_AU_HEADER_BYTES bytes). Returns 24, or 0 (nothing written) for
 * encoding 4 or outside 0..5. */
ORVN_API(int32_t)
ORVN_MakeAuHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Sample encoders (16-bit mono input in host order). Each call codes its
 * input as a stream of its own: the ADPCM coders start every call from
 * their reset state. A count of 0 or less reads and writes nothing.
 * ---------------------------------------------------------------------- */

/* One byte per sample: G.711 mu-law, G.711 A-law, signed 8-bit (the high
 * byte) and unsigned 8-bit (offset 128). `out` holds count bytes and may be
 * the samples' own storage. Returns count, also when it is 0 or less. */
ORVN_API(int32_t) ORVN_uLawEnCoding(int32_t count, const int16_t* samples, uint8_t* out) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_aLawEnCoding(int32_t count, const int16_t* samples, uint8_t* out) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_Linear8EnCoding(int32_t count, const int16_t* samples, uint8_t* out) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_Linear8UnsignedEnCoding(int32_t count, const int16_t* samples, uint8_t* out) ORVN_NOEXCEPT;

/* Dialogic VOX ADPCM into count/2 bytes, the first sample of each pair in
 * the high nibble. First shifts every sample right by 4 in place (the coder
 * works on 12 bits); with an odd count the last sample is shifted but not
 * coded. `out` must not overlap `samples`.
 * Returns count/2, or 0 for a count of 0 or less. */
ORVN_API(int32_t) ORVN_VOXADPCMEnCoding(int32_t count, int16_t* samples, uint8_t* out) ORVN_NOEXCEPT;

/* G.721 32 kbit/s ADPCM into (count+1)/2 bytes, the first sample in the
 * high nibble; an odd count leaves the last low nibble 0.
 * Returns the bytes written, or 0 for a count of 0 or less. */
ORVN_API(int32_t) ORVN_ADPCMEnCoding(int32_t count, const int16_t* samples, uint8_t* out) ORVN_NOEXCEPT;

/* Decodes `count` bytes of G.721 codes, high nibble first, into 2*count
 * samples; `samples` must not overlap `bytes`.
 * Returns 2*count, or 0 for a count of 0 or less. */
ORVN_API(int32_t) ORVN_ADPCMDeCoding(int32_t count, const uint8_t* bytes, int16_t* samples) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Sampling-rate conversion (16-bit mono)
 *   16000 -> 8000 Hz  a fourth-order low-pass, then every second output:
 *                     count/2 samples, written to `out` and to the start of
 *                     `in`, whose other samples are cleared; `out` may be
 *                     `in`.
 *   8000 -> 16000 Hz  linear interpolation: 2*count samples to `out`, the
 *                     last input repeated; `in` is unchanged and must not
 *                     overlap `out`.
 * Any other pair returns -6 (not stored in the last error) and touches
 * nothing. A count of 0 or less touches no array and no state (they may be
 * null), and the result is still count/2 or 2*count.
 * ---------------------------------------------------------------------- */

/* Filter memory of one 16000 -> 8000 Hz stream, oldest first. The caller
 * owns it and keeps one per stream. */
typedef struct ORVN_ConvSamplingRateState {
  int16_t inputs[11];
  float outputs[11];
} ORVN_ConvSamplingRateState;

ORVN_STATIC_ASSERT_(offsetof(ORVN_ConvSamplingRateState, outputs) == 24, "state layout");
ORVN_STATIC_ASSERT_(sizeof(ORVN_ConvSamplingRateState) == 68, "state size");

/* Converts one buffer on its own: the filter starts from silence.
 * Returns count/2 or 2*count, or -6. */
ORVN_API(int32_t)
ORVN_ConvSamplingRate(int32_t count, int16_t* in, int16_t* out, int32_t srcRate, int32_t dstRate) ORVN_NOEXCEPT;

/* As ORVN_ConvSamplingRate; from 16000 to 8000 Hz the filter starts from
 * *state when continueFlag is non-zero (else from silence) and always
 * leaves its memory in *state, so consecutive chunks filter as one signal.
 * A null state filters from silence and keeps nothing. From 8000 to 16000 Hz
 * both are ignored. Threads converting at once need states of their own. */
ORVN_API(int32_t)
ORVN_ConvSamplingRateBuf(int32_t count, int16_t* in, int16_t* out, int32_t srcRate, int32_t dstRate,
                         int32_t continueFlag, ORVN_ConvSamplingRateState* state) ORVN_NOEXCEPT;

/* Joins two files of one kind into a third.
 *   firstFile, secondFile  the inputs. A WAV input has the header the
 *                 library writes (44 bytes, 46 for format tags 6 and 7), an
 *                 AU input a 24-byte one; their size fields are ignored and
 *                 the data runs to the end of the file.
 *   outputFile    created or truncated; must not be either input under any
 *                 name.
 *   samplingRate, encoding  fill the output's header (none when the
 *                 container has no header for the encoding) and are not
 *                 compared with the inputs'.
 *   fileType      0 WAV, 1 AU, 2 headerless, for all three files.
 *   mode          0 the second's data then the first's; 1 the first's then
 *                 the second's; 2 mixed sample by sample (encodings 0 and 1
 *                 only), the second repeated or cut to the first's length,
 *                 16-bit sums beyond full scale pulled back to +-32700, 8-bit
 *                 sums clamped; an empty second input leaves the first as it
 *                 is.
 * Returns 0 on success; 1 on failure, with the reason in the last error: -6
 * a name null or empty, fileType or mode out of range, mode 2 with another
 * encoding, the output naming an input; -1 a file cannot be opened or an
 * input is shorter than its header; -31 the inputs' headers disagree (WAV:
 * format tag, bits per sample; AU: magic, encoding, rate, channels); -2 no
 * memory. After a -6 no file is opened; after the others the output, if it
 * could be opened, is left empty.
 * Needs no ORVN_Initialize; success keeps the last error. Calls on
 * different files may run at once. */
ORVN_API(int32_t)
ORVN_AudioMixer(const char* firstFile, const char* secondFile, const char* outputFile, int32_t samplingRate,
                int32_t fileType, int32_t encoding, int32_t mode) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Text and output options
 *
 * With a channel, a setter passes its value to the channel's engine and a
 * getter reads it back; with a null channel they set or read the
 * library-wide default instead. Values are not range-checked and their
 * meaning is the engine's, except character set 1 and text format 1, which
 * the requests act on. The five byte options (text format, character set,
 * lip sync, highlight, byte swap) keep the low 8 bits and read back
 * sign-extended (255 reads as -1).
 * Setters return 1 (the engine's answer is not looked at); getters return
 * the value, which a negative error code cannot be told from.
 * Errors: -100, then for a non-null channel -13, -7, -10 as in the channel
 * check. Success keeps the last error.
 * Defaults: ORVN_Initialize sets them all to 0 but the sentence delimiter
 * (1). ORVN_TextToFile applies them to its channel: byte swap, character
 * set, text format, lip sync, read-gwalho and sentence delimiter only when
 * they are 1, the pause lengths always, the highlight never. Setting a
 * default changes no open channel. They are plain words without a lock.
 * ---------------------------------------------------------------------- */

/* Text format: 1 marks tagged text, whose tags requests in mode 1 remove. */
ORVN_API(int32_t) ORVN_SetTextFormat(ORVN_CHANNEL channel, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetTextFormat(ORVN_CHANNEL channel) ORVN_NOEXCEPT;
/* Character set: 1 means the channel takes UTF-8, which requests convert. */
ORVN_API(int32_t) ORVN_SetCharSet(ORVN_CHANNEL channel, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetCharSet(ORVN_CHANNEL channel) ORVN_NOEXCEPT;
/* Lip sync, highlight and byte swap: byte options for the engine. */
ORVN_API(int32_t) ORVN_SetLipSync(ORVN_CHANNEL channel, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetLipSync(ORVN_CHANNEL channel) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_SetHighLight(ORVN_CHANNEL channel, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetHighLight(ORVN_CHANNEL channel) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_SetByteSwap(ORVN_CHANNEL channel, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetByteSwap(ORVN_CHANNEL channel) ORVN_NOEXCEPT;
/* The two pause lengths, 32-bit each. */
ORVN_API(int32_t) ORVN_SetPauseLength(ORVN_CHANNEL channel, int32_t sentencePause, int32_t phrasePause) ORVN_NOEXCEPT;
/* Writes both pause lengths to the caller's ints and returns 1. Errors:
 * -100 when not initialised and also when either pointer is null (tested
 * before the channel); then as above. */
ORVN_API(int32_t) ORVN_GetPauseLength(ORVN_CHANNEL channel, int32_t* sentencePause, int32_t* phrasePause) ORVN_NOEXCEPT;
/* Read-gwalho and sentence delimiter at line feed: 32-bit options. */
ORVN_API(int32_t) ORVN_SetReadGwalho(ORVN_CHANNEL channel, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetReadGwalho(ORVN_CHANNEL channel) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_SetSentDelimLF(ORVN_CHANNEL channel, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetSentDelimLF(ORVN_CHANNEL channel) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * User dictionaries and effect database
 *
 * A user dictionary is a file that an engine loads into one channel; a user
 * effect database is loaded into a language's engine as a whole. Their
 * formats, modes and values are the engines'; paths are read during the
 * call only. No lock is taken.
 * ---------------------------------------------------------------------- */

/* Loads a user dictionary into a channel (ORVN_ChangeUserDict: replaces the
 * channel's current one). The engine writes the entry count, or on refusal
 * its reason, to *entriesOrReason and the line at fault to *faultLine.
 * Returns the engine's result; when that is 0 (refused), 10 is added to
 * *entriesOrReason so the reason cannot pass for a count.
 * Errors: channel check; -6 path null or empty, or either pointer null.
 * Success keeps the last error. */
ORVN_API(int32_t)
ORVN_LoadUserDict(ORVN_CHANNEL channel, const char* path, int32_t* entriesOrReason, int32_t* faultLine) ORVN_NOEXCEPT;
ORVN_API(int32_t)
ORVN_ChangeUserDict(ORVN_CHANNEL channel, const char* path, int32_t* entriesOrReason, int32_t* faultLine) ORVN_NOEXCEPT;

/* Unloads the channel's user dictionary.
 * Errors: channel check. Clears the last error on success. */
ORVN_API(void) ORVN_UnLoadUserDict(ORVN_CHANNEL channel) ORVN_NOEXCEPT;

/* Registers the dictionary that live-playback channels are to load,
 * replacing an earlier one; at most 255 bytes of the path are kept. A null
 * path keeps the current registration. No export of this build reads it
 * yet. Needs no ORVN_Initialize and never touches the last error; call it
 * from one thread at a time. */
ORVN_API(void) ORVN_RegisterUserDict(const char* path) ORVN_NOEXCEPT;

/* Withdraws the registration (the stored path is kept but no longer used).
 * Needs no ORVN_Initialize and never touches the last error. */
ORVN_API(void) ORVN_DeleteUserDict(void) ORVN_NOEXCEPT;

/* Loads a language's user effect database from two files, after unloading
 * the one it had. `mode` 0..2 and `option` go to the engine unchanged.
 * Returns the engine's result; any value but 0 means that a database is
 * loaded.
 * Errors: language check; -6 either path null or empty; -6 mode outside
 * 0..2. Once these pass, the last error is cleared. */
ORVN_API(int32_t)
ORVN_LoadUserEffDB(int32_t language, const char* effectPath, const char* indexPath, int32_t mode,
                   int32_t option) ORVN_NOEXCEPT;

/* Unloads the language's user effect database, if it has one.
 * Errors: language check. Clears the last error on success. */
ORVN_API(void) ORVN_UnLoadUserEffDB(int32_t language) ORVN_NOEXCEPT;

/* Sets or reads the engine's effect-tag reading. Both need exactly one
 * loaded speaker of the language: errors -100, -13, -10 otherwise. The
 * setter passes `value` only while an effect database is loaded, and clears
 * the last error on success; the getter returns the engine's value either
 * way and keeps the last error. */
ORVN_API(void) ORVN_SetEffectTagRead(int32_t language, int32_t value) ORVN_NOEXCEPT;
ORVN_API(int32_t) ORVN_GetEffectTagRead(int32_t language) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Live playback
 *
 * One playback at a time in the whole library: ORVN_PlayTTS speaks a text
 * aloud on the output device in the background and tells `window` how it
 * goes by posting `message` to it with wParam
 *    1  started (first thing the playback thread does),
 *    2  paused (posted by ORVN_PauseTTS),
 *    3  resumed (posted by ORVN_RestartTTS),
 *    4  finished: the text was spoken (or stopped), all queued audio has
 *       played, the device is closed and the channel released,
 *   -1  failed: no channel could be created, or the request failed,
 * and lParam 0. A window of 0 receives nothing from the playback thread
 * (pause and resume post their message whatever the window). On Windows
 * `window` is an HWND; on POSIX a window of ORVN_CreateNotifyWindow.
 *
 * Device errors during playback are shown in message boxes (see
 * ORVN_SetMessageBoxHandler) and the playback goes on.
 *
 * Call the four from one thread at a time. ORVN_UnInitialize stops a
 * running playback and waits for it; ORVN_Initialize does too, and then
 * forgets the last one.
 * ---------------------------------------------------------------------- */
typedef void* ORVN_WINDOW;

/* Starts speaking `text` (zero-terminated bytes, copied) with the voice
 * (language 0..3, speaker 0..10). `attributeTag` (may be null, copied) is
 * applied to the playback channel when it begins with "<". The library-wide
 * option defaults and a registered user dictionary are applied too. A
 * playback that is still running is stopped first; its window receives its
 * final notification before the new one's 1. Returns once the playback
 * thread has set up its channel, or after one second at the latest.
 * 0: started. 1: no memory for the text, no output device (its message box
 * has been shown) or no thread; the last error is not set. Failed checks:
 * -100 not initialised, -13 language, -14 speaker (not -7), -10 voice not
 * loaded, -6 text null or empty. */
ORVN_API(int32_t)
ORVN_PlayTTS(ORVN_WINDOW window, uint32_t message, const char* text, const char* attributeTag, int32_t language,
             int32_t speaker) ORVN_NOEXCEPT;
/* Stops the running playback: the queued audio is dropped, the engine ends
 * the request early, and the call returns once the playback thread has
 * ended (after its final notification). 0 stopped, 1 nothing was playing.
 * Needs no ORVN_Initialize and leaves the last error alone, as do the next
 * two. */
ORVN_API(int32_t) ORVN_StopTTS(void) ORVN_NOEXCEPT;
/* Pauses the output device and posts 2. 0 paused, 1 nothing was playing.
 * Synthesis goes on until 18 buffers (9 s at 16000 Hz) are queued. */
ORVN_API(int32_t) ORVN_PauseTTS(void) ORVN_NOEXCEPT;
/* Resumes a paused playback and posts 3. 0 resumed, 1 nothing was paused. */
ORVN_API(int32_t) ORVN_RestartTTS(void) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Extension: live playback
 *
 * These work before ORVN_Initialize and set no last error.
 * ---------------------------------------------------------------------- */

/* The output device of the next playback: NULL or "default" the system
 * default, "null" a device that consumes audio in real time and discards it
 * (servers, tests), any other name an ALSA device name such as "hw:1,0" or
 * "pulse" (on Windows: ignored unless "null"). 0 on success, -6 for a name
 * longer than 255 bytes (the choice stays as it was). */
ORVN_API(int32_t) ORVN_SetAudioDevice(const char* name) ORVN_NOEXCEPT;

/* A notification window bound to a callback: every message posted to it
 * (PostMessage on Windows; the library's own posts on POSIX) reaches
 * callback(userData, window, message, wParam, lParam) in the order posted,
 * on a thread of the window's own, never the poster's. A post never waits
 * for the callback. Null for a null callback or when no thread or window
 * can be had. */
typedef void(ORVN_CDECL* ORVN_NotifyCallback)(void* userData, ORVN_WINDOW window, uint32_t message, intptr_t wParam,
                                              intptr_t lParam);
ORVN_API(ORVN_WINDOW) ORVN_CreateNotifyWindow(ORVN_NotifyCallback callback, void* userData) ORVN_NOEXCEPT;
/* Destroys it: messages still queued for it are dropped, later posts to it
 * are dropped, and the call returns once no callback for it runs (at once
 * when called from that callback). Unknown windows are ignored. */
ORVN_API(void) ORVN_DestroyNotifyWindow(ORVN_WINDOW window) ORVN_NOEXCEPT;

/* Replaces the message box of device errors: handler(userData, caption,
 * text) is called instead, on the thread that hit the error, and the
 * operation goes on when it returns. NULL restores the default (MessageBoxA
 * owned by the focused window on Windows; caption and text on standard
 * error on POSIX). The strings are valid during the call only. */
typedef void(ORVN_CDECL* ORVN_MessageBoxHandler)(void* userData, const char* caption, const char* text);
ORVN_API(void) ORVN_SetMessageBoxHandler(ORVN_MessageBoxHandler handler, void* userData) ORVN_NOEXCEPT;

/* ------------------------------------------------------------------------
 * Extension: voice capacity
 * ---------------------------------------------------------------------- */

/* Sets what the next load of (language, speaker) records; voices already
 * loaded keep their values. Each speaker 0..9 starts with a channel limit of
 * 64 and a text limit of 0; speaker 10 never has channels.
 *   language      0..3.
 *   speaker       0..9.
 *   channelLimit  0 or more; 0 withdraws the speaker from loading.
 *   textLimit     the longest text in bytes after conversion; 0 no limit.
 * Returns 0. Errors: -13, -7, -6 negative channel limit. Needs no
 * ORVN_Initialize; success keeps the last error. A load running at the same
 * time may take either value of each limit. */
ORVN_API(int32_t)
ORVN_SetVoiceCapacity(int32_t language, int32_t speaker, int32_t channelLimit, uint32_t textLimit) ORVN_NOEXCEPT;

#if defined(__cplusplus)
} /* extern "C" */
#endif

#endif /* ORVEN_API_H */
