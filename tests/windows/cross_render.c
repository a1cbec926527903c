/*
 * cross_render - renders the same requests on every language's tone voice
 * (speaker 9) into one file per output format, so that the files of two
 * builds (Linux and Windows) can be compared byte for byte.
 *
 *   orven_cross_render VOICES_DIR OUTPUT_DIR
 *
 * Plain C on the public header only: it is what an application compiled
 * against the header sees, calling convention included. Exit status 0 when
 * every file was written, 1 otherwise.
 */
#include <stdio.h>
#include <string.h>

#include "orven_api.h"

typedef struct Format {
  const char* suffix;
  int32_t fileType, encoding, samplingRate;
} Format;

/* 16 kHz linear WAV is the voice's own samples; the others go through the
 * 16 -> 8 kHz filter (floating point) and the three coders. */
static const Format kFormats[] = {
    {"linear16k.wav", 0, 0, 16000},
    {"mulaw8k.wav", 0, 2, 8000},
    {"g721-8k.au", 1, 5, 8000},
    {"vox8k.raw", 2, 4, 8000},
};

/* UTF-8 texts: Korean, Chinese and Japanese also pass through the code-page
 * conversion; the tags change speed, pitch and volume mid-text. */
static const struct {
  const char* name;
  const char* text;
} kLanguages[ORVN_LANGUAGE_COUNT] = {
    {"kor", "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94. <speed=\"150\">ORVEN 3.4"},
    {"eng", "Hello, world. <pitch=\"110\">The quick brown fox; <volume=\"60\">42!"},
    {"chi", "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C\xE3\x80\x82 <speed=\"80\">abc"},
    {"jap", "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF\xE3\x80\x82\xEF\xBD\xB1 <pitch=\"90\">123"},
};

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s VOICES_DIR OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  int failures = 0;
  ORVN_Initialize();
  /* The file entries apply the library-wide default: UTF-8 input. */
  ORVN_SetCharSet(NULL, 1);
  for (int32_t language = 0; language < ORVN_LANGUAGE_COUNT; ++language) {
    if (ORVN_LoadEngineEx(language, 9, argv[1], 0) != 0) {
      fprintf(stderr, "%s: ORVN_LoadEngineEx(%d, 9, \"%s\") failed\n", argv[0], language, argv[1]);
      ++failures;
      continue;
    }
    for (size_t f = 0; f < sizeof kFormats / sizeof kFormats[0]; ++f) {
      char path[1024];
      snprintf(path, sizeof path, "%s/%s-%s", argv[2], kLanguages[language].name, kFormats[f].suffix);
      const int32_t result = ORVN_TextToFile(language, 9, kFormats[f].fileType, kFormats[f].encoding,
                                             kFormats[f].samplingRate, kLanguages[language].text, path, NULL, NULL);
      if (result != 0) {
        fprintf(stderr, "%s: ORVN_TextToFile into %s returned %d\n", argv[0], path, result);
        ++failures;
      }
    }
    ORVN_UnLoadEngineEx(language, 9);
  }
  ORVN_UnInitialize();
  return failures == 0 ? 0 : 1;
}
