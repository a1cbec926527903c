// The encoding indexes and file types shared by the file entries, the
// headers, the output step and the mixer.
#pragma once

#include <cstdint>

namespace orven::audio {

enum Encoding : int32_t {
  kLinear16 = 0,
  kLinear8 = 1,
  kMuLaw = 2,
  kALaw = 3,
  kVoxAdpcm = 4,
  kG721Adpcm = 5,
};

// File types; the file entries treat every other value as headerless.
enum FileType : int32_t { kWaveFile = 0, kAuFile = 1, kHeaderless = 2 };

}  // namespace orven::audio
