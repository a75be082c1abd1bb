// Debug output entry points.
#include "diagnostics/debug_output.h"
#include "ovut19/debug.h"

extern "C" {

void __cdecl UtilDebug(LPCWSTR format, ...) {
  if (!ovut::debug::IsActive()) return;
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

void WINAPI PasDebug(LPCWSTR text) {
  if (text) ovut::debug::WarningText(text);
}

int WINAPI UtilGetFlags(void) { return ovut::debug::IsActive() ? 1 : 0; }

void WINAPI UtilListModules(void) {}

void WINAPI UtilStackTrace(DWORD, DWORD skipFrames) {
  ovut::debug::StackTrace(skipFrames > 256 ? 0 : static_cast<int>(skipFrames));
}

}  // extern "C"
