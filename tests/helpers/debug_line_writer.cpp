// Writes debug lines through OVUT19.DLL's exports, one command per argument, then exits with
// UtilGetFlags(). Commands:
//   line:<text>                 UtilDebug("%s", text)
//   ext:<module>:<change>:<text> UtilDebugExt(module, change, "%s", text)
//   pas:<text>                  PasDebug(text)
//   modules                     UtilListModules()
//   stack                       "trace from 0x<address of the calling function>", UtilStackTrace(0, 0)
//   bad                         null and unreadable pointers, huge widths, then "bad-done"
//   crash                       ends the process with an access violation
//   sleep:<ms>                  waits (a viewer reads the lines while the process still runs)
#include <windows.h>

#include <climits>
#include <cwchar>
#include <string>

#include "ovut19.h"

namespace {

void ExtV(const wchar_t* module, int change, const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  UtilDebugExtV(module, change, format, a);
  va_end(a);
}

void Bad() {
  const wchar_t* unreadable = reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(0x10));
  UtilDebug(nullptr);
  UtilDebug(unreadable);
  UtilDebug(L"null text: %s", static_cast<const wchar_t*>(nullptr));
  UtilDebug(L"unreadable text: %s", unreadable);
  UtilDebug(L"huge width: %*d", INT_MAX, 1);
  UtilDebug(L"huge precision: %.*s", INT_MAX, L"abc");
  UtilDebug(L"wide: %5000d|", 7);
  UtilDebugExt(unreadable, 0, L"unreadable module");
  UtilDebugExt(nullptr, 0, nullptr);
  ExtV(nullptr, 0, L"via V %d", 3);
  PasDebug(nullptr);
  PasDebug(unreadable);
  UtilDebug(L"bad-done");
}

// A crash ends the process at once with the exception code, without a crash debugger and
// without the library's good-bye, as a crash in the field does.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// Names its own address, then asks for a stack trace that must start in it.
__attribute__((noipa)) void TraceFromHere() {
  UtilDebug(L"trace from 0x%p", reinterpret_cast<void*>(&TraceFromHere));
  UtilStackTrace(0, 0);
  __asm__ volatile("");  // keeps this frame: no tail call
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"line:", 0) == 0) {
      UtilDebug(L"%s", arg.c_str() + 5);
    } else if (arg.rfind(L"ext:", 0) == 0) {
      size_t a = arg.find(L':', 4), b = arg.find(L':', a + 1);
      if (a == std::wstring::npos || b == std::wstring::npos) return 100;
      std::wstring module = arg.substr(4, a - 4);
      int change = _wtoi(arg.substr(a + 1, b - a - 1).c_str());
      UtilDebugExt(module.c_str(), change, L"%s", arg.c_str() + b + 1);
    } else if (arg.rfind(L"pas:", 0) == 0) {
      PasDebug(arg.c_str() + 4);
    } else if (arg == L"modules") {
      UtilListModules();
    } else if (arg == L"stack") {
      TraceFromHere();
    } else if (arg == L"bad") {
      Bad();
    } else if (arg == L"crash") {
      SetUnhandledExceptionFilter(EndOnCrash);
      *static_cast<volatile int*>(nullptr) = 1;
    } else if (arg.rfind(L"sleep:", 0) == 0) {
      Sleep(static_cast<DWORD>(_wtoi(arg.c_str() + 6)));
    } else {
      return 101;
    }
  }
  return UtilGetFlags();
}
