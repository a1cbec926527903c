/*
 * orven_api.h - the public interface of ORVEN_M.
 *
 * ORVEN_M is a text-to-speech library for Korean, English, Chinese and
 * Japanese with one flat C interface. Every export is named ORVN_*, takes
 * 32-bit arguments and reports failures as negative codes that are also kept
 * in one library-wide last error (ORVN_GetError).
 *
 * Ownership: records and arrays passed in (ORVN_EngineInfo, ORVN_DbInfo,
 * output pointers) belong to the caller. Channel handles belong to the
 * language engines from ORVN_CreateThread until ORVN_DeleteThread; pass a
 * handle only while its channel exists, and delete it once.
 *
 * Calling conventions: on 32-bit Windows every export is __stdcall with an
 * undecorated name; synthesis callbacks are always the C convention.
 */
#ifndef ORVEN_API_H
#define ORVEN_API_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(ORVEN_BUILDING_LIBRARY)
#    define ORVN_EXPORT_ __declspec(dllexport)
#  else
#    define ORVN_EXPORT_ __declspec(dllimport)
#  endif
#  if !defined(_WIN64)
#    define ORVN_STDCALL_ __stdcall
#    define ORVN_CDECL __cdecl
#  else
#    define ORVN_STDCALL_
#    define ORVN_CDECL
#  endif
#else
#  define ORVN_EXPORT_ __attribute__((visibility("default")))
#  define ORVN_STDCALL_
#  define ORVN_CDECL
#endif

/* The one export macro: ORVN_API(return type) name(arguments). */
#define ORVN_API(type) ORVN_EXPORT_ type ORVN_STDCALL_

#if defined(__cplusplus)
#  define ORVN_STATIC_ASSERT_(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#  define ORVN_STATIC_ASSERT_(cond, msg) _Static_assert(cond, msg)
#endif

/* ------------------------------------------------------------------------
 * Error codes: (code, name, meaning). Tools and tests expand this table
 * for names and texts; the enum below is the same table.
 * ---------------------------------------------------------------------- */
#define ORVN_ERROR_TABLE(X) \
  X(0,    ORVN_OK,                   "success") \
  X(-1,   ORVN_ERR_FILE_OPEN,        "an output or input file cannot be opened") \
  X(-2,   ORVN_ERR_NO_MEMORY,        "no memory for the file-output context") \
  X(-3,   ORVN_ERR_CHANNEL_CREATE,   "the language engine did not create a synthesis channel") \
  X(-6,   ORVN_ERR_INVALID_ARG,      "invalid argument: a required pointer is null, a required text or path is empty, or an argument combination is not allowed") \
  X(-7,   ORVN_ERR_SPEAKER,          "speaker index outside 0..10") \
  X(-8,   ORVN_ERR_NULL_HANDLE,      "channel handle is null") \
  X(-9,   ORVN_ERR_CHANNEL_LIMIT,    "the speaker already has its channel limit of channels open") \
  X(-10,  ORVN_ERR_NOT_LOADED,       "voice not loaded") \
  X(-11,  ORVN_ERR_RANGE,            "value out of range") \
  X(-12,  ORVN_ERR_KOREAN_ONLY,      "the operation is offered for the Korean language only") \
  X(-13,  ORVN_ERR_LANGUAGE,         "language index outside 0..3") \
  X(-14,  ORVN_ERR_PLAY_SPEAKER,     "speaker index outside 0..10 (live playback)") \
  X(-21,  ORVN_ERR_CONVERSION,       "the text cannot be converted to the engine's character set") \
  X(-22,  ORVN_ERR_MARKUP,           "the text's tag markup is malformed") \
  X(-31,  ORVN_ERR_FORMAT_MISMATCH,  "the two inputs of the mixer have different audio formats") \
  X(-41,  ORVN_ERR_TEXT_LIMIT,       "the converted text is longer than the speaker's text limit") \
  X(-100, ORVN_ERR_NOT_INITIALIZED,  "the library is not initialised")

#define ORVN_ERROR_ENUM_(code, name, meaning) name = (code),
enum ORVN_ErrorCode { ORVN_ERROR_TABLE(ORVN_ERROR_ENUM_) ORVN_ERROR_END_ = 1 };
#undef ORVN_ERROR_ENUM_

