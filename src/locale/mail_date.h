// Dates of mail headers (RFC 5322 and its obsolete forms), compact digits, or any date text the
// platform's variant conversion reads, to SYSTEMTIME.
#pragma once
#include <windows.h>

namespace ovut::locale {

// Always fills *out. A mail date with a zone is brought to UTC and gets its day of week; one
// without a zone is taken as written with day of week 65535. Unreadable text gives all zero
// fields except the day of week 65535; empty text gives the current local time.
void MailDateToSystemTime(const wchar_t* text, SYSTEMTIME* out);
// The same, and whether the result is UTC from a zone the text named. (The variant conversion's
// results carry a day of week but no zone: they are as written.)
void ReadMailDate(const wchar_t* text, SYSTEMTIME* out, bool* zoned);

}  // namespace ovut::locale
