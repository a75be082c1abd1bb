// String::Format: printf-style wide formatting with a bounded, checked length estimate.
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <memory>

#include "foundation/string.h"

namespace {

const wchar_t kFormatError[] = L"<printf format error>";
// Estimates beyond this are refused rather than allocated (huge '*' widths or precisions).
constexpr uint64_t kMaxEstimate = 16u * 1024 * 1024;

using IsBadStringPtrWFn = BOOL(WINAPI*)(LPCWSTR, UINT_PTR);
using IsBadStringPtrAFn = BOOL(WINAPI*)(LPCSTR, UINT_PTR);
using IsBadReadPtrFn = BOOL(WINAPI*)(const void*, UINT_PTR);

struct PointerChecks {
  IsBadStringPtrWFn wide = nullptr;
  IsBadStringPtrAFn narrow = nullptr;
  IsBadReadPtrFn read = nullptr;
  PointerChecks() {
    HMODULE k = GetModuleHandleW(L"kernel32.dll");
    if (!k) return;
    wide = reinterpret_cast<IsBadStringPtrWFn>(reinterpret_cast<void*>(GetProcAddress(k, "IsBadStringPtrW")));
    narrow = reinterpret_cast<IsBadStringPtrAFn>(reinterpret_cast<void*>(GetProcAddress(k, "IsBadStringPtrA")));
    read = reinterpret_cast<IsBadReadPtrFn>(reinterpret_cast<void*>(GetProcAddress(k, "IsBadReadPtr")));
  }
};
const PointerChecks& Checks() {
  static const PointerChecks checks;  // looked up once
  return checks;
}

// Length of a text that has been checked to be readable, without reading past a huge one.
template <typename C>
uint64_t TextLength(const C* p, int precision) {
  uint64_t n = 0;
  uint64_t limit = precision >= 0 ? static_cast<uint64_t>(precision) : kMaxEstimate + 1;
  while (n < limit && p[n]) ++n;
  return n;
}

// One pass over the format: an upper bound of the output length, or -1 for a format error.
// The va_list is walked exactly as the C runtime will walk it.
int64_t Estimate(const wchar_t* f, va_list args) {
  const bool debugger = ovut::DebuggerAttached();
  uint64_t total = 0;
  while (*f) {
    if (*f != L'%' || f[1] == L'%') {
      total += 2;
      f += (*f == L'%') ? 2 : 1;
      continue;
    }
    ++f;
    uint64_t item = 0;
    for (;; ++f) {
      if (*f == L'#') item += 2;
      else if (*f != L'-' && *f != L'+' && *f != L'0' && *f != L' ') break;
    }
    int64_t width = 0;
    if (*f == L'*') {
      width = va_arg(args, int);
      if (width < 0) width = -width;
      ++f;
    } else {
      while (*f >= L'0' && *f <= L'9') width = width * 10 + (*f++ - L'0');
    }
    int64_t precision = -1;
    if (*f == L'.') {
      ++f;
      precision = 0;
      if (*f == L'*') {
        precision = va_arg(args, int);
        if (precision < 0) precision = -1;
        ++f;
      } else {
        while (*f >= L'0' && *f <= L'9') precision = precision * 10 + (*f++ - L'0');
      }
    }
    if (width > static_cast<int64_t>(kMaxEstimate) || precision > static_cast<int64_t>(kMaxEstimate)) return -1;
    enum { kDefault, kShort, kLong, kWide64 } size = kDefault;
    bool pointerSized = false;
    for (bool more = true; more;) {
      switch (*f) {
        case L'h': size = kShort; ++f; break;
        case L'l':
          ++f;
          if (*f == L'l') { size = kWide64; ++f; } else size = kLong;
          break;
        case L'w': size = kLong; ++f; break;
        case L'F': case L'N': ++f; break;
        case L'L': size = kWide64; ++f; break;
        case L'I':
          if (f[1] == L'6' && f[2] == L'4') { size = kWide64; f += 3; }
          else if (f[1] == L'3' && f[2] == L'2') { f += 3; }
          else { pointerSized = true; ++f; }
          break;
        case L'z': case L't': case L'j': pointerSized = true; ++f; break;
        default: more = false;
      }
    }
    wchar_t type = *f;
    if (!type) break;
    ++f;
    switch (type) {
      case L'c': case L'C':
        (void)va_arg(args, int);
        item = (size == kLong) ? 2 : 1;
        if (static_cast<int64_t>(item) < width) item = static_cast<uint64_t>(width);
        if (precision >= 0 && static_cast<int64_t>(item) > precision) item = static_cast<uint64_t>(precision);
        break;
      case L's': case L'S': {
        const void* p = va_arg(args, const void*);
        // In wide formatting "S" without a size prefix is a narrow text, like "hs".
        bool narrow = size == kShort || (type == L'S' && size == kDefault);
        if (!p) return -1;
        const PointerChecks& c = Checks();
        if (!debugger) {
          if (narrow && c.narrow && c.narrow(static_cast<const char*>(p), static_cast<UINT_PTR>(-1))) return -1;
          if (!narrow && c.wide && c.wide(static_cast<const wchar_t*>(p), static_cast<UINT_PTR>(-1))) return -1;
        }
        int prec = precision >= 0 ? static_cast<int>(precision) : -1;
        item = narrow ? TextLength(static_cast<const char*>(p), prec) : TextLength(static_cast<const wchar_t*>(p), prec);
        uint64_t least = size == kLong ? 2 : 1;
        if (item < least) item = least;
        if (static_cast<int64_t>(item) < width) item = static_cast<uint64_t>(width);
        if (precision >= 0 && static_cast<int64_t>(item) > precision) item = static_cast<uint64_t>(precision);
        break;
      }
      case L'd': case L'i': case L'u': case L'x': case L'X': case L'o':
        if (size == kWide64) (void)va_arg(args, long long);
        else if (pointerSized) (void)va_arg(args, INT_PTR);
        else (void)va_arg(args, int);
        item = 34;
        if (static_cast<int64_t>(item) < width) item = static_cast<uint64_t>(width);
        if (precision + 2 > static_cast<int64_t>(item)) item = static_cast<uint64_t>(precision + 2);
        break;
      case L'e': case L'f': case L'g': case L'E': case L'G': case L'a': case L'A': {
        double v = va_arg(args, double);
        int64_t p = precision < 0 ? 6 : precision;
        item = static_cast<uint64_t>(std::max<int64_t>(128, width + p + 2) + 10);
        // Fixed notation writes every integer digit: up to 309 for the largest doubles.
        if ((type == L'f') && std::isfinite(v) && std::fabs(v) >= 1.0)
          item += static_cast<uint64_t>(std::log10(std::fabs(v))) + 1;
        break;
      }
      case L'p':
        (void)va_arg(args, void*);
        item = 2 * sizeof(void*) + 2;
        if (static_cast<int64_t>(item) < width) item = static_cast<uint64_t>(width);
        break;
      case L'n': {
        void* p = va_arg(args, void*);
        const PointerChecks& c = Checks();
        if (!p || (!debugger && c.read && c.read(p, 4))) return -1;
        item = 0;
        break;
      }
      default:
        item = 0;
    }
    total += item;
    if (total > kMaxEstimate) return -1;
  }
  return static_cast<int64_t>(total);
}

}  // namespace

String& String::FormatV(const wchar_t* format, va_list args) {
  if (!format) {
    *this = kFormatError;
    return *this;
  }
  va_list probe;
  va_copy(probe, args);
  int64_t estimate = Estimate(format, probe);
  va_end(probe);
  if (estimate < 0) {
    *this = kFormatError;
    return *this;
  }
  if (estimate < 100) {
    wchar_t small[100];
    int n = _vsnwprintf(small, 99, format, args);
    small[n < 0 ? 99 : n] = 0;
    *this = small;
  } else {
    size_t cap = static_cast<size_t>(estimate) + 1;
    std::unique_ptr<wchar_t[]> big(new wchar_t[cap]);
    int n = _vsnwprintf(big.get(), cap - 1, format, args);
    big[n < 0 ? cap - 1 : static_cast<size_t>(n)] = 0;
    *this = big.get();
  }
  return *this;
}

String& String::Format(const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  FormatV(format, a);
  va_end(a);
  return *this;
}

String String::Formatted(const wchar_t* format, ...) {
  String s;
  va_list a;
  va_start(a, format);
  s.FormatV(format, a);
  va_end(a);
  return s;
}
