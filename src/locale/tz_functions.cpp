#include "locale/tz_functions.h"

#include "environment/late_kernel32.h"

namespace ovut::locale {

TzConvertFn LocalToUtcFunction() noexcept { return env::p_TzSpecificLocalTimeToSystemTime.Get(); }
TzConvertFn UtcToLocalFunction() noexcept { return env::p_SystemTimeToTzSpecificLocalTime.Get(); }

}  // namespace ovut::locale
