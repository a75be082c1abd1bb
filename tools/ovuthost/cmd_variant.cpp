// "variant": stores one value of each kind a profile keeps for OLE variants, prints the stored
// text and what reads back.
#include <windows.h>
#include <oaidl.h>

#include <cwchar>

#include "command.h"
#include "ovut19.h"

namespace {

const wchar_t* TypeName(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY: return L"VT_EMPTY";
    case VT_NULL: return L"VT_NULL";
    case VT_UI1: return L"VT_UI1";
    case VT_BOOL: return L"VT_BOOL";
    case VT_I4: return L"VT_I4";
    case VT_R8: return L"VT_R8";
    case VT_I8: return L"VT_I8";
    case VT_DATE: return L"VT_DATE";
    case VT_FILETIME: return L"VT_FILETIME";
    case VT_BSTR: return L"VT_BSTR";
    default: return L"other";
  }
}

// What a value reads back as, in one line.
void Describe(const VARIANT& v, wchar_t* out, size_t size) {
  out[size - 1] = 0;
  if (v.vt == VT_BSTR) _snwprintf(out, size - 1, L"VT_BSTR \"%s\"", v.bstrVal ? v.bstrVal : L"");
  else if (v.vt == VT_R8 || v.vt == VT_DATE) _snwprintf(out, size - 1, L"%s %g", TypeName(v.vt), v.dblVal);
  else if (v.vt == VT_EMPTY || v.vt == VT_NULL) _snwprintf(out, size - 1, L"%s", TypeName(v.vt));
  else _snwprintf(out, size - 1, L"%s (vt %u), value bits 0x%016I64X", TypeName(v.vt), v.vt, v.ullVal);
}

int Variant(int, wchar_t**) {
  HPROFJOB job = ProfJobOpenW(nullptr);
  struct Sample {
    const wchar_t* name;
    VARIANT value;
  } samples[12];
  for (Sample& s : samples) VariantInit(&s.value);
  LONG referred = 1234;
  int n = 0;
  samples[n].name = L"Empty";
  samples[n++].value.vt = VT_EMPTY;
  samples[n].name = L"Null";
  samples[n++].value.vt = VT_NULL;
  samples[n].name = L"Byte";
  samples[n].value.vt = VT_UI1;
  samples[n++].value.bVal = 200;
  samples[n].name = L"Bool";
  samples[n].value.vt = VT_BOOL;
  samples[n++].value.boolVal = VARIANT_TRUE;
  samples[n].name = L"Int";
  samples[n].value.vt = VT_I4;
  samples[n++].value.lVal = -7;
  samples[n].name = L"IntByRef";
  samples[n].value.vt = VT_I4 | VT_BYREF;
  samples[n++].value.plVal = &referred;
  samples[n].name = L"Double";
  samples[n].value.vt = VT_R8;
  samples[n++].value.dblVal = 3.25;
  samples[n].name = L"Int64";
  samples[n].value.vt = VT_I8;
  samples[n++].value.llVal = -1234567890123ll;
  samples[n].name = L"Date";
  samples[n].value.vt = VT_DATE;
  samples[n++].value.date = 45000.5;
  samples[n].name = L"FileTime";
  samples[n].value.vt = VT_FILETIME;
  samples[n++].value.ullVal = 0x01DA0000DEADBEEFull;
  samples[n].name = L"Text";
  samples[n].value.vt = VT_BSTR;
  samples[n++].value.bstrVal = SysAllocString(L"Hello, profile");
  samples[n].name = L"LongText";
  samples[n].value.vt = VT_BSTR;
  samples[n++].value.bstrVal = SysAllocString(L"A text of more than fifty characters is stored compressed.");

  wchar_t stored[512];
  wchar_t described[160];
  for (int i = 0; i < n; ++i) {
    ProfSetVariant(job, 0, samples[i].name, &samples[i].value);
    ProfGetStringW(job, 0, samples[i].name, stored, 512, L"");
    VARIANT back;
    VariantInit(&back);
    ProfGetVariant(job, 0, samples[i].name, &back, nullptr);
    Describe(back, described, 160);
    ovuthost::Print(L"%-9s %s\n          -> %s\n", samples[i].name, stored, described);
    VariantClear(&back);
    if (samples[i].value.vt == VT_BSTR) VariantClear(&samples[i].value);
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
                 L"store one value of each variant type in a profile and read it back (example: ovuthost variant)",
                 Variant);
