// Reading locale date and time text.
#include <cstring>

#include "locale/date.h"
#include "locale/locale_date.h"
#include "locale/locale_time_info.h"

namespace ovut::locale {
namespace {

constexpr int64_t kNumberCap = 999999999;  // keeps every carry below in 64-bit range
constexpr int kMaxYear = 9999;

int64_t Number(const clsRegExMatchList& m, uint32_t group) {
  const scRegExMatch* g = m.At(group);
  if (!g || g->start < 0) return 0;
  int64_t v = 0;
  for (uint32_t i = 0; i < g->text.Length(); ++i) {
    wchar_t c = g->text.At(i);
    if (c < L'0' || c > L'9') break;
    v = v * 10 + (c - L'0');
    if (v > kNumberCap) return kNumberCap;
  }
  return v;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

}  // namespace

int SystemTimeFromLocaleText(LCID lcid, const wchar_t* text, SYSTEMTIME* out, bool twoDigitYears) {
  memset(out, 0, sizeof *out);
  if (!text) text = L"";
  size_t begin = 0, end = wcslen(text);
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (begin == end) {
    GetLocalTime(out);
    return 0;
  }
  if (end - begin > kMaxDateText) return kDateUnreadable;

  clsLocaleLease lease(lcid);
  const clsLocaleTimeInfo& info = lease.Info();
  clsRegExMatchList& m = lease.Matches();
  if (!lease.Pattern().Exec(text + begin, end - begin, &m)) return kDateUnreadable;

  int64_t g1 = Number(m, 1), g2 = Number(m, 2), g3 = Number(m, 3);
  int64_t day, month, year;
  switch (info.dateOrder) {
    case clsLocaleTimeInfo::kMonthDayYear: month = g1, day = g2, year = g3; break;
    case clsLocaleTimeInfo::kYearMonthDay: year = g1, month = g2, day = g3; break;
    default: day = g1, month = g2, year = g3; break;
  }
  if (day == 0 || month == 0 || year == 0) {
    SYSTEMTIME today;
    GetLocalTime(&today);
    if (day == 0) day = today.wDay;
    if (month == 0) month = today.wMonth;
    if (year == 0) year = today.wYear;
  }
  if (twoDigitYears && year < 100) year += year < 30 ? 2000 : 1900;

  // The date as written must be valid before any time carry can move it.
  if (year > kMaxYear || month > 12 || day > 31) return kDateUnreadable;
  clsDate date(static_cast<int>(day), static_cast<int>(month), static_cast<int>(year));
  if (!date.IsValid()) return kDateUnreadable;

  int64_t hour = Number(m, 4), minute = Number(m, 5), second = Number(m, 6);
  minute += second / 60;
  second %= 60;
  hour += minute / 60;
  minute %= 60;
  if (info.twelveHour) {
    String mark;
    if (const scRegExMatch* g = m.At(7)) mark = g->text;
    mark.TrimLeadingSpaces();
    // The mark is ASCII by the pattern; only its first letter counts.
    if ((mark.First() == L'P' || mark.First() == L'p') && hour < 12) hour += 12;
  }
  if (hour >= 24) {
    date.AddDays(hour / 24);
    hour %= 24;
  }
  if (!date.IsValid() || date.Year() > kMaxYear) return kDateUnreadable;

  out->wYear = static_cast<WORD>(date.Year());
  out->wMonth = static_cast<WORD>(date.Month());
  out->wDay = static_cast<WORD>(date.Day());
  out->wHour = static_cast<WORD>(hour);
  out->wMinute = static_cast<WORD>(minute);
  out->wSecond = static_cast<WORD>(second);
  return 0;
}

}  // namespace ovut::locale
