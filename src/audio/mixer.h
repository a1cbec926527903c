// The audio mixer's work: two files of one kind appended in either order,
// or mixed sample by sample with the second repeated or cut to the first's
// length, into a third.
#pragma once

#include <cstdint>

namespace orven::audio {

enum MixMode : int32_t { kSecondThenFirst = 0, kFirstThenSecond = 1, kMix = 2 };

// Arguments already checked: three non-empty paths, a file type 0..2, a
// mode 0..2, and for kMix an encoding 0 or 1. All three files are opened
// before any is read (an output that could be opened is left empty when an
// input cannot be). Returns 0, or -1 (a file cannot be opened, or an input
// is shorter than its container's header), -31 (the inputs' headers
// disagree), -2 (no memory).
int32_t MixFiles(const char* firstFile, const char* secondFile, const char* outputFile, int32_t samplingRate,
                 int32_t fileType, int32_t encoding, int32_t mode);

}  // namespace orven::audio
