// ZIP writer entry points. Handles are checked against the set of open archives, so a closed or
// made-up handle is refused instead of being used.
#include <set>

#include "diagnostics/debug_output.h"
#include "exports/export_guard.h"
#include "foundation/critical_section.h"
#include "ovut19/zip.h"
#include "zip/zip_file.h"

namespace {

ovut::CriticalSection g_lock;
std::set<clsZIPFile*> g_open;

HUTILZIP Register(clsZIPFile* zip) {
  ovut::AutoLock lock(g_lock);
  g_open.insert(zip);
  return reinterpret_cast<HUTILZIP>(zip);
}

// The archive behind a handle, or null (with a message) for an unknown one.
clsZIPFile* Lookup(HUTILZIP handle, bool remove) noexcept {
  auto* zip = reinterpret_cast<clsZIPFile*>(handle);
  ovut::AutoLock lock(g_lock);
  auto it = g_open.find(zip);
  if (it == g_open.end()) {
    ovut::debug::Warning(L"ERR: invalid ZIP handle %p", static_cast<void*>(handle));
    return nullptr;
  }
  if (remove) g_open.erase(it);
  return zip;
}

String Text(LPCWSTR text) { return text ? String(text) : String(); }

}  // namespace

extern "C" {

HUTILZIP WINAPI UtilZIPCreate(LPCWSTR fileName, LPCWSTR comment) {
  if (!fileName || !*fileName) return nullptr;
  try {
    clsZIPFile* zip = clsZIPFile::Create(fileName, Text(comment));
    return zip ? Register(zip) : nullptr;
  } catch (...) {
    ovut::exports::ReportCaught(__func__, nullptr);
    return nullptr;
  }
}

int WINAPI UtilZIPAppend(HUTILZIP handle, LPCWSTR filePath, LPCWSTR comment, LPCWSTR nameInArchive) {
  if (!handle) return 0;
  clsZIPFile* zip = Lookup(handle, false);
  if (!zip) return clsZIPFile::kSourceNotOpened;
  if (!filePath || !*filePath) return clsZIPFile::kSourceNotOpened;
  try {
    return zip->AppendFile(filePath, Text(nameInArchive), Text(comment));
  } catch (...) {
    ovut::exports::ReportCaught(__func__, nullptr);
    return clsZIPFile::kCompressFailed;
  }
}

int WINAPI UtilZIPAppendList(HUTILZIP handle, LPCWSTR directory, LPCWSTR pattern, DWORD flags) {
  if (!handle || !directory) return 0;
  clsZIPFile* zip = Lookup(handle, false);
  if (!zip) return 0;
  try {
    zip->AppendList(directory, Text(pattern), (flags & UTIL_ZIP_RECURSIVE) != 0);
  } catch (...) {
    ovut::debug::Warning(L"ERR: UtilZIPAppendList('%s') stopped: out of memory", directory);
  }
  return 0;
}

int WINAPI UtilZIPClose(HUTILZIP handle) {
  if (!handle) return 0;
  clsZIPFile* zip = Lookup(handle, true);
  if (!zip) return clsZIPFile::kWriteFailed;
  int rc;
  try {
    rc = zip->Close();
  } catch (...) {
    ovut::exports::ReportCaught(__func__, nullptr);
    rc = clsZIPFile::kWriteFailed;
  }
  delete zip;
  return rc;
}

}  // extern "C"
