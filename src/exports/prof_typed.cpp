// Typed profile value entry points: writers format the value and store its text; getters
// parse the stored text.
#include "exports/prof_guard.h"
#include "ovut19/prof.h"
#include "profile/string_ops.h"
#include "profile/typed_values.h"

using namespace ovut::profile;

namespace {

template <typename F>
void Write(HPROFJOB job, HPROFLIST list, const wchar_t* name, bool append, F format) {
  TypedText t;
  format(t);
  WriteString(job, list, name, t.text, append);
}

}  // namespace

// Append and set pairs in both forms. FORMAT formats `value` into `t`; `append` is known there.
#define OVUT_PROF_WRITERS(T, Type, FORMAT)                                                              \
  void WINAPI ProfAppend##T##W(HPROFJOB job, HPROFLIST list, LPCWSTR name, Type value) {              \
    const bool append = true;                                                                          \
    Guarded([&] { Write(job, list, name, append, [&](TypedText& t) { FORMAT; }); });                  \
  }                                                                                                    \
  void WINAPI ProfAppend##T##A(HPROFJOB job, HPROFLIST list, LPCSTR name, Type value) {               \
    const bool append = true;                                                                          \
    Guarded([&] { Write(job, list, clsAnsiArg(name).Wide(), append, [&](TypedText& t) { FORMAT; }); }); \
  }                                                                                                    \
  void WINAPI ProfSet##T##W(HPROFJOB job, HPROFLIST list, LPCWSTR name, Type value) {                 \
    const bool append = false;                                                                         \
    Guarded([&] { Write(job, list, name, append, [&](TypedText& t) { FORMAT; }); });                  \
  }                                                                                                    \
  void WINAPI ProfSet##T##A(HPROFJOB job, HPROFLIST list, LPCSTR name, Type value) {                  \
    const bool append = false;                                                                         \
    Guarded([&] { Write(job, list, clsAnsiArg(name).Wide(), append, [&](TypedText& t) { FORMAT; }); }); \
  }

// Pointer-taking writers do nothing without a value.
#define OVUT_PROF_PTR_WRITERS(T, Type, FORMAT)                                                         \
  void WINAPI ProfAppend##T##W(HPROFJOB job, HPROFLIST list, LPCWSTR name, Type value) {              \
    if (value) Guarded([&] { Write(job, list, name, true, [&](TypedText& t) { FORMAT; }); });          \
  }                                                                                                    \
  void WINAPI ProfAppend##T##A(HPROFJOB job, HPROFLIST list, LPCSTR name, Type value) {               \
    if (value) Guarded([&] { Write(job, list, clsAnsiArg(name).Wide(), true, [&](TypedText& t) { FORMAT; }); }); \
  }                                                                                                    \
  void WINAPI ProfSet##T##W(HPROFJOB job, HPROFLIST list, LPCWSTR name, Type value) {                 \
    if (value) Guarded([&] { Write(job, list, name, false, [&](TypedText& t) { FORMAT; }); });         \
  }                                                                                                    \
  void WINAPI ProfSet##T##A(HPROFJOB job, HPROFLIST list, LPCSTR name, Type value) {                  \
    if (value) Guarded([&] { Write(job, list, clsAnsiArg(name).Wide(), false, [&](TypedText& t) { FORMAT; }); }); \
  }