/* ------------------------------------------------------------------------
 * Indexes
 * ---------------------------------------------------------------------- */
enum ORVN_Language {
  ORVN_KOREAN = 0,
  ORVN_ENGLISH = 1,
  ORVN_CHINESE = 2,
  ORVN_JAPANESE = 3
};

#define ORVN_LANGUAGE_COUNT 4
#define ORVN_SPEAKER_COUNT 11 /* speakers 0..10; only 0..9 can ever be loaded */

/* ------------------------------------------------------------------------
 * Channel handle and synthesis callback
 * ---------------------------------------------------------------------- */

/* A channel handle points at an engine-owned record that starts with these
 * two fields; everything after them belongs to the engine. */
typedef struct ORVN_ChannelHead {
  int32_t language;
  int32_t speaker;
} ORVN_ChannelHead;

typedef void* ORVN_CHANNEL;

/* One piece of synthesised audio: byteCount bytes of 16-bit signed mono PCM
 * at the voice's sampling rate, valid only during the callback. */
typedef struct ORVN_PcmChunk {
  int32_t byteCount;
  const int16_t* samples;
} ORVN_PcmChunk;

/* Called by the engine from inside a speak request, once per chunk. */
typedef int32_t(ORVN_CDECL* ORVN_SynthesisCallback)(void* userData, ORVN_PcmChunk* chunk);

/* ------------------------------------------------------------------------
 * Information records (exact external layouts)
 * ---------------------------------------------------------------------- */
typedef struct ORVN_EngineInfo {
  char engineText1[40];    /* offset 0 */
  char engineText2[40];    /* offset 40 */
  char engineText3[20];    /* offset 80 */
  char engineByte;         /* offset 100 */
  char libraryVersion[40]; /* offset 101: "Ver 3.4.1.5.0.1" */
} ORVN_EngineInfo;

typedef struct ORVN_DbInfo {
  int32_t dbStatus;     /* -1: no database information */
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

/* Clears the last error, resets the library-wide option defaults, marks
 * the library initialised and clears the live playback record (stopping a
 * playback that still runs). Leaves loaded voices alone. Always 0. */
ORVN_API(int32_t) ORVN_Initialize(void);
/* Marks the library uninitialised (-100 if it was not initialised), after
 * stopping a running playback. Voices and channels stay as they are. */
ORVN_API(void) ORVN_UnInitialize(void);
/* The last error; never changes it. */
ORVN_API(int32_t) ORVN_GetError(void);

/* ------------------------------------------------------------------------
 * Loading voices
 * ---------------------------------------------------------------------- */

/* Loads every available speaker 0..9 of a language from a database
 * directory. 0: something is loaded; 1: nothing could be loaded. */
ORVN_API(int32_t) ORVN_LoadEngine(int32_t language, const char* databasePath, uint32_t loadOption);
/* Loads one speaker. 0: loaded (or already loaded); 1: refused. */
ORVN_API(int32_t) ORVN_LoadEngineEx(int32_t language, int32_t speaker, const char* databasePath,
                                    uint32_t loadOption);
ORVN_API(void) ORVN_UnLoadEngine(int32_t language);
ORVN_API(void) ORVN_UnLoadEngineEx(int32_t language, int32_t speaker);

/* ------------------------------------------------------------------------
 * Synthesis channels
 * ---------------------------------------------------------------------- */

/* Opens a channel on a loaded voice; the engine will call `callback` with
 * `userData` for every chunk of audio. Null on failure (see ORVN_GetError). */
ORVN_API(ORVN_CHANNEL) ORVN_CreateThread(void* userData, ORVN_SynthesisCallback callback,
                                         int32_t language, int32_t speaker);
ORVN_API(void) ORVN_DeleteThread(ORVN_CHANNEL channel);
ORVN_API(void) ORVN_GetChannelInfo(int32_t language, int32_t* channelsInUse, int32_t* channelCapacity);
ORVN_API(void) ORVN_GetChannelInfoEx(int32_t language, int32_t speaker, int32_t* openChannels,
                                     int32_t* channelLimit);

/* ------------------------------------------------------------------------
 * Engine information
 * ---------------------------------------------------------------------- */
ORVN_API(void) ORVN_GetEngineInfo(int32_t language, ORVN_EngineInfo* info);
ORVN_API(void) ORVN_GetDBInfo(int32_t language, int32_t speaker, ORVN_DbInfo* info);
/* The speaker's text limit in bytes after conversion (0: none), or a code. */
ORVN_API(int32_t) ORVN_GetTextLimitLength(int32_t language, int32_t speaker);

/* ------------------------------------------------------------------------
 * Text requests
 *
 * The text is a zero-terminated byte string. When the channel's engine
 * reports character set 1, it is UTF-8 and is converted to the engine's own
 * code (code page 949, UTF-8 for English, 936, Shift_JIS); when it reports
 * text format 1 and mode is 1, <...> markup is removed first. The result is
 * the engine's (1: spoken), 0 for malformed markup (last error -22), or a
 * negative code. The audio arrives in the channel's callback before the
 * call returns.
 * ---------------------------------------------------------------------- */
ORVN_API(int32_t) ORVN_TextToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode);
/* Asks the engine to end a running request early; 1 once asked. */
ORVN_API(int32_t) ORVN_StopTextToSpeech(ORVN_CHANNEL channel);
/* Korean only (-12 otherwise): the engine's name and SMS readings. */
ORVN_API(int32_t) ORVN_NameToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode);
ORVN_API(int32_t) ORVN_SMSToSpeech(ORVN_CHANNEL channel, const char* text, int32_t mode);

