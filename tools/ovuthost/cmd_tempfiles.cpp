// "tempfiles": creates a few temporary files, keeps one of them open as if another program still
// used it, hands all of them to the manager and shows when each one goes: the free ones at the
// remover's first cycle (about 10 s later), the one in use when it is released and the manager closes.
#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <string>
#include <vector>

#include "command.h"
#include "ovut19.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int TempFiles(int argc, wchar_t** argv) {
  int count = argc > 1 ? _wtoi(argv[1]) : 3;
  if (count < 1 || count > 1000) {
    ovuthost::Print(L"usage: ovuthost tempfiles [COUNT 1-1000]\n");
    return 2;
  }
  UtilTempFileMgrOpen();
  std::vector<std::wstring> files;
  BSTR path = nullptr;
  for (int i = 0; i < count; ++i) {
    if (!UtilTempFileMgrCreateFile(L"demo", L"txt", 0, &path)) {
      ovuthost::Print(L"cannot create a temporary file\n");
      SysFreeString(path);
      UtilTempFileMgrClose();
      return 1;
    }
    files.emplace_back(path);
    ovuthost::Print(L"created %s\n", path);
  }
  SysFreeString(path);
  // The last file stays open without sharing, as a viewer still showing it would keep it.
  HANDLE inUse = CreateFileW(files.back().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  for (const auto& f : files) UtilTempFileMgrAdd(f.c_str());
  ovuthost::Print(L"handed %d files to the manager; %s is still open\n", count, files.back().c_str());

  const DWORD start = GetTickCount();
  std::vector<bool> gone(files.size(), false);
  size_t left = files.size();
  while (left > 1 && GetTickCount() - start < 30000) {
    Sleep(100);
    for (size_t i = 0; i < files.size(); ++i)
      if (!gone[i] && !Exists(files[i])) {
        gone[i] = true;
        --left;
        ovuthost::Print(L"%5.1f s: removed %s\n", (GetTickCount() - start) / 1000.0, files[i].c_str());
      }
  }
  ovuthost::Print(L"%5.1f s: %s is %s\n", (GetTickCount() - start) / 1000.0, files.back().c_str(),
                  Exists(files.back()) ? L"still there (in use); releasing it and closing the manager"
                                       : L"gone");
  if (inUse != INVALID_HANDLE_VALUE) CloseHandle(inUse);
  UtilTempFileMgrClose();
  const bool allGone = [&] {
    for (const auto& f : files)
      if (Exists(f)) return false;
    return true;
  }();
  ovuthost::Print(L"%5.1f s: manager closed, %s\n", (GetTickCount() - start) / 1000.0,
                  allGone ? L"every file removed" : L"some files are left");
  return allGone ? 0 : 1;
}

}  // namespace

OVUTHOST_COMMAND(tempfiles, L"tempfiles", L"[COUNT]  create temporary files, queue them and show them removed",
                 TempFiles);
OVUTHOST_EXAMPLE(tempfiles, L"2");
