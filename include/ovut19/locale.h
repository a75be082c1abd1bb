/** @file
   Dates and times as locale text, compact text and mail dates.
   Locale text follows the conventions of a Windows locale (LCID): date and time separators, the
   order of day, month and year, the twelve-hour clock. Compact text is locale-independent:
   YYYYMMDDhhmmss. A null required pointer gives -2 from the int functions.
   Threads: any thread. */
#ifndef OVUT19_LOCALE_H
#define OVUT19_LOCALE_H

#include "ovut19/base.h"
#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

#define UTIL_LOC_DATE_UNREADABLE (-52) /**< Result: the text names no valid date. */

/** Reads date and/or time text of a locale: "5.3.2024 14:30", "5.3." (this year), "14:30"
    (today), "1:30 PM" in a twelve-hour locale. Missing day, month or year come from today;
    minutes and seconds beyond 59 carry. Empty text gives the current local time.
    @param lcid           the locale
    @param text           the text, read up to its terminating zero (a BSTR or any wide text)
    @param time           receives the time (zeroed for -52)
    @param twoDigitYears  a year below 100 becomes 20yy (below 30) or 19yy
    @return 0, -52 the text names no valid date, -2 a null required pointer. */
OVUT_API int WINAPI UtilLocSystemTimeFromLocaleString(LCID lcid, BSTR text, SYSTEMTIME* time, BOOL twoDigitYears);
/** The locale's short date, plus " " and the time when the time is not midnight.
    @param lcid  the locale
    @param time  the time; null: now
    @param out   initialised by the caller; replaced by a VT_BSTR
    @return 0, or -2 for a null out. */
OVUT_API int WINAPI UtilLocLocaleStringFromSystemTime(LCID lcid, const SYSTEMTIME* time, VARIANT* out);
/** Compact text YYYYMMDD[hh[mm[ss]]] to the user's locale text.
    @param compact  the compact text
    @param buffer   receives the text
    @param size     the buffer's size in characters
    @return 1 (empty input gives empty text); 0 with an empty buffer when the buffer is too small,
            or the text is not such digits or names no valid date and time. */
OVUT_API int WINAPI UtilDateTimeToLocaleString(LPCWSTR compact, LPWSTR buffer, int size);
/** Locale text of the user's locale to YYYYMMDDhhmmss; exactly 8 or 14 digits are taken as
    compact already (padded with zeros).
    @param text           the text
    @param buffer         receives the compact text (cut to size - 1 characters when short)
    @param size           the buffer's size in characters
    @param twoDigitYears  a year below 100 becomes 20yy (below 30) or 19yy
    @return 1, or 0 with an empty buffer when the text cannot be read. */
OVUT_API int WINAPI UtilDateTimeFromLocaleString(LPCWSTR text, LPWSTR buffer, int size, BOOL twoDigitYears);
/** Reads a mail header date ("Tue, 5 Mar 2024 10:00:00 +0200", also without seconds, two-digit
    years, named zones UT, GMT, Z, EST ... PDT, military letters), compact digits, or any date text
    the platform's variant conversion reads. With a zone the result is UTC and carries its day of
    week; otherwise the day of week is 65535. Unreadable text gives zero fields.
    @param text  the text
    @param time  receives the time
    @return 0, or -2 for a null required pointer. */
OVUT_API int WINAPI UtilLocDateTimeToSYSTEMTIME(LPCWSTR text, SYSTEMTIME* time);
/** Converts a local time to UTC in place, with the current zone's daylight-saving rules.
    @param time  the time
    @return 0, or -2 for a null time. */
OVUT_API int WINAPI UtilLocConvertLocalTimeToUTCTime(SYSTEMTIME* time);
/** Converts a UTC time to local time in place, with the current zone's daylight-saving rules.
    @param time  the time
    @return 0, or -2 for a null time. */
OVUT_API int WINAPI UtilLocConvertUTCTimeToLocalTime(SYSTEMTIME* time);
/** Start and end of daylight saving in a year, as UTC; both zeroed in a zone without it.
    @param year   the year
    @param start  receives the start
    @param end    receives the end
    @return 0, or -2 for a null required pointer. */
OVUT_API int WINAPI UtilLocGetDSTStartAndEndInUTC(WORD year, SYSTEMTIME* start, SYSTEMTIME* end);

/** All country names in English, sorted and joined by ";".
    @param list  receives the list (allocated when null, else reallocated; the caller frees it)
    @return 0, or -2 for a null list. */
OVUT_API int WINAPI UtilLocGetCountryList(BSTR* list);
/* Kinds of UtilLocGetCountryInfo (values as VARIANT types). */
#define UTIL_COUNTRY_LCID 0          /**< Country kind: VT_I4 */
#define UTIL_COUNTRY_CALLING_CODE 1  /**< Country kind: VT_I4 */
#define UTIL_COUNTRY_ISO3166 2       /**< Country kind: VT_BSTR: "DE/DEU" or "DE" */
#define UTIL_COUNTRY_CURRENCY 4      /**< Country kind: VT_BSTR: ISO 4217 code, "EUR" */
#define UTIL_COUNTRY_ANSI_CODEPAGE 5 /**< Country kind: VT_I4, 0 for Unicode-only locales */
#define UTIL_COUNTRY_LANGUAGE 6      /**< Country kind: VT_BSTR: language code of its locale, "de-DE" */
#define UTIL_COUNTRY_NATIVE_NAME 7   /**< Country kind: VT_BSTR */
/** One fact of a country.
    @param country  the English name
    @param kind     a UTIL_COUNTRY_... kind
    @param out      initialised by the caller; receives the value, VT_EMPTY for an unknown country
    @return 0, -18 unknown kind, -2 a null required pointer. */
OVUT_API int WINAPI UtilLocGetCountryInfo(LPCWSTR country, int kind, VARIANT* out);
/** One fact of a language.
    @param name  a language code ("de-DE", "sr-Latn-CS")
    @param kind  0: the locale identifier as VT_I4 (VT_EMPTY when unknown)
    @param out   initialised by the caller; receives the value
    @return 0, -18 any other kind, -2 a null required pointer. */
OVUT_API int WINAPI UtilLocGetLanguageInfo(LPCWSTR name, int kind, VARIANT* out);

/** The GDI font character set (LOGFONT lfCharSet) a text most likely needs: 161 Greek, 204
    Cyrillic, 177 Hebrew, 178 Arabic, 222 Thai, 129 Hangul, 128 kana; texts with Han ideographs or
    mixed scripts are decided by the library's code page (932, 936, 949, 950).
    @param text  the text
    @return the character set, or 0. */
OVUT_API UINT WINAPI UtilGetLikelyCharsetFromString(LPCWSTR text);

OVUT_EXTERN_C_END

#endif
