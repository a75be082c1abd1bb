// Document-information entry points.
#include "docinfo/doc_info_api.h"
#include "exports/export_guard.h"
#include "ovut19/docinfo.h"

using ovut::exports::Guarded;

extern "C" {

HUTILDOCINFO WINAPI UtilDocInfoOpen(DWORD cacheSeconds) {
  return Guarded(static_cast<HUTILDOCINFO>(nullptr), [&] { return docinfo::OpenHandle(cacheSeconds); });
}

void WINAPI UtilDocInfoClose(HUTILDOCINFO handle) {
  if (!handle) return;
  Guarded([&] { docinfo::CloseHandle(handle); });
}

int WINAPI UtilDocInfoGet(HUTILDOCINFO handle, LPCWSTR path, UTIL_DOCINFO_REQUEST* request, DWORD timeoutSeconds) {
  if (!handle || !path) return 0;
  return Guarded(0, [&] { return docinfo::GetInfo(handle, path, request, timeoutSeconds); });
}

int WINAPI UtilDocInfoShareAccessibility(LPCWSTR path) {
  if (!path) return -1;
  return Guarded(-1, [&] { return docinfo::ShareAccessibility(path); });
}

}  // extern "C"
