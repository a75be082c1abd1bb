// Local time and UTC under a time zone's daylight-saving rules. The system's conversion
// functions are used when present; the hand computation is the fallback and also covers
// zones whose daylight period spans the turn of the year (southern hemisphere).
#pragma once
#include <windows.h>

namespace ovut::locale {

// In place; false (time unchanged) when the time is not a valid date and time.
bool LocalToUtc(const TIME_ZONE_INFORMATION& zone, SYSTEMTIME* time, bool useSystem) noexcept;
bool UtcToLocal(const TIME_ZONE_INFORMATION& zone, SYSTEMTIME* time, bool useSystem) noexcept;

// Start and end of daylight saving in `year`, as UTC; both zeroed when the zone has no rules.
void DaylightBoundsUtc(const TIME_ZONE_INFORMATION& zone, WORD year, SYSTEMTIME* start, SYSTEMTIME* end) noexcept;

// The date a transition rule (time-zone form: absolute date, or week 1-5 and weekday of a
// month) names in `year`; false when the rule has no month or names no valid date.
bool TransitionInYear(const SYSTEMTIME& rule, WORD year, SYSTEMTIME* out) noexcept;

}  // namespace ovut::locale
