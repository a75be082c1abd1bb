// Locale date and time text to SYSTEMTIME and back, and the compact form YYYYMMDDhhmmss.
#pragma once
#include <windows.h>

#include <cstddef>

#include "foundation/string.h"

namespace ovut::locale {

constexpr int kDateUnreadable = -52;
// Longer texts are not dates: refused before any pattern runs.
constexpr size_t kMaxDateText = 256;

// 0, or kDateUnreadable with *out zeroed. Text that is empty after trimming blanks gives the
// current local time. Null text counts as empty.
int SystemTimeFromLocaleText(LCID lcid, const wchar_t* text, SYSTEMTIME* out, bool twoDigitYears);

// The locale's short date, then one blank and the time when `time` is null or has a non-zero
// hour, minute or second. A null `time` is now. Dates the platform refuses (years before 1601)
// are formatted with the locale's short-date picture.
String LocaleTextFromSystemTime(LCID lcid, const SYSTEMTIME* time);

// The short-date picture applied by hand: d, dd, M, MM, yy, yyyy (either case), text in single
// quotes copied without them ('' is one quote), everything else copied.
String FormatDatePicture(const wchar_t* picture, const SYSTEMTIME& time);

// Compact text (YYYYMMDD with optional hh, hhmm or hhmmss) to the user's locale text. False when
// the text is not such digits or names no valid date and time; empty input gives true and "".
bool CompactToLocaleText(const wchar_t* compact, String* out);
// Locale text of the user's locale to fourteen compact digits; eight or fourteen digits are
// taken as compact already. False when the text cannot be read.
bool LocaleTextToCompact(const wchar_t* text, bool twoDigitYears, String* out);

}  // namespace ovut::locale
