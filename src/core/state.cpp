// The library-wide values, in static storage: zero (or their initial value)
// when the library is loaded, before any export runs.
#include "core/engine_table.h"
#include "core/library.h"
#include "core/option_defaults.h"
#include "core/registered_dictionary.h"

namespace orven {

LibraryState g_library;
LanguageEntry g_engineTable[ORVN_LANGUAGE_COUNT];
OptionDefaults g_optionDefaults;
RegisteredDictionary g_registeredDictionary;

}  // namespace orven
