// Optional system functions of this subsystem, looked up by name once per process. Kept in one
// file so that they can be routed through a shared late-loading layer.
#pragma once
#include <windows.h>

namespace ovut::locale {

// TzSpecificLocalTimeToSystemTime and SystemTimeToTzSpecificLocalTime share this shape:
// (zone, time in, time out).
using TzConvertFn = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, SYSTEMTIME*);

TzConvertFn LocalToUtcFunction() noexcept;  // null when the system lacks it
TzConvertFn UtcToLocalFunction() noexcept;

}  // namespace ovut::locale
