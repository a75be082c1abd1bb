// Text parsers without a profile: a NULL text or a text of another form gives the default.
#include "exports/prof_guard.h"
#include "ovut19/prof.h"
#include "profile/typed_values.h"
#include "profile/value_scan.h"

using namespace ovut::profile;

extern "C" {

// The empty text has no first unit of T or Y: false.
void WINAPI ProfLPSTRtoBOOLW(LPCWSTR text, BOOL* out, BOOL def) {
  Guarded([&] {
    if (out) *out = text ? (ParseBool(text) ? 1 : 0) : def;
  });
}
void WINAPI ProfLPSTRtoBOOLA(LPCSTR text, BOOL* out, BOOL def) {
  Guarded([&] { ProfLPSTRtoBOOLW(clsAnsiArg(text, true).Wide(), out, def); });
}

void WINAPI ProfLPSTRtoINTW(LPCWSTR text, int* out, int def) {
  Guarded([&] {
    if (!out) return;
    int32_t v;
    *out = text && ParseDecimal(text, v) ? v : def;
  });
}
void WINAPI ProfLPSTRtoINTA(LPCSTR text, int* out, int def) {
  Guarded([&] { ProfLPSTRtoINTW(clsAnsiArg(text, true).Wide(), out, def); });
}

void WINAPI ProfLPSTRtoINT64W(LPCWSTR text, LONGLONG* out, LONGLONG def) {
  Guarded([&] {
    if (!out) return;
    uint64_t v;
    *out = text && ParseUnsigned64(text, v) ? static_cast<LONGLONG>(v) : def;
  });
}
void WINAPI ProfLPSTRtoINT64A(LPCSTR text, LONGLONG* out, LONGLONG def) {
  Guarded([&] { ProfLPSTRtoINT64W(clsAnsiArg(text, true).Wide(), out, def); });
}

// Fewer than 4 values gives the whole default, so no half-read rectangle is left behind.
void WINAPI ProfLPSTRtoRECTW(LPCWSTR text, RECT* out, const RECT* def) {
  Guarded([&] {
    if (!out) return;
    RECT r{};
    int32_t* fields[4] = {reinterpret_cast<int32_t*>(&r.left), reinterpret_cast<int32_t*>(&r.top),
                          reinterpret_cast<int32_t*>(&r.right), reinterpret_cast<int32_t*>(&r.bottom)};
    if (text && ScanTuple(text, fields, 4) == 4)
      *out = r;
    else if (def && def != out)
      *out = *def;
  });
}
void WINAPI ProfLPSTRtoRECTA(LPCSTR text, RECT* out, const RECT* def) {
  Guarded([&] { ProfLPSTRtoRECTW(clsAnsiArg(text, true).Wide(), out, def); });
}

void WINAPI ProfLPSTRtoCOLORREFW(LPCWSTR text, COLORREF* out, COLORREF def) {
  Guarded([&] {
    if (!out) return;
    COLORREF c;
    *out = text && ParseColorref(text, c) ? c : def;
  });
}
void WINAPI ProfLPSTRtoCOLORREFA(LPCSTR text, COLORREF* out, COLORREF def) {
  Guarded([&] { ProfLPSTRtoCOLORREFW(clsAnsiArg(text, true).Wide(), out, def); });
}

}  // extern "C"
