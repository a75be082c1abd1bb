// Debug output entry points. The channel checks every pointer itself (null or unreadable
// formats and texts give a marked line or nothing) and never throws.
#include "diagnostics/debug_output.h"
#include "ovut19/debug.h"

extern "C" {

void __cdecl UtilDebug(LPCWSTR format, ...) {
  va_list a;
  va_start(a, format);
  ovut::debug::WriteV(nullptr, 0, format, a);
  va_end(a);
}

void __cdecl UtilDebugExt(LPCWSTR module, int indentChange, LPCWSTR format, ...) {
  va_list a;
  va_start(a, format);
  ovut::debug::WriteV(module, indentChange, format, a);
  va_end(a);
}

void WINAPI UtilDebugExtV(LPCWSTR module, int indentChange, LPCWSTR format, va_list args) {
  ovut::debug::WriteV(module, indentChange, format, args);
}

void WINAPI PasDebug(LPCWSTR text) { ovut::debug::LibraryText(text); }

int WINAPI UtilGetFlags(void) { return ovut::debug::IsActive() ? 1 : 0; }

void WINAPI UtilListModules(void) { ovut::debug::ListModules(); }

void WINAPI UtilStackTrace(DWORD, DWORD skipFrames) {
  // +1: this entry point's own frame.
  ovut::debug::StackTrace(skipFrames > 256 ? 1 : static_cast<int>(skipFrames) + 1);
}

}  // extern "C"
