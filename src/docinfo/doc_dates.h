// Dates of document properties to the local SYSTEMTIME the fields hold.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace docinfo {

// A written time with its zone (minutes east of UTC) to local time. False when the fields are
// not a valid date and time.
bool ZonedToLocal(const SYSTEMTIME& written, int zoneMinutes, SYSTEMTIME& local);

// "2024-03-05T10:07:00Z", "2024-03-05T10:07:00.5+01:00", "2024-03-05T10:07:00" (no zone: local
// time as written), "2024-03-05". False for anything else.
bool ParseIsoDate(const String& text, SYSTEMTIME& out);

}  // namespace docinfo
