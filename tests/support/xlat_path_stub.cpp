// Stand-in for the control library's path translation (built as ovct19.dll): a help file name
// starting with "xlat:" gets the folder named by OVUT_XLAT_ROOT in place of that prefix.
#include <windows.h>
#include <oleauto.h>

#include <string>

extern "C" __declspec(dllexport) void WINAPI CtlXlatPath(BSTR* path) {
  if (!path || !*path || wcsncmp(*path, L"xlat:", 5) != 0) return;
  wchar_t root[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"OVUT_XLAT_ROOT", root, MAX_PATH);
  std::wstring translated = std::wstring(root) + (*path + 5);
  SysReAllocString(path, translated.c_str());
}
