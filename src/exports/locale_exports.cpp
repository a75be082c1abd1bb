// Dates and times as locale, compact and mail text; countries and languages; likely character set.
#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "exports/prof_guard.h"
#include "locale/country_table.h"
#include "locale/likely_charset.h"
#include "locale/locale_date.h"
#include "locale/mail_date.h"
#include "locale/time_zone.h"
#include "ovut19/locale.h"

using ovut::profile::Guarded;
namespace loc = ovut::locale;

namespace {

constexpr int kNullArgument = -2;

// Replaces the caller's variant (VariantCopy semantics: the old value is cleared).
void SetVariant(VARIANT* out, const loc::CountryValue& v) {
  VariantClear(out);
  if (!v.found) return;
  if (v.isNumber) {
    V_VT(out) = VT_I4;
    V_I4(out) = v.number;
  } else if (BSTR s = SysAllocStringLen(v.text.c_str(), v.text.Length())) {
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = s;
  }
}

// Copies text and terminator, or leaves the buffer empty and returns false when it does not fit.
bool CopyWhole(const String& text, LPWSTR buffer, int size) {
  if (static_cast<int64_t>(text.Length()) + 1 > size) return false;
  memcpy(buffer, text.c_str(), (text.Length() + 1) * sizeof(wchar_t));
  return true;
}

int Convert(SYSTEMTIME* time, bool toUtc) {
  if (!time) return kNullArgument;
  TIME_ZONE_INFORMATION zone;
  if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return 0;
  if (toUtc) loc::LocalToUtc(zone, time, true);
  else loc::UtcToLocal(zone, time, true);
  return 0;
}

}  // namespace

extern "C" {

int WINAPI UtilLocSystemTimeFromLocaleString(LCID lcid, BSTR text, SYSTEMTIME* time, BOOL twoDigitYears) {
  if (!time) return kNullArgument;
  return Guarded(loc::kDateUnreadable, [&] {
    return loc::SystemTimeFromLocaleText(lcid, text, time, twoDigitYears != 0);
  });
}

int WINAPI UtilLocLocaleStringFromSystemTime(LCID lcid, const SYSTEMTIME* time, VARIANT* out) {
  if (!out) return kNullArgument;
  return Guarded(0, [&] {
    String text = loc::LocaleTextFromSystemTime(lcid, time);
    BSTR s = SysAllocStringLen(text.c_str(), text.Length());
    VariantClear(out);
    if (s) {
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = s;
    }
    return 0;
  });
}

int WINAPI UtilDateTimeToLocaleString(LPCWSTR compact, LPWSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  return Guarded(0, [&] {
    String text;
    return loc::CompactToLocaleText(compact, &text) && CopyWhole(text, buffer, size) ? 1 : 0;
  });
}

int WINAPI UtilDateTimeFromLocaleString(LPCWSTR text, LPWSTR buffer, int size, BOOL twoDigitYears) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  return Guarded(0, [&] {
    String compact;
    if (!loc::LocaleTextToCompact(text, twoDigitYears != 0, &compact)) return 0;
    const uint32_t n = compact.Length() < uint32_t(size) - 1 ? compact.Length() : uint32_t(size) - 1;
    memcpy(buffer, compact.c_str(), n * sizeof(wchar_t));
    buffer[n] = 0;
    return 1;
  });
}

int WINAPI UtilLocDateTimeToSYSTEMTIME(LPCWSTR text, SYSTEMTIME* time) {
  if (!time) return kNullArgument;
  return Guarded(0, [&] {
    loc::MailDateToSystemTime(text, time);
    return 0;
  });
}

int WINAPI UtilLocConvertLocalTimeToUTCTime(SYSTEMTIME* time) { return Convert(time, true); }

int WINAPI UtilLocConvertUTCTimeToLocalTime(SYSTEMTIME* time) { return Convert(time, false); }

int WINAPI UtilLocGetDSTStartAndEndInUTC(WORD year, SYSTEMTIME* start, SYSTEMTIME* end) {
  if (!start || !end) return kNullArgument;
  memset(start, 0, sizeof *start);
  memset(end, 0, sizeof *end);
  TIME_ZONE_INFORMATION zone;
  if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID) loc::DaylightBoundsUtc(zone, year, start, end);
  return 0;
}

int WINAPI UtilLocGetCountryList(BSTR* list) {
  if (!list) return kNullArgument;
  return Guarded(0, [&] {
    String text = loc::CountryList();
    if (!*list) *list = SysAllocStringLen(text.c_str(), text.Length());
    else SysReAllocStringLen(list, text.c_str(), text.Length());
    return 0;
  });
}

int WINAPI UtilLocGetCountryInfo(LPCWSTR country, int kind, VARIANT* out) {
  if (!out) return kNullArgument;
  return Guarded(0, [&] {
    loc::CountryValue value;
    int rc = loc::CountryInfo(country, kind, &value);
    SetVariant(out, value);
    return rc;
  });
}

int WINAPI UtilLocGetLanguageInfo(LPCWSTR name, int kind, VARIANT* out) {
  if (!out) return kNullArgument;
  return Guarded(0, [&] {
    loc::CountryValue value;
    LCID lcid = 0;
    if (kind == 0 && loc::LanguageLocale(name, &lcid)) {
      value.found = value.isNumber = true;
      value.number = static_cast<int32_t>(lcid);
    }
    SetVariant(out, value);
    return kind == 0 ? 0 : loc::kUnknownKind;
  });
}

UINT WINAPI UtilGetLikelyCharsetFromString(LPCWSTR text) {
  return loc::LikelyCharset(text, String::DefaultCodePage());
}

}  // extern "C"
