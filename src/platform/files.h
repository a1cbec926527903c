// What the file system knows about paths, beyond opening them.
#pragma once

namespace orven::platform {

// True when both paths name one existing file, whatever the spelling (links,
// relative and absolute forms, case on case-insensitive systems). False when
// either does not exist or cannot be examined. Opens neither for reading or
// writing.
bool SameFile(const char* first, const char* second) noexcept;

}  // namespace orven::platform
