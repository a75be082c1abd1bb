// Temporary-file manager entry points.
#include <windows.h>
#include <oleauto.h>

#include "exports/prof_guard.h"
#include "ovut19/tempfiles.h"
#include "tempfiles/temp_file_manager.h"

using ovut::profile::Guarded;

extern "C" {

void WINAPI UtilTempFileMgrOpen(void) { ovut::tempfiles::Open(); }

void WINAPI UtilTempFileMgrClose(void) { ovut::tempfiles::Close(); }

void WINAPI UtilTempFileMgrAdd(LPCWSTR path) { ovut::tempfiles::Add(path); }

int WINAPI UtilTempFileMgrCreateFile(LPCWSTR prefix, LPCWSTR extension, DWORD flags, BSTR* path) {
  if (!prefix || !extension || !path) return 0;
  return Guarded(0, [&] {
    const String created = ovut::tempfiles::CreateUniqueFile(prefix, extension, flags);
    if (created.IsEmpty()) return 0;
    if (*path) return SysReAllocString(path, created.c_str()) ? 1 : 0;
    *path = SysAllocString(created.c_str());
    return *path ? 1 : 0;
  });
}

}  // extern "C"
