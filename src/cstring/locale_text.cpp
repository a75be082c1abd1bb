// Comparisons and case mapping in the user's default locale.
#include <cwchar>

#include "cstring/text.h"

namespace ovut::cstring {
namespace {
const wchar_t* Text(const wchar_t* s) { return s ? s : L""; }
}  // namespace

wchar_t* LocaleUpper(wchar_t* text) {
  if (text) CharUpperW(text);
  return text;
}

wchar_t* LocaleLower(wchar_t* text) {
  if (text) CharLowerW(text);
  return text;
}

int LocaleCompare(const wchar_t* a, const wchar_t* b, bool ignoreCase) {
  int r = CompareStringW(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, Text(a), -1, Text(b), -1);
  return r == 0 ? -2 : r - 2;
}

// The common length is compared first; equal prefixes then order by the (count-limited) length.
int LocaleCompareN(const wchar_t* a, const wchar_t* b, int count, bool ignoreCase) {
  a = Text(a);
  b = Text(b);
  if (count < 0) count = 0;
  // At most `count` units of either text are read: neither needs a terminator within them.
  const int na = static_cast<int>(wcsnlen(a, static_cast<size_t>(count)));
  const int nb = static_cast<int>(wcsnlen(b, static_cast<size_t>(count)));
  const int m = na < nb ? na : nb;
  if (m > 0) {
    int r = CompareStringW(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, a, m, b, m);
    if (r == 0) return 0;
    if (r != CSTR_EQUAL) return r == CSTR_LESS_THAN ? -1 : 1;
  }
  return na < nb ? -1 : (na > nb ? 1 : 0);
}

}  // namespace ovut::cstring
