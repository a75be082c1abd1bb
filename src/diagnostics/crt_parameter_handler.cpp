// The C runtime reports invalid parameters to a process-wide handler; by default that ends the
// process. The library turns the report into a warning and lets the call return its error.
#include <windows.h>

#include <cstdlib>

#include "diagnostics/debug_output.h"

namespace ovut::debug {
namespace {

_invalid_parameter_handler g_previous = nullptr;
bool g_installed = false;

void __cdecl OnInvalidParameter(const wchar_t* expression, const wchar_t* function, const wchar_t* file,
                                unsigned int line, uintptr_t) {
  if (expression && function && file)
    Warning(L"%ws (line %d): %ws: INVALID PARAMETER in '%ws'", file, static_cast<int>(line), function, expression);
  else
    Warning(L"INVALID PARAMETER in CRT function detected - ignored");
}

}  // namespace

// The toolchain's setter uses the runtime DLL's handler where the DLL has one.
void InstallInvalidParameterHandler() {
  if (g_installed) return;
  g_previous = _set_invalid_parameter_handler(OnInvalidParameter);
  g_installed = true;
}

// The runtime is shared with the host: a handler left behind would point into unloaded code.
void UninstallInvalidParameterHandler() {
  if (!g_installed) return;
  _invalid_parameter_handler current = _set_invalid_parameter_handler(g_previous);
  if (current != OnInvalidParameter) _set_invalid_parameter_handler(current);  // someone else took over since
  g_installed = false;
}

}  // namespace ovut::debug
