// Mail header dates: "Tue, 1 Oct 2024 10:00:00 +0200" and the obsolete forms RFC 5322 still
// asks readers to take (no seconds, two- or three-digit years, folding white space, named zones).
#include "locale/mail_date.h"

#include <oleauto.h>

#include <cstring>
#include <cwchar>

#include "locale/date.h"
#include "locale/locale_time_info.h"

namespace ovut::locale {
namespace {

// A header line is short; longer text is not searched.
constexpr size_t kMaxMailText = 4096;

// Groups: 1 day, 2 month name, 3 year, 4 hour, 5 minute, 6 second, 7 zone.
const wchar_t kMailPattern[] =
    L"(\\d{1,2})\\s+([a-z]{3})[a-z]*\\.?,?\\s+(\\d{2,4})\\s*,?\\s+(\\d{1,2})\\s*:\\s*(\\d{1,2})"
    L"(?:\\s*:\\s*(\\d{1,2}))?(?:\\s*([+-]\\d{4}(?!\\d)|[a-z]+\\b))?";

const wchar_t* const kMonths[] = {L"jan", L"feb", L"mar", L"apr", L"may", L"jun",
                                  L"jul", L"aug", L"sep", L"oct", L"nov", L"dec"};

int Number(const clsRegExMatchList& m, uint32_t group) {
  const scRegExMatch* g = m.At(group);
  if (!g || g->start < 0) return 0;
  int v = 0;
  for (uint32_t i = 0; i < g->text.Length() && i < 4; ++i) v = v * 10 + (g->text.At(i) - L'0');
  return v;
}

// Minutes to add to the written time to reach UTC; false for a zone this reader does not know
// (the time then stays as written).
bool ZoneOffset(const String& zone, int* minutes) {
  if (zone.First() == L'+' || zone.First() == L'-') {
    int hh = (zone.At(1) - L'0') * 10 + (zone.At(2) - L'0');
    int mm = (zone.At(3) - L'0') * 10 + (zone.At(4) - L'0');
    *minutes = (zone.First() == L'+' ? -1 : 1) * (hh * 60 + mm);
    return true;
  }
  static const struct {
    const wchar_t* name;
    int hours;
  } kNamed[] = {{L"UT", 0},  {L"GMT", 0}, {L"Z", 0},   {L"EST", 5}, {L"EDT", 4}, {L"CST", 6},
                {L"CDT", 5}, {L"MST", 7}, {L"MDT", 6}, {L"PST", 8}, {L"PDT", 7}};
  for (const auto& z : kNamed)
    if (_wcsicmp(zone.c_str(), z.name) == 0) {
      *minutes = z.hours * 60;
      return true;
    }
  // Military letters (all but J): their meaning was garbled in the old standard; read as UTC.
  const wchar_t c = zone.First();
  if (zone.Length() == 1 && ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')) && c != L'J' && c != L'j') {
    *minutes = 0;
    return true;
  }
  return false;
}

bool FromMailPattern(const wchar_t* text, size_t length, SYSTEMTIME* out) {
  clsPatternLease lease(kMailPattern, clsRegEx::kCaseless);
  clsRegExMatchList& m = lease.Matches();
  if (!lease.Get().Exec(text, length, &m)) return false;
  int year = Number(m, 3);
  const uint32_t yearDigits = m.At(3)->text.Length();
  if (yearDigits == 2) year += year < 50 ? 2000 : 1900;
  else if (yearDigits == 3) year += 1900;
  int month = 0;
  const String& name = m.At(2)->text;
  for (int i = 0; i < 12 && !month; ++i)
    if (_wcsnicmp(name.c_str(), kMonths[i], 3) == 0) month = i + 1;
  out->wYear = static_cast<WORD>(year);
  out->wMonth = static_cast<WORD>(month);
  out->wDay = static_cast<WORD>(Number(m, 1));
  out->wHour = static_cast<WORD>(Number(m, 4));
  out->wMinute = static_cast<WORD>(Number(m, 5));
  out->wSecond = static_cast<WORD>(Number(m, 6));

  const scRegExMatch* zone = m.At(7);
  int offset = 0;
  if (!zone || zone->start < 0 || !ZoneOffset(zone->text, &offset)) return true;
  clsDate date(out->wDay, out->wMonth, out->wYear);
  if (month == 0 || !date.IsValid() || out->wHour > 23 || out->wMinute > 59) return true;  // left as written
  int minutes = out->wHour * 60 + out->wMinute + offset;
  int days = minutes >= 0 ? minutes / 1440 : -((-minutes + 1439) / 1440);
  minutes -= days * 1440;
  date.AddDays(days);
  out->wYear = static_cast<WORD>(date.Year());
  out->wMonth = static_cast<WORD>(date.Month());
  out->wDay = static_cast<WORD>(date.Day());
  out->wHour = static_cast<WORD>(minutes / 60);
  out->wMinute = static_cast<WORD>(minutes % 60);
  out->wDayOfWeek = date.SystemDayOfWeek();
  return true;
}

bool FromVariantDate(const wchar_t* text, size_t length, SYSTEMTIME* out) {
  BSTR s = SysAllocStringLen(text, static_cast<UINT>(length));
  if (!s) return false;
  DATE d = 0;
  HRESULT hr = VarDateFromStr(s, LOCALE_USER_DEFAULT, 0, &d);
  SysFreeString(s);
  return SUCCEEDED(hr) && VariantTimeToSystemTime(d, out);
}

}  // namespace

void MailDateToSystemTime(const wchar_t* text, SYSTEMTIME* out) {
  bool zoned;
  ReadMailDate(text, out, &zoned);
}

void ReadMailDate(const wchar_t* text, SYSTEMTIME* out, bool* zoned) {
  *zoned = false;
  memset(out, 0, sizeof *out);
  if (!text) text = L"";
  size_t begin = 0, end = wcslen(text);
  while (begin < end && iswspace(text[begin])) ++begin;
  while (end > begin && iswspace(text[end - 1])) --end;
  const size_t n = end - begin;
  text += begin;
  if (n == 0) {
    GetLocalTime(out);
    return;
  }
  bool digits = n < 15;
  for (size_t i = 0; digits && i < n; ++i) digits = text[i] >= L'0' && text[i] <= L'9';
  if (digits) {
    auto part = [&](size_t from, size_t count) {
      int v = 0;
      for (size_t i = from; i < from + count && i < n; ++i) v = v * 10 + (text[i] - L'0');
      return static_cast<WORD>(v);
    };
    out->wYear = part(0, 4);
    out->wMonth = part(4, 2);
    out->wDay = part(6, 2);
    out->wHour = part(8, 2);
    out->wMinute = part(10, 2);
    out->wSecond = part(12, 2);
    out->wDayOfWeek = 0xFFFF;
    return;
  }
  out->wDayOfWeek = 0xFFFF;
  if (n > kMaxMailText) return;
  if (FromMailPattern(text, n, out)) {
    *zoned = out->wDayOfWeek != 0xFFFF;
    return;
  }
  SYSTEMTIME t;
  if (FromVariantDate(text, n, &t)) *out = t;
}

}  // namespace ovut::locale
