#include <clocale>
#include <cstdlib>
#include <cstring>

#include "profile/typed_values.h"
#include "profile/value_scan.h"

namespace ovut::profile {

bool ParseBool(const wchar_t* text) { return text[0] == L'T' || text[0] == L'Y'; }

bool ParseDecimal(const wchar_t* text, int32_t& out) { return clsValueScanner(text).Decimal32(out); }

bool ParseInt(const wchar_t* text, int32_t& out) {
  clsValueScanner hex(text);
  uint32_t h;
  if (hex.Literal(L'x') && hex.Hex32(h)) {
    out = static_cast<int32_t>(h);
    return true;
  }
  return ParseDecimal(text, out);
}

bool ParseUnsigned64(const wchar_t* text, uint64_t& out) { return clsValueScanner(text).Unsigned64(out); }

bool ParseInt64(const wchar_t* text, uint64_t& out) {
  clsValueScanner hex(text);
  if (hex.Literal(L'x') && hex.Hex64(out)) return true;
  return ParseUnsigned64(text, out);
}

bool ParseColorref(const wchar_t* text, COLORREF& out) {
  clsValueScanner hex(text);
  uint32_t h;
  if (hex.Literal(L'x') && hex.Hex32(h)) {
    out = h;
    return true;
  }
  int32_t r, g, b;
  int32_t* fields[3] = {&r, &g, &b};
  if (ScanTuple(text, fields, 3) != 3) return false;
  out = RGB(r & 0xFF, g & 0xFF, b & 0xFF);
  return true;
}

double ParseDouble(const wchar_t* text) {
  // The longest prefix of the form [blanks][sign]digits[.digits][(e|E)[sign]digits], handed to
  // the C library's conversion with the radix character it expects.
  const wchar_t* p = text;
  while (*p == L' ' || (*p >= L'\t' && *p <= L'\r')) ++p;
  char number[512];
  size_t n = 0;
  const char* radix = std::localeconv() ? std::localeconv()->decimal_point : ".";
  if (!radix || !*radix) radix = ".";
  size_t radixLength = std::strlen(radix);
  auto put = [&](char c) {
    if (n < sizeof number - 8) number[n++] = c;
  };
  if (*p == L'+' || *p == L'-') put(static_cast<char>(*p++));
  size_t digits = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p, ++digits) put(static_cast<char>(*p));
  if (*p == L'.') {
    const wchar_t* q = p + 1;
    size_t fraction = 0;
    for (; q[fraction] >= L'0' && q[fraction] <= L'9'; ++fraction) {}
    if (digits || fraction) {
      for (size_t i = 0; i < radixLength; ++i) put(radix[i]);
      for (size_t i = 0; i < fraction; ++i) put(static_cast<char>(q[i]));
      digits += fraction;
      p = q + fraction;
    }
  }
  if (!digits) return 0.0;
  if (*p == L'e' || *p == L'E') {
    const wchar_t* q = p + 1;
    if (*q == L'+' || *q == L'-') ++q;
    if (*q >= L'0' && *q <= L'9') {
      put('e');
      if (p[1] == L'-') put('-');
      size_t expDigits = 0;
      for (; *q == L'0'; ++q) {}
      for (; *q >= L'0' && *q <= L'9'; ++q)
        if (expDigits++ < 6) put(static_cast<char>(*q));
      if (!expDigits) put('0');
    }
  }
  number[n] = 0;
  return std::strtod(number, nullptr);
}

}  // namespace ovut::profile
