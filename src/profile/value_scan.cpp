#include "profile/value_scan.h"

namespace ovut::profile {
namespace {

inline bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

inline int DigitValue(wchar_t c, unsigned base) {
  int v;
  if (c >= L'0' && c <= L'9')
    v = c - L'0';
  else if (c >= L'a' && c <= L'f')
    v = c - L'a' + 10;
  else if (c >= L'A' && c <= L'F')
    v = c - L'A' + 10;
  else
    return -1;
  return v < static_cast<int>(base) ? v : -1;
}

}  // namespace

bool clsValueScanner::Number(unsigned base, uint64_t& out) {
  const wchar_t* p = p_;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  if (base == 16 && p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && DigitValue(p[2], 16) >= 0) p += 2;
  if (DigitValue(*p, base) < 0) return false;
  uint64_t v = 0;
  for (int d; (d = DigitValue(*p, base)) >= 0; ++p) v = v * base + static_cast<unsigned>(d);
  out = negative ? 0 - v : v;
  p_ = p;
  return true;
}

bool clsValueScanner::Decimal32(int32_t& out) {
  uint64_t v;
  if (!Number(10, v)) return false;
  out = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

bool clsValueScanner::Hex32(uint32_t& out) {
  uint64_t v;
  if (!Number(16, v)) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool clsValueScanner::Hex64(uint64_t& out) { return Number(16, out); }
bool clsValueScanner::Unsigned64(uint64_t& out) { return Number(10, out); }

int ScanTuple(const wchar_t* text, int32_t* const* values, int count) {
  clsValueScanner s(text);
  if (!s.Literal(L'(')) return 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !s.Literal(L',')) return i;
    if (!s.Decimal32(*values[i])) return i;
  }
  return count;
}

}  // namespace ovut::profile
