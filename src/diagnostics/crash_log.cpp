#include "diagnostics/crash_log.h"

#include <winternl.h>

#include <cstdio>
#include <cwchar>

#include "environment/folder_tokens.h"
#include "environment/process_identity.h"
#include "foundation/temp_folder.h"

namespace ovut::crash {
namespace {

using NtCreateFileFn = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, LARGE_INTEGER*, ULONG,
                                    ULONG, ULONG, ULONG, void*, ULONG);
using NtWriteFileFn = LONG(NTAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, const void*, ULONG, LARGE_INTEGER*,
                                   ULONG*);
using NtCloseFn = LONG(NTAPI*)(HANDLE);

constexpr ULONG kFileOpenIf = 3;
constexpr ULONG kSynchronousIoNonAlert = 0x20, kWriteThrough = 0x2, kNonDirectoryFile = 0x40;

// Everything appending needs, filled once.
struct LogState {
  volatile LONG prepared = 0;  // 0 no, 1 in progress, 2 ready
  wchar_t path[MAX_PATH];       // the Win32 path in use
  wchar_t ntPath[2][MAX_PATH + 8];  // "\??\" forms: the chosen file, then the fallback
  wchar_t fallback[MAX_PATH];
  wchar_t library[MAX_PATH];    // this library's file name
  NtCreateFileFn create = nullptr;
  NtWriteFileFn write = nullptr;
  NtCloseFn close = nullptr;
  wchar_t line[4200];           // one formatted log line
} g_log;

bool CanWrite(const wchar_t* path) noexcept {
  HANDLE f = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  CloseHandle(f);
  if (created) DeleteFileW(path);  // only a report makes the file
  return true;
}

void ToNtPath(const wchar_t* path, wchar_t* out) noexcept {
  out[0] = 0;
  if (path[0] && path[1] == L':') {
    FormatInto(out, MAX_PATH + 8, L"\\??\\%s", path);
  } else if (path[0] == L'\\' && path[1] == L'\\') {
    FormatInto(out, MAX_PATH + 8, L"\\??\\UNC\\%s", path + 2);
  }
}

// Appends bytes to one file through the NT layer; false when it cannot be opened.
bool AppendTo(const wchar_t* ntPath, const void* data, ULONG bytes) noexcept {
  if (!ntPath[0] || !g_log.create) return false;
  UNICODE_STRING name;
  name.Buffer = const_cast<wchar_t*>(ntPath);
  name.Length = static_cast<USHORT>(wcslen(ntPath) * sizeof(wchar_t));
  name.MaximumLength = name.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  IO_STATUS_BLOCK io = {};
  HANDLE file = nullptr;
  if (g_log.create(&file, FILE_APPEND_DATA | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                   FILE_SHARE_READ, kFileOpenIf, kSynchronousIoNonAlert | kWriteThrough | kNonDirectoryFile, nullptr,
                   0) < 0)
    return false;
  LARGE_INTEGER end;
  end.LowPart = 0xFFFFFFFF;  // FILE_WRITE_TO_END_OF_FILE
  end.HighPart = -1;
  const bool ok = g_log.write(file, nullptr, nullptr, nullptr, &io, data, bytes, &end, nullptr) >= 0;
  g_log.close(file);
  return ok;
}

}  // namespace

void FormatIntoV(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) noexcept {
  if (!buffer || size == 0) return;
  const int n = _vsnwprintf(buffer, size - 1, format, args);
  buffer[n < 0 || static_cast<size_t>(n) >= size ? size - 1 : static_cast<size_t>(n)] = 0;
}

void FormatInto(wchar_t* buffer, size_t size, const wchar_t* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  FormatIntoV(buffer, size, format, args);
  va_end(args);
}

void PrepareCrashLog() noexcept {
  if (InterlockedCompareExchange(&g_log.prepared, 1, 0) != 0) {
    while (g_log.prepared == 1) Sleep(0);
    return;
  }
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  g_log.create = reinterpret_cast<NtCreateFileFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateFile")));
  g_log.write = reinterpret_cast<NtWriteFileFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtWriteFile")));
  g_log.close = reinterpret_cast<NtCloseFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtClose")));
  if (!g_log.write || !g_log.close) g_log.create = nullptr;
  FormatInto(g_log.library, MAX_PATH, L"%s", env::Identity().library.fileName.c_str());
  try {
    const String appData = env::ExpandDefaultTokensOfFolderPath(String(L"%APPDATA%\\ORVASK.LOG"));
    FormatInto(g_log.fallback, MAX_PATH, L"%sORVASK.LOG", TempFolder(true).c_str());
    const bool useAppData = appData.Length() < MAX_PATH && appData.Find(L"%") < 0 && CanWrite(appData.c_str());
    FormatInto(g_log.path, MAX_PATH, L"%s", useAppData ? appData.c_str() : g_log.fallback);
  } catch (...) {
  }
  ToNtPath(g_log.path, g_log.ntPath[0]);
  ToNtPath(g_log.fallback, g_log.ntPath[1]);
  InterlockedExchange(&g_log.prepared, 2);
}

const wchar_t* CrashLogPath() noexcept { return g_log.prepared == 2 ? g_log.path : L""; }

void AppendCrashLogLine(const wchar_t* text) noexcept {
  if (g_log.prepared != 2) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  FormatInto(g_log.line, sizeof g_log.line / sizeof g_log.line[0] - 2, L"%04u-%02u-%02u, %02u:%02u.%02u.%03u %s %s",
             t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, g_log.library, text);
  size_t n = wcslen(g_log.line);
  g_log.line[n++] = L'\r';
  g_log.line[n++] = L'\n';
  const ULONG bytes = static_cast<ULONG>(n * sizeof(wchar_t));
  if (AppendTo(g_log.ntPath[0], g_log.line, bytes)) return;
  // The chosen file went away or became read-only since: the temporary folder from now on.
  if (g_log.ntPath[1][0] && wcscmp(g_log.ntPath[0], g_log.ntPath[1]) != 0 &&
      AppendTo(g_log.ntPath[1], g_log.line, bytes)) {
    wcscpy(g_log.ntPath[0], g_log.ntPath[1]);
    wcscpy(g_log.path, g_log.fallback);
  }
}

void ResetCrashLogForTesting() noexcept { g_log.prepared = 0; }

}  // namespace ovut::crash
