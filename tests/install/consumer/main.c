/* A program built against an installed ORVEN_M: speaks one sentence with the
 * English diagnostic voice into a WAV file. Usage: consumer VOICES OUT.wav */
#include <stdio.h>

#include "orven_api.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  ORVN_Initialize();
  if (ORVN_LoadEngineEx(ORVN_ENGLISH, 9, argv[1], 0) != 0) {
    fprintf(stderr, "no voice in %s\n", argv[1]);
    return 1;
  }
  const int32_t result = ORVN_TextToFile(ORVN_ENGLISH, 9, 0, 0, 16000, "installed", argv[2], NULL, NULL);
  ORVN_UnLoadEngine(ORVN_ENGLISH);
  ORVN_UnInitialize();
  return result == 0 ? 0 : 1;
}
