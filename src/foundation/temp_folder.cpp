// The temporary folder, asked once per process and kept in both forms.
#include "foundation/temp_folder.h"

#include "environment/late_kernel32.h"
#include "foundation/critical_section.h"

namespace ovut {
namespace {

struct TempFolderCache {
  CriticalSection lock{4000};
  bool known = false;
  String shortForm;
  String longForm;
};

// Constructed at load, before any caller can ask.
TempFolderCache g_cache;

String QueryTempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH, buffer);
  if (n > 0 && n < MAX_PATH) return String(buffer);
  String folder;
  n = GetEnvironmentVariableW(L"TEMP", nullptr, 0);
  if (n > 1) {
    wchar_t* out = folder.GetBuffer(n);
    GetEnvironmentVariableW(L"TEMP", out, n + 1);
    folder.ReleaseBuffer();
  }
  wchar_t last = folder.At(folder.Length() ? folder.Length() - 1 : 0);
  if (!folder.IsEmpty() && last != L'\\' && last != L'/') folder.Append(L'\\');
  return folder;
}

String LongForm(const String& path) {
  wchar_t buffer[MAX_PATH + 1];
  auto getLongPathName = env::p_GetLongPathName.Get();
  DWORD n = getLongPathName ? getLongPathName(path.c_str(), buffer, MAX_PATH) : 0;
  return n > 0 && n < MAX_PATH ? String(buffer) : path;
}

}  // namespace

String TempFolder(bool longForm) {
  AutoLock hold(g_cache.lock);
  if (!g_cache.known) {
    g_cache.shortForm = QueryTempFolder();
    g_cache.longForm = g_cache.shortForm.IsEmpty() ? g_cache.shortForm : LongForm(g_cache.shortForm);
    g_cache.known = true;
  }
  return longForm ? g_cache.longForm : g_cache.shortForm;
}

String LibraryTempFolder() {
  const String folder = TempFolder(true);
  String own = folder;
  own.Append(L"Orvask");
  if (!CreateDirectoryW(own.c_str(), nullptr)) {
    // Something else of that name (a file) is no folder either.
    const DWORD attributes = GetFileAttributesW(own.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
  }
  own.Append(L'\\');
  return own;
}

void ResetTempFolderCache() {
  AutoLock hold(g_cache.lock);
  g_cache.known = false;
  g_cache.shortForm.Clear();
  g_cache.longForm.Clear();
}

}  // namespace ovut
