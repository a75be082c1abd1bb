// "variant": stores one value of each kind a profile keeps for OLE variants, prints the stored
// text and what reads back.
#include <windows.h>
#include <oaidl.h>

#include <cwchar>

#include "command.h"
#include "ovut19.h"

namespace {

const wchar_t* TypeName(VARTYPE vt) {
  static const struct {
    VARTYPE vt;
    const wchar_t* name;
  } names[] = {{VT_EMPTY, L"VT_EMPTY"}, {VT_NULL, L"VT_NULL"},   {VT_I1, L"VT_I1"},       {VT_UI1, L"VT_UI1"},
               {VT_I2, L"VT_I2"},       {VT_UI2, L"VT_UI2"},     {VT_BOOL, L"VT_BOOL"},   {VT_I4, L"VT_I4"},
               {VT_UI4, L"VT_UI4"},     {VT_INT, L"VT_INT"},     {VT_UINT, L"VT_UINT"},   {VT_R4, L"VT_R4"},
               {VT_ERROR, L"VT_ERROR"}, {VT_R8, L"VT_R8"},       {VT_CY, L"VT_CY"},       {VT_DATE, L"VT_DATE"},
               {VT_I8, L"VT_I8"},       {VT_UI8, L"VT_UI8"},     {VT_FILETIME, L"VT_FILETIME"},
               {VT_BSTR, L"VT_BSTR"},   {VT_CLSID, L"VT_CLSID"}, {VT_DECIMAL, L"VT_DECIMAL"}};
  for (const auto& n : names)
    if (n.vt == vt) return n.name;
  return L"other";
}

// What a value reads back as, in one line.
void Describe(const VARIANT& v, wchar_t* out, size_t size) {
  out[size - 1] = 0;
  if (v.vt == VT_BSTR) _snwprintf(out, size - 1, L"VT_BSTR \"%s\"", v.bstrVal ? v.bstrVal : L"");
  else if (v.vt == VT_R8 || v.vt == VT_DATE) _snwprintf(out, size - 1, L"%s %g", TypeName(v.vt), v.dblVal);
  else if (v.vt == VT_R4) _snwprintf(out, size - 1, L"VT_R4 %g", static_cast<double>(v.fltVal));
  else if (v.vt == VT_EMPTY || v.vt == VT_NULL) _snwprintf(out, size - 1, L"%s", TypeName(v.vt));
  else _snwprintf(out, size - 1, L"%s (vt %u), value bits 0x%016I64X", TypeName(v.vt), v.vt, v.ullVal);
}

int Variant(int, wchar_t**) {
  // One value of each type the record knows, a by-reference value, and two the record does not
  // carry (a GUID held elsewhere, a DECIMAL): those read back empty.
  LONG referred = 1234;
  static GUID guid = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
  struct Sample {
    const wchar_t* name;
    VARTYPE vt;
    ULONGLONG bits;  // the value field's bytes (by-reference and text values are set below)
  } const samples[] = {
      {L"Empty", VT_EMPTY, 0},
      {L"Null", VT_NULL, 0},
      {L"Char", VT_I1, 0x9C},  // -100
      {L"Byte", VT_UI1, 200},
      {L"Short", VT_I2, 0x8000},
      {L"Word", VT_UI2, 65535},
      {L"Bool", VT_BOOL, 0xFFFF},  // VARIANT_TRUE
      {L"Int", VT_I4, 0xFFFFFFF9},  // -7
      {L"DWord", VT_UI4, 4000000000u},
      {L"NatInt", VT_INT, 42},
      {L"NatUInt", VT_UINT, 43},
      {L"Float", VT_R4, 0x40500000},  // 3.25f
      {L"Error", VT_ERROR, 0x80004005},
      {L"Double", VT_R8, 0x400A000000000000ull},  // 3.25
      {L"Currency", VT_CY, 12345678},  // 1234.5678
      {L"Date", VT_DATE, 0x40E5F91000000000ull},  // 45000.5
      {L"Int64", VT_I8, static_cast<ULONGLONG>(-1234567890123ll)},
      {L"UInt64", VT_UI8, 0xFEDCBA9876543210ull},
      {L"FileTime", VT_FILETIME, 0x01DA0000DEADBEEFull},
      {L"IntByRef", VT_I4 | VT_BYREF, 0},
      {L"Text", VT_BSTR, 0},
      {L"LongText", VT_BSTR, 1},
      {L"Guid", VT_CLSID, 0},
      {L"Decimal", VT_DECIMAL, 0},
  };
  HPROFJOB job = ProfJobOpenW(nullptr);
  wchar_t stored[512];
  wchar_t described[160];
  for (const Sample& s : samples) {
    VARIANT value;
    VariantInit(&value);
    value.vt = s.vt;
    value.ullVal = s.bits;
    if (s.vt == (VT_I4 | VT_BYREF)) value.plVal = &referred;
    if (s.vt == VT_CLSID) value.byref = &guid;
    if (s.vt == VT_DECIMAL) {
      VarDecFromI4(-5, &value.decVal);
      value.vt = VT_DECIMAL;  // the DECIMAL overlays the type field
    }
    if (s.vt == VT_BSTR)
      value.bstrVal = SysAllocString(s.bits ? L"A text of more than fifty characters is stored compressed."
                                            : L"Hello, profile");
    ProfSetVariant(job, 0, s.name, &value);
    ProfGetStringW(job, 0, s.name, stored, 512, L"");
    VARIANT back;
    VariantInit(&back);
    ProfGetVariant(job, 0, s.name, &back, nullptr);
    Describe(back, described, 160);
    ovuthost::Print(L"%-9s %s\n          -> %s\n", s.name, stored, described);
    VariantClear(&back);
    if (s.vt == VT_BSTR) VariantClear(&value);
  }
  // Plain text reads back as a string.
  ProfSetStringW(job, 0, L"Plain", L"not a variant");
  VARIANT back;
  VariantInit(&back);
  ProfGetVariant(job, 0, L"Plain", &back, nullptr);
  Describe(back, described, 160);
  ovuthost::Print(L"%-9s %s\n          -> %s\n", L"Plain", L"not a variant", described);
  VariantClear(&back);
  ProfJobClose(job);
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(variant, L"variant",
                 L"store one value of each variant type in a profile and read it back",
                 Variant);
OVUTHOST_EXAMPLE(variant, L"");
