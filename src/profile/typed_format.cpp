#include <clocale>
#include <cstdio>
#include <cstring>

#include "profile/typed_values.h"

namespace ovut::profile {
namespace {

// Appends units to out.text from position `at`; returns the new position.
int Put(TypedText& out, int at, const wchar_t* s) {
  while (*s && at < TypedText::kUnits - 1) out.text[at++] = *s++;
  out.text[at] = 0;
  return at;
}

int PutUnsigned(TypedText& out, int at, uint64_t v, unsigned base, bool upper, int minDigits) {
  const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  wchar_t tmp[24];
  int n = 0;
  do {
    tmp[n++] = digits[v % base];
    v /= base;
  } while (v);
  while (n < minDigits) tmp[n++] = L'0';
  wchar_t s[24];
  for (int i = 0; i < n; ++i) s[i] = tmp[n - 1 - i];
  s[n] = 0;
  return Put(out, at, s);
}

int PutSigned(TypedText& out, int at, int32_t v) {
  if (v < 0) at = Put(out, at, L"-");
  uint64_t magnitude = v < 0 ? 0u - static_cast<uint64_t>(static_cast<int64_t>(v)) : static_cast<uint64_t>(v);
  return PutUnsigned(out, at, magnitude, 10, false, 1);
}

void PutTuple(TypedText& out, const int32_t* v, int count) {
  int at = Put(out, 0, L"(");
  for (int i = 0; i < count; ++i) {
    if (i) at = Put(out, at, L",");
    at = PutSigned(out, at, v[i]);
  }
  Put(out, at, L")");
}

}  // namespace

void FormatBool(BOOL value, TypedText& out) { Put(out, 0, value ? L"TRUE" : L"FALSE"); }

void FormatInt(int32_t value, TypedText& out) { PutSigned(out, 0, value); }

void FormatIntHex(int32_t value, bool padded, TypedText& out) {
  PutUnsigned(out, Put(out, 0, L"x"), static_cast<uint32_t>(value), 16, padded, padded ? 8 : 1);
}

void FormatInt64(int64_t value, TypedText& out) { PutUnsigned(out, 0, static_cast<uint64_t>(value), 10, false, 1); }

void FormatInt64Hex(int64_t value, bool upper, TypedText& out) {
  PutUnsigned(out, Put(out, 0, L"x"), static_cast<uint64_t>(value), 16, upper, 1);
}

void FormatDouble(double value, TypedText& out) {
  char fixed[400];
  int n = __mingw_snprintf(fixed, sizeof fixed, "%f", value);
  if (n < 0) n = 0;
  if (n >= static_cast<int>(sizeof fixed)) n = sizeof fixed - 1;
  // The C library may use the host's radix character; stored values always use ".".
  const char* radix = std::localeconv() ? std::localeconv()->decimal_point : ".";
  size_t radixLength = radix ? std::strlen(radix) : 0;
  int at = 0;
  for (int i = 0; i < n && at < TypedText::kUnits - 1; ++i) {
    if (radixLength && radix[0] != '.' && std::strncmp(fixed + i, radix, radixLength) == 0) {
      out.text[at++] = L'.';
      i += static_cast<int>(radixLength) - 1;
      continue;
    }
    out.text[at++] = static_cast<unsigned char>(fixed[i]);
  }
  out.text[at] = 0;
}

void FormatPoint(const POINT& p, TypedText& out) {
  int32_t v[2] = {p.x, p.y};
  PutTuple(out, v, 2);
}

void FormatRect(const RECT& r, TypedText& out) {
  int32_t v[4] = {r.left, r.top, r.right, r.bottom};
  PutTuple(out, v, 4);
}

void FormatRectLTWH(const RECT& r, TypedText& out) {
  auto diff = [](LONG a, LONG b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); };
  int32_t v[4] = {r.left, r.top, diff(r.right, r.left), diff(r.bottom, r.top)};
  PutTuple(out, v, 4);
}

void FormatColorref(COLORREF c, TypedText& out) {
  int32_t v[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
  PutTuple(out, v, 3);
}

}  // namespace ovut::profile
