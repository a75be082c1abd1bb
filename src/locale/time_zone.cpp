#include "locale/time_zone.h"

#include <cstring>

#include "locale/date.h"
#include "locale/tz_functions.h"

namespace ovut::locale {
namespace {

constexpr int64_t kMinute = 600000000;  // file-time units (100 ns)

bool ToTicks(const SYSTEMTIME& t, int64_t* ticks) {
  FILETIME ft;
  if (!SystemTimeToFileTime(&t, &ft)) return false;
  *ticks = static_cast<int64_t>((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return true;
}

bool FromTicks(int64_t ticks, SYSTEMTIME* t) {
  if (ticks < 0) return false;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks);
  ft.dwHighDateTime = static_cast<DWORD>(uint64_t(ticks) >> 32);
  return FileTimeToSystemTime(&ft, t) != FALSE;
}

bool HasDaylightRules(const TIME_ZONE_INFORMATION& z) {
  return z.DaylightDate.wMonth != 0 && z.StandardDate.wMonth != 0;
}

// Transition instants of `year` in file-time ticks of the zone's local clock.
bool Transitions(const TIME_ZONE_INFORMATION& z, WORD year, int64_t* start, int64_t* end) {
  SYSTEMTIME s, e;
  return TransitionInYear(z.DaylightDate, year, &s) && TransitionInYear(z.StandardDate, year, &e) &&
         ToTicks(s, start) && ToTicks(e, end);
}

bool Within(int64_t t, int64_t start, int64_t end) {
  return start <= end ? (t >= start && t < end) : (t >= start || t < end);  // southern zones wrap
}

bool Convert(const TIME_ZONE_INFORMATION& z, SYSTEMTIME* time, bool toUtc) {
  int64_t t;
  if (!ToTicks(*time, &t)) return false;
  const int64_t bias = int64_t(z.Bias) * kMinute, daylight = int64_t(z.DaylightBias) * kMinute;
  int64_t start, end;
  bool dst = false;
  if (HasDaylightRules(z) && Transitions(z, time->wYear, &start, &end)) {
    if (toUtc) {
      dst = Within(t, start, end);  // the rules are written in local time
    } else {
      dst = Within(t, start + bias, end + bias + daylight);
    }
  }
  const int64_t shift = bias + (dst ? daylight : 0);
  return FromTicks(toUtc ? t + shift : t - shift, time);
}

}  // namespace

bool TransitionInYear(const SYSTEMTIME& rule, WORD year, SYSTEMTIME* out) noexcept {
  memset(out, 0, sizeof *out);
  if (rule.wMonth == 0) return false;
  out->wYear = year;
  out->wMonth = rule.wMonth;
  out->wHour = rule.wHour;
  out->wMinute = rule.wMinute;
  out->wSecond = rule.wSecond;
  if (rule.wYear != 0) {
    out->wDay = rule.wDay;
  } else {
    clsDate first(1, rule.wMonth, year);
    const int days = clsDate::DaysInMonth(rule.wMonth, year);
    if (!first.IsValid() || days == 0 || rule.wDay < 1 || rule.wDay > 5 || rule.wDayOfWeek > 6) return false;
    int day = 1 + (rule.wDayOfWeek - first.SystemDayOfWeek() + 7) % 7 + (rule.wDay - 1) * 7;
    while (day > days) day -= 7;  // week 5: the last such weekday
    out->wDay = static_cast<WORD>(day);
  }
  clsDate date(out->wDay, out->wMonth, year);
  if (!date.IsValid()) return false;
  out->wDayOfWeek = date.SystemDayOfWeek();
  return true;
}

bool LocalToUtc(const TIME_ZONE_INFORMATION& zone, SYSTEMTIME* time, bool useSystem) noexcept {
  SYSTEMTIME out;
  if (useSystem) {
    if (TzConvertFn fn = LocalToUtcFunction()) {
      if (fn(&zone, time, &out)) {
        *time = out;
        return true;
      }
    }
  }
  return Convert(zone, time, true);
}

bool UtcToLocal(const TIME_ZONE_INFORMATION& zone, SYSTEMTIME* time, bool useSystem) noexcept {
  SYSTEMTIME out;
  if (useSystem) {
    if (TzConvertFn fn = UtcToLocalFunction()) {
      if (fn(&zone, time, &out)) {
        *time = out;
        return true;
      }
    }
  }
  return Convert(zone, time, false);
}

void DaylightBoundsUtc(const TIME_ZONE_INFORMATION& zone, WORD year, SYSTEMTIME* start, SYSTEMTIME* end) noexcept {
  memset(start, 0, sizeof *start);
  memset(end, 0, sizeof *end);
  if (!HasDaylightRules(zone)) return;
  int64_t s, e;
  if (!Transitions(zone, year, &s, &e)) return;
  const int64_t bias = int64_t(zone.Bias) * kMinute;
  if (!FromTicks(s + bias, start) || !FromTicks(e + bias + int64_t(zone.DaylightBias) * kMinute, end)) {
    memset(start, 0, sizeof *start);
    memset(end, 0, sizeof *end);
  }
}

}  // namespace ovut::locale
