/* A host without any C runtime, linked by lld-link against the MSVC import library OVUT19.lib:
   proves that the library's names (stdcall-decorated on 32-bit, cdecl for "...") resolve to the
   DLL's exports. The exit code names the first step that failed. */
#include <ovut19.h>

static void Say(const char* text) {
  DWORD written, n = 0;
  while (text[n]) ++n;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, n, &written, NULL);
}

void __stdcall ConsumerStart(void) {
  WCHAR value[32];
  UINT code = 0;
  HPROFJOB job;
  if (UtilGetVersion(0) != 0x130001) code = 1;
  job = ProfJobOpenW(NULL);
  if (!code && !job) code = 2;
  if (!code) {
    ProfSetStringW(job, 0, L"Window/Main/Left", L"10");
    if (ProfGetStringW(job, 0, L"Window/Main/Left", value, 32, L"") != 2 || UtilStrcmp(value, L"10") != 0) code = 3;
    ProfJobClose(job);
  }
  UtilDebug(L"consumer: %d", (int)code); /* cdecl with a variable argument list */
  if (!code && UtilSafeSprintf(value, 32, L"%s-%d", L"ok", 19) != 5) code = 4;
  Say(code ? "msvc consumer: failed\r\n" : "msvc consumer: ok\r\n");
  ExitProcess(code);
}
