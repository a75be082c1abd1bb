#include "exports/export_guard.h"

#include <windows.h>

#include <cstdio>

#include "diagnostics/debug_output.h"

namespace ovut::exports {

void ReportCaught(const char* function, const char* what) noexcept {
  // A stack buffer and the plain-text line: formatting through String could throw again.
  wchar_t line[256];
  int n = _snwprintf(line, 255, L"ERR: %hs: exception caught (%hs)", function ? function : "?",
                     what ? what : "unknown exception");
  if (n < 0) n = 255;
  line[n] = 0;
  debug::WarningText(line);
}

}  // namespace ovut::exports
