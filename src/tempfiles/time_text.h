// The display text of a system time: short date, time without seconds and the weekday, in the
// user's default locale ("10.12.2026, 14:05 (Thursday)"). Written into the activity signal file.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::tempfiles {

String SystemTimeDisplayText(const SYSTEMTIME& time);

}  // namespace ovut::tempfiles
