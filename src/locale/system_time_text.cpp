#include "locale/system_time_text.h"

namespace ovut::locale {

String SystemTimeDisplayText(const SYSTEMTIME& t) {
  wchar_t date[30], clock[30];
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 30) <= 0 ||
      GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &t, nullptr, clock, 30) <= 0) {
    const DWORD err = GetLastError();
    return String::Formatted(L"[time %d:%02d:%02d.%03d is invalid: %s]\n", t.wHour, t.wMinute, t.wSecond,
                             t.wMilliseconds, String::ErrorText(err).c_str());
  }
  if (t.wDayOfWeek == 0xFFFF) return String::Formatted(L"%s, %s", date, clock);
  wchar_t name[80] = L"";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + (t.wDayOfWeek + 6) % 7, name, 80);
  return String::Formatted(L"%s, %s (%s)", date, clock, name);
}

}  // namespace ovut::locale
