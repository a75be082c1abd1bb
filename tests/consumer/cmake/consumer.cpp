// Calls a few exports through the CMake package's imported target; exit code 0 when all behave.
#include <ovut19.h>

#include <cstdio>
#include <cwchar>

namespace {
int failures = 0;
void Check(bool ok, const char* what) {
  if (!ok) {
    std::printf("consumer: %s failed\n", what);
    ++failures;
  }
}
}  // namespace

int wmain() {
  Check(UtilGetVersion(1) == 19, "UtilGetVersion");

  HUTILMODULE module = UtilJobOpen(L"Consumer", 0);
  HUTILHEAP heap = UtilHeapCreate(module, L"Objects", UTILHEAP_DEBUG);
  void* object = UtilHeapObjectAlloc(heap, 64, UTILHEAP_ZERO);
  Check(object && UtilHeapObjectSize(heap, object) == 64, "heap object");
  Check(UtilHeapObjectFree(heap, object) == 0 && UtilHeapDelete(heap) == 0 && UtilJobClose(module) == 0, "heap release");

  HPROFJOB job = ProfJobOpenW(nullptr);
  ProfSetIntW(job, 0, L"Count", 42);
  int count = 0;
  Check(ProfGetIntW(job, 0, L"Count", &count, 0) == 0 && count == 42, "profile");
  ProfJobClose(job);

  wchar_t text[16];
  Check(UtilConvertBLOBToString("abc", 3, text, 16, FALSE) == 0 && std::wcscmp(text, L"YWJj") == 0, "Base64");

  std::printf("consumer: %s\n", failures ? "FAILED" : "ok");
  return failures;
}
