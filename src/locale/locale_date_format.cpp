// Writing locale date and time text.
#include <cwchar>

#include "locale/locale_date.h"

namespace ovut::locale {
namespace {

// Room for any short date or time a locale defines.
constexpr int kBuffer = 80;

int RunLength(const wchar_t* p, wchar_t lower) {
  int n = 0;
  while (p[n] == lower || p[n] == static_cast<wchar_t>(lower - 32)) ++n;
  return n;
}

}  // namespace

String FormatDatePicture(const wchar_t* picture, const SYSTEMTIME& t) {
  String out;
  if (!picture) return out;
  wchar_t num[16];
  for (const wchar_t* p = picture; *p && out.Length() < kBuffer - 1;) {
    const wchar_t c = *p;
    if (c == L'\'') {
      ++p;
      if (*p == L'\'') {  // '' outside a quote is one quote
        out.Append(L'\'');
        ++p;
        continue;
      }
      while (*p) {
        if (*p == L'\'') {
          if (p[1] != L'\'') {
            ++p;
            break;
          }
          ++p;  // '' inside a quote is one quote
        }
        out.Append(*p++);
      }
      continue;
    }
    const wchar_t lower = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    if (lower == L'd' || lower == L'm' || lower == L'y') {
      const int n = RunLength(p, lower);
      p += n;
      num[0] = 0;
      if (lower == L'd') {
        if (n <= 2) swprintf(num, 16, n == 1 ? L"%d" : L"%02d", t.wDay);
      } else if (lower == L'm') {
        swprintf(num, 16, n == 1 ? L"%d" : L"%02d", t.wMonth);
      } else if (n == 2) {
        swprintf(num, 16, L"%02d", t.wYear % 100);
      } else {
        swprintf(num, 16, L"%04d", t.wYear);
      }
      out.Append(num);
      continue;
    }
    out.Append(c);
    ++p;
  }
  if (out.Length() > kBuffer - 1) out = out.Left(kBuffer - 1);
  return out;
}

String LocaleTextFromSystemTime(LCID lcid, const SYSTEMTIME* time) {
  wchar_t date[kBuffer] = L"";
  String dateText;
  if (GetDateFormatW(lcid, DATE_SHORTDATE, time, nullptr, date, kBuffer) > 0) {
    dateText = date;
  } else if (time && GetLastError() == ERROR_INVALID_PARAMETER && time->wYear < 1601) {
    wchar_t picture[kBuffer];
    if (GetLocaleInfoW(lcid, LOCALE_SSHORTDATE, picture, kBuffer) > 0) dateText = FormatDatePicture(picture, *time);
  }
  if (dateText.IsEmpty() && GetDateFormatW(lcid, DATE_SHORTDATE, nullptr, nullptr, date, kBuffer) > 0)
    dateText = date;

  wchar_t clock[kBuffer];
  if (GetTimeFormatW(lcid, 0, time, nullptr, clock, kBuffer) > 0 &&
      (!time || time->wHour || time->wMinute || time->wSecond)) {
    dateText.Append(L' ');
    dateText.Append(clock);
  }
  return dateText;
}

}  // namespace ovut::locale
