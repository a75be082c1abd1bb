#ifndef OVUT19_LOCALE_H
#define OVUT19_LOCALE_H

#include "ovut19/base.h"
#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

/* Dates and times as locale text, compact text and mail dates.
   Locale text follows the conventions of a Windows locale (LCID): date and time separators, the
   order of day, month and year, the twelve-hour clock. Compact text is locale-independent:
   YYYYMMDDhhmmss. A null required pointer gives -2 from the int functions. */
#define UTIL_LOC_DATE_UNREADABLE (-52)

/* Reads date and/or time text of the locale: "5.3.2024 14:30", "5.3." (this year), "14:30"
   (today), "1:30 PM" in a twelve-hour locale. Missing day, month or year come from today;
   minutes and seconds beyond 59 carry. With `twoDigitYears` a year below 100 becomes 20yy
   (below 30) or 19yy. Empty text gives the current local time. 0, or -52 (output zeroed) when
   the text names no valid date. The text is read up to its terminating zero (a BSTR or any
   wide text). */
OVUT_API int WINAPI UtilLocSystemTimeFromLocaleString(LCID lcid, BSTR text, SYSTEMTIME* time, BOOL twoDigitYears);
/* The locale's short date, plus " " and the time when the time is not midnight. A null `time`
   is now. `out` (initialised by the caller) is replaced by a VT_BSTR. 0. */
OVUT_API int WINAPI UtilLocLocaleStringFromSystemTime(LCID lcid, const SYSTEMTIME* time, VARIANT* out);
/* Compact text YYYYMMDD[hh[mm[ss]]] to the user's locale text. 1 on success (empty input gives
   empty text); 0 with an empty buffer when the buffer is too small, the text is not such digits
   or names no valid date and time. */
OVUT_API int WINAPI UtilDateTimeToLocaleString(LPCWSTR compact, LPWSTR buffer, int size);
/* Locale text of the user's locale to YYYYMMDDhhmmss; exactly 8 or 14 digits are taken as
   compact already (padded with zeros). 1 (the text is cut to size - 1 characters when the
   buffer is short), or 0 with an empty buffer when it cannot be read. */
OVUT_API int WINAPI UtilDateTimeFromLocaleString(LPCWSTR text, LPWSTR buffer, int size, BOOL twoDigitYears);
/* A mail header date ("Tue, 5 Mar 2024 10:00:00 +0200", also without seconds, with two-digit
   years and the named zones UT, GMT, Z, EST ... PDT and military letters), compact digits, or
   any date text the platform's variant conversion reads. With a zone the result is UTC and
   carries its day of week; otherwise the day of week is 65535. Unreadable text gives zero
   fields (day of week 65535). 0. */
OVUT_API int WINAPI UtilLocDateTimeToSYSTEMTIME(LPCWSTR text, SYSTEMTIME* time);
/* In place, with the current time zone's daylight-saving rules. 0. */
OVUT_API int WINAPI UtilLocConvertLocalTimeToUTCTime(SYSTEMTIME* time);
OVUT_API int WINAPI UtilLocConvertUTCTimeToLocalTime(SYSTEMTIME* time);
/* Start and end of daylight saving in `year` as UTC; both zeroed in a zone without it. 0. */
OVUT_API int WINAPI UtilLocGetDSTStartAndEndInUTC(WORD year, SYSTEMTIME* start, SYSTEMTIME* end);

/* Countries by English name: all names sorted, joined by ";" (into *list: allocated when null,
   else reallocated). 0. */
OVUT_API int WINAPI UtilLocGetCountryList(BSTR* list);
/* Kinds of UtilLocGetCountryInfo. */
#define UTIL_COUNTRY_LCID 0          /* VT_I4 */
#define UTIL_COUNTRY_CALLING_CODE 1  /* VT_I4 */
#define UTIL_COUNTRY_ISO3166 2       /* VT_BSTR: "DE/DEU" or "DE" */
#define UTIL_COUNTRY_CURRENCY 4      /* VT_BSTR: ISO 4217 code, "EUR" */
#define UTIL_COUNTRY_ANSI_CODEPAGE 5 /* VT_I4, 0 for Unicode-only locales */
#define UTIL_COUNTRY_LANGUAGE 6      /* VT_BSTR: language code of its locale, "de-DE" */
#define UTIL_COUNTRY_NATIVE_NAME 7   /* VT_BSTR */
/* `out` (initialised by the caller) gets the value; VT_EMPTY for an unknown country. 0, or -18
   for an unknown kind. */
OVUT_API int WINAPI UtilLocGetCountryInfo(LPCWSTR country, int kind, VARIANT* out);
/* Kind 0: the locale identifier of a language code ("de-DE", "sr-Latn-CS") as VT_I4, VT_EMPTY
   when unknown. 0, or -18 for any other kind. */
OVUT_API int WINAPI UtilLocGetLanguageInfo(LPCWSTR name, int kind, VARIANT* out);

/* The GDI font character set (LOGFONT lfCharSet) a text most likely needs: 161 Greek, 204
   Cyrillic, 177 Hebrew, 178 Arabic, 222 Thai, 129 Hangul, 128 kana; texts with Han ideographs or
   mixed scripts are decided by the library's code page (932, 936, 949, 950); else 0. */
OVUT_API UINT WINAPI UtilGetLikelyCharsetFromString(LPCWSTR text);

OVUT_EXTERN_C_END

#endif
