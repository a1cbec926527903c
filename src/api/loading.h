// Voice loading internals shared with the effect database exports.
#pragma once

#include <cstdint>
#include <string>

namespace orven {

// Unloads the language's user effect database if one is loaded. Takes no
// lock and leaves the last error alone.
void UnloadEffectDatabase(int32_t language);

// The directory string an engine's load operation receives: the path made
// absolute when it can be (else as given), ending in one path separator.
std::string BuildDatabaseDirectory(const char* path);

}  // namespace orven