/* ------------------------------------------------------------------------
 * PCM buffer mode: as above, with the engine delivering chunks of `size`
 * bytes (1024..64000, else -11) for the span of one request. Once the
 * request has run, the last error reads 0; the result tells the outcome.
 * ---------------------------------------------------------------------- */
ORVN_API(int32_t) ORVN_TextToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size);
ORVN_API(int32_t) ORVN_NameToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size);
ORVN_API(int32_t) ORVN_SMSToPcmBuf(ORVN_CHANNEL channel, const char* text, int32_t mode, int32_t size);

/* ------------------------------------------------------------------------
 * Voice attributes and speaker
 *
 * Volume 0..200, speed 50..200, pitch 80..120 (else -11) become attribute
 * tags for ORVN_ChangeAttr. The results are the engine's own.
 * ---------------------------------------------------------------------- */
ORVN_API(int32_t) ORVN_SetVolume(ORVN_CHANNEL channel, int32_t volume);
ORVN_API(int32_t) ORVN_SetSpeed(ORVN_CHANNEL channel, int32_t speed);
ORVN_API(int32_t) ORVN_SetPitch(ORVN_CHANNEL channel, int32_t pitch);
/* Hands any attribute tag text (e.g. "<speed=\"120\">") to the engine. */
ORVN_API(int32_t) ORVN_ChangeAttr(ORVN_CHANNEL channel, const char* attributeTag);
/* Moves the channel to another loaded speaker of its language. */
ORVN_API(int32_t) ORVN_ChangeSpeaker(ORVN_CHANNEL channel, int32_t speaker);
ORVN_API(int32_t) ORVN_GetPitchDefault(int32_t language, int32_t speaker, int32_t* out1, int32_t* out2);
ORVN_API(int32_t) ORVN_GetSpeedDefault(int32_t language, int32_t* out1, int32_t* out2);
ORVN_API(int32_t) ORVN_GetVolumeDefault(int32_t language, int32_t* out1, int32_t* out2);

/* ------------------------------------------------------------------------
 * File synthesis
 *
 * Renders a text into `fileName` with the voice (language, speaker): file
 * type 0 WAV, 1 AU, anything else headerless; encoding as for the headers
 * (VOX only in headerless files, else -6); `samplingRate` the file's rate
 * (the voice's own, 8000 from a 16000 Hz voice, 16000 from an 8000 Hz voice,
 * or any rate below the voice's). `attributes` (may be null) is applied
 * when it starts with "<"; `dictionary` (may be null) is loaded for the
 * request. 0 when the text was spoken, else the request's result or a
 * negative code (-1 the file cannot be created, -3 no channel: the empty
 * file stays). The file always ends with a header that fits its data.
 * ---------------------------------------------------------------------- */
