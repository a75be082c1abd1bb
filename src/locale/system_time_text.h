// Display text of a system time for diagnostics: short date, time without seconds and, when the
// day of week is known (not 65535), the weekday name, in the user's locale:
// "05.03.2024, 14:07 (Dienstag)".
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::locale {

String SystemTimeDisplayText(const SYSTEMTIME& time);

}  // namespace ovut::locale
