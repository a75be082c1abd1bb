#include "docinfo/doc_dates.h"

namespace docinfo {
namespace {

bool Digits(const wchar_t* p, int count, int& value) {
  value = 0;
  for (int i = 0; i < count; ++i) {
    if (p[i] < L'0' || p[i] > L'9') return false;
    value = value * 10 + (p[i] - L'0');
  }
  return true;
}

}  // namespace

bool ZonedToLocal(const SYSTEMTIME& written, int zoneMinutes, SYSTEMTIME& local) {
  SYSTEMTIME t = written;
  t.wDayOfWeek = 0;
  t.wMilliseconds = 0;
  FILETIME ft, lt;
  if (!SystemTimeToFileTime(&t, &ft)) return false;
  ULARGE_INTEGER v{};
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  const LONGLONG shift = static_cast<LONGLONG>(zoneMinutes) * 60 * 10000000LL;
  if (shift > 0 && v.QuadPart < static_cast<ULONGLONG>(shift)) return false;
  v.QuadPart -= shift;
  ft.dwLowDateTime = v.LowPart;
  ft.dwHighDateTime = v.HighPart;
  return FileTimeToLocalFileTime(&ft, &lt) && FileTimeToSystemTime(&lt, &local);
}

bool ParseIsoDate(const String& text, SYSTEMTIME& out) {
  const wchar_t* p = text.c_str();
  uint32_t n = text.Length();
  while (n && (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n')) ++p, --n;
  while (n && (p[n - 1] == L' ' || p[n - 1] == L'\t' || p[n - 1] == L'\r' || p[n - 1] == L'\n')) --n;
  int year, month, day, hour = 0, minute = 0, second = 0;
  if (n < 10 || !Digits(p, 4, year) || p[4] != L'-' || !Digits(p + 5, 2, month) || p[7] != L'-' ||
      !Digits(p + 8, 2, day))
    return false;
  uint32_t i = 10;
  if (i < n) {
    if (n < 16 || (p[i] != L'T' && p[i] != L't' && p[i] != L' ') || !Digits(p + 11, 2, hour) || p[13] != L':' ||
        !Digits(p + 14, 2, minute))
      return false;
    i = 16;
    if (i < n && p[i] == L':') {
      if (n < 19 || !Digits(p + 17, 2, second)) return false;
      i = 19;
      if (i < n && (p[i] == L'.' || p[i] == L',')) {
        ++i;
        while (i < n && p[i] >= L'0' && p[i] <= L'9') ++i;
      }
    }
  }
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  FILETIME check;
  if (year == 0 || !SystemTimeToFileTime(&t, &check)) return false;
  if (i == n) {  // no zone: local time as written
    FileTimeToSystemTime(&check, &out);
    return true;
  }
  int zone = 0;
  if ((p[i] == L'Z' || p[i] == L'z') && i + 1 == n) {
    zone = 0;
  } else if (p[i] == L'+' || p[i] == L'-') {
    int zh, zm = 0;
    const wchar_t* z = p + i + 1;
    const uint32_t left = n - i - 1;
    if (left == 5 && Digits(z, 2, zh) && z[2] == L':' && Digits(z + 3, 2, zm)) {
    } else if (left == 4 && Digits(z, 2, zh) && Digits(z + 2, 2, zm)) {
    } else if (left == 2 && Digits(z, 2, zh)) {
    } else {
      return false;
    }
    if (zh > 14 || zm > 59) return false;
    zone = (p[i] == L'-' ? -1 : 1) * (zh * 60 + zm);
  } else {
    return false;
  }
  return ZonedToLocal(t, zone, out);
}

}  // namespace docinfo