extern "C" {

OVUT_PROF_WRITERS(Bool, BOOL, FormatBool(value, t))
OVUT_PROF_WRITERS(Int, int, FormatInt(value, t))
OVUT_PROF_WRITERS(IntHex, int, FormatIntHex(value, append, t))
OVUT_PROF_WRITERS(Int64, LONGLONG, FormatInt64(value, t))
OVUT_PROF_WRITERS(Int64Hex, LONGLONG, FormatInt64Hex(value, append, t))
OVUT_PROF_WRITERS(Double, double, FormatDouble(value, t))
OVUT_PROF_WRITERS(Colorref, COLORREF, FormatColorref(value, t))
OVUT_PROF_PTR_WRITERS(Point, const POINT*, FormatPoint(*value, t))
OVUT_PROF_PTR_WRITERS(Rect, const RECT*, FormatRect(*value, t))
OVUT_PROF_PTR_WRITERS(RectLTWH, const RECT*, FormatRectLTWH(*value, t))

int WINAPI ProfGetBoolW(HPROFJOB job, HPROFLIST list, LPCWSTR name, BOOL* out, BOOL def) {
  return GetBool(job, list, name, out, def);
}
int WINAPI ProfGetBoolA(HPROFJOB job, HPROFLIST list, LPCSTR name, BOOL* out, BOOL def) {
  return Guarded<int>(-6, [&] { return GetBool(job, list, clsAnsiArg(name).Wide(), out, def); });
}

int WINAPI ProfGetIntW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int* out, int def) {
  return GetInt(job, list, name, out, def);
}
int WINAPI ProfGetIntA(HPROFJOB job, HPROFLIST list, LPCSTR name, int* out, int def) {
  return Guarded<int>(-6, [&] { return GetInt(job, list, clsAnsiArg(name).Wide(), out, def); });
}

int WINAPI ProfGetInt64W(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG* out, LONGLONG def) {
  return GetInt64(job, list, name, reinterpret_cast<int64_t*>(out), def);
}
int WINAPI ProfGetInt64A(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG* out, LONGLONG def) {
  return Guarded<int>(-6, [&] { return GetInt64(job, list, clsAnsiArg(name).Wide(), reinterpret_cast<int64_t*>(out), def); });
}

int WINAPI ProfGetDoubleW(HPROFJOB job, HPROFLIST list, LPCWSTR name, double* out, double def) {
  return GetDouble(job, list, name, out, def);
}
int WINAPI ProfGetDoubleA(HPROFJOB job, HPROFLIST list, LPCSTR name, double* out, double def) {
  return Guarded<int>(-6, [&] { return GetDouble(job, list, clsAnsiArg(name).Wide(), out, def); });
}

int WINAPI ProfGetPointW(HPROFJOB job, HPROFLIST list, LPCWSTR name, POINT* out, const POINT* def) {
  return GetPoint(job, list, name, out, def);
}
int WINAPI ProfGetPointA(HPROFJOB job, HPROFLIST list, LPCSTR name, POINT* out, const POINT* def) {
  return Guarded<int>(-6, [&] { return GetPoint(job, list, clsAnsiArg(name).Wide(), out, def); });
}

int WINAPI ProfGetRectW(HPROFJOB job, HPROFLIST list, LPCWSTR name, RECT* out, const RECT* def) {
  return GetRect(job, list, name, out, def, false);
}
int WINAPI ProfGetRectA(HPROFJOB job, HPROFLIST list, LPCSTR name, RECT* out, const RECT* def) {
  return Guarded<int>(-6, [&] { return GetRect(job, list, clsAnsiArg(name).Wide(), out, def, false); });
}

int WINAPI ProfGetRectLTWHW(HPROFJOB job, HPROFLIST list, LPCWSTR name, RECT* out, const RECT* def) {
  return GetRect(job, list, name, out, def, true);
}
int WINAPI ProfGetRectLTWHA(HPROFJOB job, HPROFLIST list, LPCSTR name, RECT* out, const RECT* def) {
  return Guarded<int>(-6, [&] { return GetRect(job, list, clsAnsiArg(name).Wide(), out, def, true); });
}

int WINAPI ProfGetColorrefW(HPROFJOB job, HPROFLIST list, LPCWSTR name, COLORREF* out, COLORREF def) {
  return GetColorref(job, list, name, out, def);
}
int WINAPI ProfGetColorrefA(HPROFJOB job, HPROFLIST list, LPCSTR name, COLORREF* out, COLORREF def) {
  return Guarded<int>(-6, [&] { return GetColorref(job, list, clsAnsiArg(name).Wide(), out, def); });
}

}  // extern "C"
