// "variant": stores one value of each kind a profile keeps for OLE variants, prints the stored
// text and what reads back.
#include <windows.h>
#include <oaidl.h>

#include <cwchar>

#include "command.h"
#include "ovut19.h"

namespace {

// What a value reads back as, in one line.
void Describe(const VARIANT& v, wchar_t* out, size_t size) {
  switch (v.vt) {
    case VT_EMPTY: swprintf(out, size, L"VT_EMPTY"); break;
    case VT_NULL: swprintf(out, size, L"VT_NULL"); break;
    case VT_BSTR: swprintf(out, size, L"VT_BSTR \"%s\"", v.bstrVal ? v.bstrVal : L""); break;
    case VT_R8: swprintf(out, size, L"VT_R8 %g", v.dblVal); break;
    case VT_R4: swprintf(out, size, L"VT_R4 %g", v.fltVal); break;
    case VT_BOOL: swprintf(out, size, L"VT_BOOL %d", v.boolVal); break;
    default: swprintf(out, size, L"vt %u, value bits 0x%016I64X", v.vt, v.ullVal); break;
  }
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
