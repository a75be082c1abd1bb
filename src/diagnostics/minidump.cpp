#include "diagnostics/minidump.h"

#include <cwchar>

#include "diagnostics/crash_log.h"
#include "diagnostics/debug_output.h"
#include "diagnostics/message_box_thread.h"
#include "diagnostics/wait_window.h"
#include "environment/late_dbghelp.h"
#include "environment/registry_values.h"
#include "environment/shared_locks.h"
#include "environment/ui_policy.h"
#include "foundation/scoped_handle.h"
#include "foundation/temp_folder.h"
#include "zip/zip_file.h"

namespace ovut::crash {
namespace {

constexpr DWORD kDefaultDumpMode = 137893;  // data segments, handles, unloaded modules, thread info ...

String DefaultDumpPath() {
  String folder = TempFolder(true) + String(L"orvask.debug");
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      debug::Warning(L"error creating directory '%s': %s", folder.c_str(), String::ErrorText(error).c_str());
      folder = TempFolder(true);
      folder = folder.Left(folder.Length() - 1);  // without the trailing backslash
    }
  }
  return folder + String(L"\\orvask.dmp");
}

String FolderOf(const String& path) {
  const wchar_t* text = path.c_str();
  const wchar_t* slash = wcsrchr(text, L'\\');
  return slash ? path.Left(static_cast<uint32_t>(slash - text)) : String();
}

bool Exists(const String& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

String Expanded(const wchar_t* text) {
  wchar_t out[MAX_PATH];
  const DWORD n = ExpandEnvironmentStringsW(text, out, MAX_PATH);
  return n && n <= MAX_PATH && !wcschr(out, L'%') ? String(out) : String();
}

void CopyOut(const String& text, wchar_t* path, int size) {
  if (!path || size <= 0) return;
  FormatInto(path, static_cast<size_t>(size), L"%s", text.c_str());
}

bool WriteDump(EXCEPTION_POINTERS* exception, const String& dumpPath) {
  DWORD mode = kDefaultDumpMode;
  if (!env::ReadRegistryDword(HKEY_CURRENT_USER, env::kOrvaskKey, L"GPFMiniDumpMode", mode)) mode = kDefaultDumpMode;
  DeleteFileW(dumpPath.c_str());
  UniqueHandle file(CreateFileW(dumpPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD error = 0;
  bool ok = false;
  if (!file) {
    error = GetLastError();
  } else {
    env::clsSectionLock hold(env::DebugHelpSection());
    // The library's own symbol handle, set up with deferred symbol loading: with a handle it
    // does not know, the writer would first load the symbols of every module.
    HANDLE process = env::DBGHELP.SymbolProcess();
    auto write = env::p_MiniDumpWriteDump.Get();
    MINIDUMP_EXCEPTION_INFORMATION info = {GetCurrentThreadId(), exception, FALSE};
    ok = write && write(process ? process : GetCurrentProcess(), GetCurrentProcessId(), file.get(), static_cast<MINIDUMP_TYPE>(mode),
                        exception ? &info : nullptr, nullptr, nullptr);
    if (!ok) error = write ? GetLastError() : ERROR_PROC_NOT_FOUND;
  }
  if (ok) return true;
  file.reset();
  DeleteFileW(dumpPath.c_str());
  debug::Warning(L"pDBGHELP->WriteMiniDump() failed: %s", String::ErrorText(error).c_str());
  return false;
}

}  // namespace

int WriteMiniDump(EXCEPTION_POINTERS* exception, wchar_t* path, int size) noexcept {
  try {
    const String dumpPath = path && size > 0 && path[0] ? String(path) : DefaultDumpPath();
    if (path && size > 0) path[0] = 0;
    if (!WriteDump(exception, dumpPath)) return kDumpFailed;

    // Packing a large dump takes a while: say so where a user may be shown anything.
    const bool german = CrashTextsInGerman();
    clsWaitWindow wait(german ? L"Bitte warten Sie..." : L"Please wait...",
                       german ? L"Komprimierung der Support-Informations-Datei." : L"Compressing the support information file.");
    if (env::UIInteractionAllowed()) wait.Show();
    const String archivePath = FolderOf(dumpPath) + String(L"\\orvask.dmp.zip");
    clsZIPFile* zip = clsZIPFile::Create(archivePath, String(L"orvask Crash Information File"));
    if (!zip) {
      CopyOut(dumpPath, path, size);
      return kDumpNotArchived;
    }
    const bool packed = zip->AppendFile(dumpPath, String(L"orvask.dmp"), String(L"DumpFile")) == clsZIPFile::kOk;
    if (CrashLogPath()[0] && Exists(String(CrashLogPath())))
      zip->AppendFile(String(CrashLogPath()), String(L"orvask.log"), String(L"LogFile"));
    String viewerLog = Expanded(L"%TEMP%\\ZOLVEN.LOG");
    if (viewerLog.IsEmpty() || !Exists(viewerLog)) viewerLog = Expanded(L"%WINDIR%\\ZOLVEN.LOG");
    if (!viewerLog.IsEmpty() && Exists(viewerLog)) zip->AppendFile(viewerLog, String(L"zolven.log"), String(L"LogFile"));
    const bool closed = zip->Close() == clsZIPFile::kOk;
    delete zip;
    wait.Close();
    if (!packed || !closed) {
      DeleteFileW(archivePath.c_str());
      CopyOut(dumpPath, path, size);
      return kDumpNotArchived;
    }
    DeleteFileW(dumpPath.c_str());
    CopyOut(archivePath, path, size);
    return kDumpArchived;
  } catch (...) {
    debug::Warning(L"ERR: writing the minidump: out of memory");
    return kDumpFailed;
  }
}

}  // namespace ovut::crash