ORVN_API(int32_t) ORVN_TextToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                                  int32_t samplingRate, const char* text, const char* fileName,
                                  const char* attributes, const char* dictionary);
/* Korean only (-12 otherwise). */
ORVN_API(int32_t) ORVN_NameToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                                  int32_t samplingRate, const char* text, const char* fileName,
                                  const char* attributes);
ORVN_API(int32_t) ORVN_SMSToFile(int32_t language, int32_t speaker, int32_t fileType, int32_t encoding,
                                 int32_t samplingRate, const char* text, const char* fileName,
                                 const char* attributes);

/* ------------------------------------------------------------------------
 * Audio headers and mixer
 *
 * Encoding index: 0 16-bit linear, 1 8-bit linear, 2 mu-law, 3 A-law,
 * 4 VOX ADPCM, 5 G.721 ADPCM. File type: 0 WAV, 1 AU, 2 headerless.
 * These exports do not need ORVN_Initialize.
 * ---------------------------------------------------------------------- */
#define ORVN_WAVE_HEADER_MAX 46
#define ORVN_AU_HEADER_BYTES 24

/* A mono WAV header (44 bytes for encodings 0 and 1, 46 for 2 and 3) into
 * `header` (46 bytes of room); returns its length, or 0 for 4 and 5. */
ORVN_API(int32_t) ORVN_MakeWaveHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header);
/* A mono 24-byte AU header; returns 24, or 0 for encoding 4 or outside 0..5. */
ORVN_API(int32_t) ORVN_MakeAuHeader(int32_t encoding, int32_t samplingRate, int32_t dataSize, void* header);

/* ------------------------------------------------------------------------
 * Sample encoders (16-bit mono input). They keep no state between calls:
 * the ADPCM coders start every call from their reset state. A count of 0
 * or less writes nothing (G.711 and 8-bit forms return the count given,
 * the ADPCM coders 0).
 * ---------------------------------------------------------------------- */
/* One byte per sample: G.711 mu-law, A-law, signed and unsigned 8-bit. */
ORVN_API(int32_t) ORVN_uLawEnCoding(int32_t count, const int16_t* samples, uint8_t* out);
ORVN_API(int32_t) ORVN_aLawEnCoding(int32_t count, const int16_t* samples, uint8_t* out);
ORVN_API(int32_t) ORVN_Linear8EnCoding(int32_t count, const int16_t* samples, uint8_t* out);
ORVN_API(int32_t) ORVN_Linear8UnsignedEnCoding(int32_t count, const int16_t* samples, uint8_t* out);
/* Dialogic VOX ADPCM, two samples per byte (count/2 bytes; an odd last
 * sample is not coded). Shifts `samples` right by 4 in place. */
ORVN_API(int32_t) ORVN_VOXADPCMEnCoding(int32_t count, int16_t* samples, uint8_t* out);
/* G.721 32 kbit/s ADPCM, first sample in the high nibble: (count+1)/2 bytes. */
ORVN_API(int32_t) ORVN_ADPCMEnCoding(int32_t count, const int16_t* samples, uint8_t* out);
/* Decodes `count` bytes of G.721 codes into 2*count samples. */
ORVN_API(int32_t) ORVN_ADPCMDeCoding(int32_t count, const uint8_t* bytes, int16_t* samples);

/* ------------------------------------------------------------------------
 * Sampling-rate conversion (16-bit mono). 16000 -> 8000 Hz low-pass filters
 * and halves (count/2 samples; `in` is overwritten with the results and
 * cleared after them); 8000 -> 16000 Hz interpolates (2*count samples).
 * Any other pair: -6, arrays untouched. A count of 0 or less converts
 * nothing and returns 0.
 * ---------------------------------------------------------------------- */

/* Filter memory of one 16000 -> 8000 Hz stream, oldest first. */
typedef struct ORVN_ConvSamplingRateState {
  int16_t inputs[11];
  float outputs[11];
} ORVN_ConvSamplingRateState;

ORVN_STATIC_ASSERT_(offsetof(ORVN_ConvSamplingRateState, outputs) == 24, "state layout");
ORVN_STATIC_ASSERT_(sizeof(ORVN_ConvSamplingRateState) == 68, "state size");

