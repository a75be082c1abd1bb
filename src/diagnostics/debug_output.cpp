// Placeholder until the channel lands: lines go to the system debugger only.
#include "diagnostics/debug_output.h"

#include <cstdio>

namespace ovut::debug {

void Initialize(HMODULE) {}
void Shutdown() {}
bool IsActive() { return false; }

void WriteV(const wchar_t* module, int, const wchar_t* format, va_list args) {
  if (!format) return;
  wchar_t line[1025];
  int n = _vsnwprintf(line, 1024, format, args);
  line[n < 0 ? 1024 : n] = 0;
  OutputDebugStringW(line);
}
void Write(const wchar_t* module, int change, const wchar_t* format, ...) {
  va_list a; va_start(a, format); WriteV(module, change, format, a); va_end(a);
}
void WarningV(const wchar_t* format, va_list args) { WriteV(L"OVUT19", 0, format, args); }
void Warning(const wchar_t* format, ...) {
  va_list a; va_start(a, format); WarningV(format, a); va_end(a);
}
void WarningText(const wchar_t* text) { Warning(L"%s", text); }
void StackTrace(int, int) {}

}  // namespace ovut::debug
