// Kept here until the locale code offers the same text; one place to switch over.
#include "tempfiles/time_text.h"

namespace ovut::tempfiles {

String SystemTimeDisplayText(const SYSTEMTIME& time) {
  wchar_t date[30] = {}, clock[30] = {};
  if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 30) ||
      !GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 30)) {
    const DWORD error = GetLastError();
    return String::Formatted(L"[time %d:%02d:%02d.%03d is invalid: %s]\n", time.wHour, time.wMinute, time.wSecond,
                             time.wMilliseconds, String::ErrorText(error).c_str());
  }
  if (time.wDayOfWeek == 65535) return String::Formatted(L"%s, %s", date, clock);
  wchar_t day[80] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + (time.wDayOfWeek + 6) % 7, day, 80);
  return String::Formatted(L"%s, %s (%s)", date, clock, day);
}

}  // namespace ovut::tempfiles