ORVN_API(int32_t) ORVN_ConvSamplingRate(int32_t count, int16_t* in, int16_t* out, int32_t srcRate, int32_t dstRate);
/* As above; the 16000 -> 8000 Hz filter starts from `state` when
 * continueFlag is non-zero (else from silence) and always leaves its memory
 * there, so consecutive chunks filter as one signal. */
ORVN_API(int32_t) ORVN_ConvSamplingRateBuf(int32_t count, int16_t* in, int16_t* out, int32_t srcRate,
                                           int32_t dstRate, int32_t continueFlag,
                                           ORVN_ConvSamplingRateState* state);

/* Joins two files of one kind into a third. mode 0: the second file's data
 * then the first's; 1: the first's then the second's; 2: mixed sample by
 * sample (encodings 0 and 1 only), the second repeated or cut to the first's
 * length. 0 on success; 1 on failure, with the reason in the last error:
 * -6 bad argument (also a mode outside 0..2), -1 a file cannot be opened or
 * is shorter than its container's header, -31 the inputs' headers disagree,
 * -2 no memory. Mixing with an empty second input leaves the first as it is. */
ORVN_API(int32_t) ORVN_AudioMixer(const char* firstFile, const char* secondFile, const char* outputFile,
                                  int32_t samplingRate, int32_t fileType, int32_t encoding, int32_t mode);

/* ------------------------------------------------------------------------
 * Text and output options
 *
 * With a channel, the value goes to (or comes from) the channel's engine;
 * with a null channel, the library-wide default is set or read instead.
 * Defaults apply to the channels the library opens itself. The five byte
 * options (text format, character set, lip sync, highlight, byte swap) use
 * the low 8 bits of the value and read back sign-extended. Setters return 1.
 * ---------------------------------------------------------------------- */
ORVN_API(int32_t) ORVN_SetTextFormat(ORVN_CHANNEL channel, int32_t value);
ORVN_API(int32_t) ORVN_GetTextFormat(ORVN_CHANNEL channel);
ORVN_API(int32_t) ORVN_SetCharSet(ORVN_CHANNEL channel, int32_t value);
ORVN_API(int32_t) ORVN_GetCharSet(ORVN_CHANNEL channel);
ORVN_API(int32_t) ORVN_SetLipSync(ORVN_CHANNEL channel, int32_t value);
ORVN_API(int32_t) ORVN_GetLipSync(ORVN_CHANNEL channel);
ORVN_API(int32_t) ORVN_SetHighLight(ORVN_CHANNEL channel, int32_t value);
ORVN_API(int32_t) ORVN_GetHighLight(ORVN_CHANNEL channel);
ORVN_API(int32_t) ORVN_SetByteSwap(ORVN_CHANNEL channel, int32_t value);
ORVN_API(int32_t) ORVN_GetByteSwap(ORVN_CHANNEL channel);
ORVN_API(int32_t) ORVN_SetPauseLength(ORVN_CHANNEL channel, int32_t first, int32_t second);
/* -100 also when either output pointer is null. */
ORVN_API(int32_t) ORVN_GetPauseLength(ORVN_CHANNEL channel, int32_t* first, int32_t* second);
ORVN_API(int32_t) ORVN_SetReadGwalho(ORVN_CHANNEL channel, int32_t value);
ORVN_API(int32_t) ORVN_GetReadGwalho(ORVN_CHANNEL channel);
ORVN_API(int32_t) ORVN_SetSentDelimLF(ORVN_CHANNEL channel, int32_t value);
ORVN_API(int32_t) ORVN_GetSentDelimLF(ORVN_CHANNEL channel);

/* ------------------------------------------------------------------------
 * User dictionaries and effect database
 * ---------------------------------------------------------------------- */

/* Loads (or replaces) a channel's user dictionary. The engine's result is
 * returned; when it is 0, 10 is added to *first. */
ORVN_API(int32_t) ORVN_LoadUserDict(ORVN_CHANNEL channel, const char* path, int32_t* first, int32_t* second);
ORVN_API(int32_t) ORVN_ChangeUserDict(ORVN_CHANNEL channel, const char* path, int32_t* first, int32_t* second);
ORVN_API(void) ORVN_UnLoadUserDict(ORVN_CHANNEL channel);
/* The dictionary live playback loads into its channels (at most 255 bytes
 * are kept). A null path keeps the current registration. */
