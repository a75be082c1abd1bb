// "version": where the DLL was loaded from and what its version resource says.
#include <windows.h>

#include <string>
#include <vector>

#include "command.h"
#include "ovut19.h"

namespace {

// Reads one string of the module's version resource (first translation).
std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
  struct Translation { WORD language, codePage; }* tr = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &size) || size < 4)
    return L"";
  wchar_t path[96];
  wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", tr->language, tr->codePage, name);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(info.data(), path, reinterpret_cast<void**>(&value), &size) || !value) return L"";
  return value;
}

int Version(int, wchar_t**) {
  HMODULE dll = GetModuleHandleW(L"OVUT19.DLL");
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(dll, path, MAX_PATH);
  ovuthost::Print(L"library:      %s\n", path);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::vector<BYTE> info(size ? size : 1);
  if (!size || !GetFileVersionInfoW(path, 0, size, info.data())) {
    ovuthost::Print(L"version:      <no version info>\n");
    return 1;
  }
  ovuthost::Print(L"file version: %s\n", VersionString(info, L"FileVersion").c_str());
  ovuthost::Print(L"build:        %s\n", VersionString(info, L"Build").c_str());
  ovuthost::Print(L"bits:         %d\n", static_cast<int>(sizeof(void*) * 8));
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(version, L"version", L"print where OVUT19.DLL was loaded from and its version", Version);
OVUTHOST_EXAMPLE(version, L"");
