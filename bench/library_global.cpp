// The library's last error, for programs that build the text routines from
// their sources without the rest of the library.
#include "api/library.h"

namespace orven {
LibraryState g_library;
}  // namespace orven