ORVN_API(void) ORVN_RegisterUserDict(const char* path);
ORVN_API(void) ORVN_DeleteUserDict(void);
/* Loads a language's user effect database from two files; mode 0..2. */
ORVN_API(int32_t) ORVN_LoadUserEffDB(int32_t language, const char* path1, const char* path2, int32_t mode,
                                     int32_t value);
ORVN_API(void) ORVN_UnLoadUserEffDB(int32_t language);
/* Need exactly one loaded speaker of the language. */
ORVN_API(void) ORVN_SetEffectTagRead(int32_t language, int32_t value);
ORVN_API(int32_t) ORVN_GetEffectTagRead(int32_t language);

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
ORVN_API(int32_t) ORVN_PlayTTS(ORVN_WINDOW window, uint32_t message, const char* text, const char* attributeTag,
                               int32_t language, int32_t speaker);
/* Stops the running playback: the queued audio is dropped, the engine ends
 * the request early, and the call returns once the playback thread has
 * ended (after its final notification). 0 stopped, 1 nothing was playing.
 * Needs no ORVN_Initialize and leaves the last error alone, as do the next
 * two. */
ORVN_API(int32_t) ORVN_StopTTS(void);
/* Pauses the output device and posts 2. 0 paused, 1 nothing was playing.
 * Synthesis goes on until 18 buffers (9 s at 16000 Hz) are queued. */
ORVN_API(int32_t) ORVN_PauseTTS(void);
/* Resumes a paused playback and posts 3. 0 resumed, 1 nothing was paused. */
ORVN_API(int32_t) ORVN_RestartTTS(void);

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
ORVN_API(int32_t) ORVN_SetAudioDevice(const char* name);

/* A notification window bound to a callback: every message posted to it
 * (PostMessage on Windows; the library's own posts on POSIX) reaches
 * callback(userData, window, message, wParam, lParam) in the order posted,
 * on a thread of the window's own, never the poster's. A post never waits
 * for the callback. Null for a null callback or when no thread or window
 * can be had. */
typedef void(ORVN_CDECL* ORVN_NotifyCallback)(void* userData, ORVN_WINDOW window, uint32_t message,
                                              intptr_t wParam, intptr_t lParam);
ORVN_API(ORVN_WINDOW) ORVN_CreateNotifyWindow(ORVN_NotifyCallback callback, void* userData);
/* Destroys it: messages still queued for it are dropped, later posts to it
 * are dropped, and the call returns once no callback for it runs (at once
 * when called from that callback). Unknown windows are ignored. */
ORVN_API(void) ORVN_DestroyNotifyWindow(ORVN_WINDOW window);

/* Replaces the message box of device errors: handler(userData, caption,
 * text) is called instead, on the thread that hit the error, and the
 * operation goes on when it returns. NULL restores the default (MessageBoxA
 * owned by the focused window on Windows; caption and text on standard
 * error on POSIX). The strings are valid during the call only. */
typedef void(ORVN_CDECL* ORVN_MessageBoxHandler)(void* userData, const char* caption, const char* text);
ORVN_API(void) ORVN_SetMessageBoxHandler(ORVN_MessageBoxHandler handler, void* userData);

/* ------------------------------------------------------------------------
 * Extension: voice capacity
 *
 * Each speaker 0..9 of each language starts with a channel limit of 64 and a
 * text limit of 0 (no limit); speaker 10 never has channels. This changes
 * what the next load of that speaker records. Works before ORVN_Initialize.
 * 0 on success (last error untouched); -13 bad language, -7 bad speaker,
 * -6 negative channel limit. A channel limit of 0 withdraws the speaker:
 * loading skips it and ORVN_LoadEngineEx answers 1 without asking the engine.
 * ---------------------------------------------------------------------- */
ORVN_API(int32_t) ORVN_SetVoiceCapacity(int32_t language, int32_t speaker, int32_t channelLimit,
                                        uint32_t textLimit);

#if defined(__cplusplus)
} /* extern "C" */
#endif

#endif /* ORVEN_API_H */
