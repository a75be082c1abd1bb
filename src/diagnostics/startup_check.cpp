// Some loaders and injectors leave a process whose own module cannot be found by its name;
// code that relies on GetModuleHandle of the executable then fails in odd places.
#include <windows.h>

#include "diagnostics/debug_output.h"

namespace ovut::debug {

void CheckProcessModuleRoundtrip() {
  wchar_t path[MAX_PATH + 1] = L"";
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (!n || n >= MAX_PATH) return;
  path[n] = 0;
  if (!GetModuleHandleW(path))
    OutputDebugStringW(L"WARNING: the roundtrip 'GetModuleHandle(GetModuleFileName(NULL))' returns 0 and thus "
                       L"implies that it does not work. DANGER! Crashes might follow!");
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p)
    if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
  if (!GetModuleHandleW(name))
    OutputDebugStringW(L"WARNING: the roundtrip 'GetModuleHandle(ExtractFileName(GetModuleFileName(NULL)))' "
                       L"returns 0 and thus implies that it does not work. DANGER! Crashes might follow!");
}

}  // namespace ovut::debug
