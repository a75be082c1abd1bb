// The user's temporary folder, cached process-wide in a short and a long form, and the
// library's own folder inside it.
#pragma once
#include "foundation/string.h"

namespace ovut {

// GetTempPathW (or %TEMP%), always ending in a backslash. The long form is converted with
// GetLongPathNameW; both are computed once per process.
String TempFolder(bool longForm);

// "<long temporary folder>Orvask\", created when missing; the temporary folder itself when the
// folder cannot be created.
String LibraryTempFolder();

// Forgets the cached forms (tests that change %TEMP%).
void ResetTempFolderCache();

}  // namespace ovut
