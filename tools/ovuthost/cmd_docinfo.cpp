// "docinfo FILE...": the eight document properties of each file, read through one handle.
#include <windows.h>
#include <oleauto.h>

#include "command.h"
#include "ovut19.h"

namespace {

// VT_DATE as "YYYY-MM-DD hh:mm:ss", empty when not delivered.
void PrintDate(const wchar_t* label, const VARIANT& v) {
  SYSTEMTIME t;
  if (V_VT(&v) == VT_DATE && VariantTimeToSystemTime(V_DATE(&v), &t))
    ovuthost::Print(L"  %-12s %04u-%02u-%02u %02u:%02u:%02u\n", label, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                    t.wSecond);
  else
    ovuthost::Print(L"  %-12s\n", label);
}

void PrintText(const wchar_t* label, const VARIANT& v) {
  ovuthost::Print(L"  %-12s %s\n", label, V_VT(&v) == VT_BSTR && V_BSTR(&v) ? V_BSTR(&v) : L"");
}

int DocInfo(int argc, wchar_t** argv) {
  if (argc < 2) {
    ovuthost::Print(L"usage: docinfo FILE...   (example: docinfo samples\\note.eml samples\\report.pdf)\n");
    return 2;
  }
  HUTILDOCINFO handle = UtilDocInfoOpen(0);
  if (!handle) return 1;
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    VARIANT v[9];
    for (VARIANT& x : v) VariantInit(&x);
    UTIL_DOCINFO_REQUEST request = {UTIL_DOCINFO_REQUEST_FULL_SIZE, &v[0], &v[1], &v[2], &v[3], &v[4],
                                    &v[5], &v[6], &v[7], &v[8]};
    ovuthost::Print(L"%s\n", argv[i]);
    if (UtilDocInfoGet(handle, argv[i], &request, 10) != 1) {
      ovuthost::Print(L"  no information\n");
      ++failed;
      continue;
    }
    PrintText(L"title", v[2]);
    PrintText(L"subject", v[3]);
    PrintText(L"author", v[4]);
    PrintText(L"last author", v[5]);
    PrintText(L"keywords", v[6]);
    PrintText(L"comments", v[7]);
    PrintDate(L"created", v[0]);
    PrintDate(L"modified", v[1]);
    PrintText(L"read from", v[8]);
    for (VARIANT& x : v) VariantClear(&x);
  }
  UtilDocInfoClose(handle);
  return failed ? 1 : 0;
}

}  // namespace

OVUTHOST_COMMAND(docinfo, L"docinfo", L"FILE...: title, subject, author, last author, keywords, comments, created "
                                      L"and modified of each file",
                 DocInfo);
OVUTHOST_EXAMPLE(docinfo, L"samples/docinfo/note.eml samples/docinfo/report.pdf samples/docinfo/letter.rtf "
                          L"samples/docinfo/page.html");
