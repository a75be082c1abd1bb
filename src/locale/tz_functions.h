// The optional time-zone conversions, through the late-loading layer (null when the system lacks them).
#pragma once
#include <windows.h>

namespace ovut::locale {

// TzSpecificLocalTimeToSystemTime and SystemTimeToTzSpecificLocalTime share this shape:
// (zone, time in, time out).
using TzConvertFn = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, SYSTEMTIME*);

TzConvertFn LocalToUtcFunction() noexcept;  // null when the system lacks it
TzConvertFn UtcToLocalFunction() noexcept;

}  // namespace ovut::locale
