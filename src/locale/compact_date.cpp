// The compact, locale-independent form YYYYMMDDhhmmss and locale text of the user's locale.
#include <cwchar>

#include "locale/date.h"
#include "locale/locale_date.h"

namespace ovut::locale {
namespace {

bool AllDigits(const String& s) {
  for (uint32_t i = 0; i < s.Length(); ++i)
    if (s.At(i) < L'0' || s.At(i) > L'9') return false;
  return true;
}

int Digits(const String& s, uint32_t from, uint32_t count) {
  int v = 0;
  for (uint32_t i = from; i < from + count && i < s.Length(); ++i) v = v * 10 + (s.At(i) - L'0');
  return v;
}

}  // namespace

bool CompactToLocaleText(const wchar_t* compact, String* out) {
  out->Clear();
  String text(compact ? compact : L"");
  text.Trim();
  if (text.IsEmpty()) return true;
  if (text.Length() < 8 || text.Length() > 14 || !AllDigits(text)) return false;
  SYSTEMTIME t = {};
  t.wYear = static_cast<WORD>(Digits(text, 0, 4));
  t.wMonth = static_cast<WORD>(Digits(text, 4, 2));
  t.wDay = static_cast<WORD>(Digits(text, 6, 2));
  if (text.Length() >= 10) t.wHour = static_cast<WORD>(Digits(text, 8, 2));
  if (text.Length() >= 12) t.wMinute = static_cast<WORD>(Digits(text, 10, 2));
  if (text.Length() >= 14) t.wSecond = static_cast<WORD>(Digits(text, 12, 2));
  if (t.wYear == 0 || t.wMonth < 1 || t.wMonth > 12 || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59) return false;
  clsDate date(t.wDay, t.wMonth, t.wYear);
  if (!date.IsValid()) return false;
  t.wDayOfWeek = date.SystemDayOfWeek();
  *out = LocaleTextFromSystemTime(LOCALE_USER_DEFAULT, &t);
  return true;
}

bool LocaleTextToCompact(const wchar_t* text, bool twoDigitYears, String* out) {
  out->Clear();
  if (!text) return false;
  const size_t n = wcslen(text);
  if (n == 8 || n == 14) {
    String digits(text);
    if (AllDigits(digits)) {
      if (n == 8) digits.Append(L"000000");
      *out = digits;
      return true;
    }
  }
  SYSTEMTIME t;
  if (SystemTimeFromLocaleText(LOCALE_USER_DEFAULT, text, &t, twoDigitYears) != 0) return false;
  out->Format(L"%04d%02d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  return true;
}

}  // namespace ovut::locale
