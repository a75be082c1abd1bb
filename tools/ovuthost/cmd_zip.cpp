// "zip": archives a folder with the ZIP writer, optionally with its sub-folders and a comment.
#include <windows.h>

#include <cwchar>

#include "command.h"
#include "ovut19.hpp"

namespace {

int Zip(int argc, wchar_t** argv) {
  const wchar_t* archive = nullptr;
  const wchar_t* folder = nullptr;
  const wchar_t* pattern = nullptr;
  const wchar_t* comment = nullptr;
  DWORD flags = 0;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    if (_wcsicmp(argv[i], L"-r") == 0) flags |= UTIL_ZIP_RECURSIVE;
    else if (_wcsicmp(argv[i], L"-c") == 0 && i + 1 < argc) comment = argv[++i];
    else if (_wcsicmp(argv[i], L"-p") == 0 && i + 1 < argc) pattern = argv[++i];
    else if (++positional == 1) archive = argv[i];
    else if (positional == 2) folder = argv[i];
  }
  if (positional != 2) {
    ovuthost::Print(L"usage: ovuthost zip ARCHIVE FOLDER [-r] [-p PATTERN] [-c COMMENT]\n");
    return 2;
  }
  // Through the C++ owners: the archive is closed even when a step returns early.
  auto zip = ovut19::ZipArchive::TryCreate(archive, comment);
  if (!zip) {
    ovuthost::Print(L"cannot create %s\n", archive);
    return 1;
  }
  zip->AppendFolder(folder, pattern, (flags & UTIL_ZIP_RECURSIVE) != 0);
  ovut19::Status written = zip->TryClose();
  if (!written) {
    ovuthost::Print(L"writing %s failed (%d)\n", archive, written.error());
    return 1;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  ULONGLONG size = 0;
  if (GetFileAttributesExW(archive, GetFileExInfoStandard, &data))
    size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  ovuthost::Print(L"%s: %I64u bytes from %s%s\n", archive, size, folder, (flags & UTIL_ZIP_RECURSIVE) ? L" and its sub-folders" : L"");
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(zip, L"zip", L"ARCHIVE FOLDER [-r] [-p PATTERN] [-c COMMENT]: archive a folder", Zip);
OVUTHOST_EXAMPLE(zip, L"samples.zip samples -r");
