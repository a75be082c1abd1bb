// The stored text forms of typed values and how they are read back. A profile written by one
// program and read by another relies on these forms exactly.
#pragma once
#include <windows.h>
#include <cstdint>

#include "profile/job.h"

namespace ovut::profile {

// Every form fits in 200 units; a double's fixed notation is cut to 199.
struct TypedText {
  static constexpr int kUnits = 200;
  wchar_t text[kUnits];
};

void FormatBool(BOOL value, TypedText& out);                     // TRUE / FALSE
void FormatInt(int32_t value, TypedText& out);                   // -42
void FormatIntHex(int32_t value, bool padded, TypedText& out);   // x0000001F / x1f
void FormatInt64(int64_t value, TypedText& out);                 // unsigned decimal of the pattern
void FormatInt64Hex(int64_t value, bool upper, TypedText& out);  // x1F / x1f
void FormatDouble(double value, TypedText& out);                 // 3.140000
void FormatPoint(const POINT& p, TypedText& out);                // (x,y)
void FormatRect(const RECT& r, TypedText& out);                  // (l,t,r,b)
void FormatRectLTWH(const RECT& r, TypedText& out);              // (l,t,w,h)
void FormatColorref(COLORREF c, TypedText& out);                 // (r,g,b)

// Parse rules; false when the text does not have the form (the value is then untouched).
bool ParseBool(const wchar_t* text);                          // first unit T or Y
bool ParseInt(const wchar_t* text, int32_t& out);             // "x%X", then "%d"
bool ParseDecimal(const wchar_t* text, int32_t& out);         // "%d"
bool ParseInt64(const wchar_t* text, uint64_t& out);          // "x%I64X", then "%I64u"
bool ParseUnsigned64(const wchar_t* text, uint64_t& out);     // "%I64u"
double ParseDouble(const wchar_t* text);                      // decimal, 0.0 when not a number
bool ParseColorref(const wchar_t* text, COLORREF& out);       // "x%lx", then exactly 3 of "(%d,%d,%d)"

// Typed getters: 0, -6 (not found or empty: default stored) or -9 (wrong form).
int GetBool(ProfHandle job, ProfHandle list, const wchar_t* name, BOOL* out, BOOL def) noexcept;
int GetInt(ProfHandle job, ProfHandle list, const wchar_t* name, int32_t* out, int32_t def) noexcept;
int GetInt64(ProfHandle job, ProfHandle list, const wchar_t* name, int64_t* out, int64_t def) noexcept;
int GetDouble(ProfHandle job, ProfHandle list, const wchar_t* name, double* out, double def) noexcept;
int GetPoint(ProfHandle job, ProfHandle list, const wchar_t* name, POINT* out, const POINT* def) noexcept;
int GetRect(ProfHandle job, ProfHandle list, const wchar_t* name, RECT* out, const RECT* def, bool ltwh) noexcept;
int GetColorref(ProfHandle job, ProfHandle list, const wchar_t* name, COLORREF* out, COLORREF def) noexcept;

}  // namespace ovut::profile
