// Network and process information: who holds a file open on a server, share data, and the
// module and memory lists of a process.
#pragma once
#include <windows.h>
#include <lm.h>
#include <psapi.h>

#include "environment/late_load.h"

namespace ovut::env {

class clsNetAPI32 : public CLateLoadBase {
 public:
  constexpr clsNetAPI32() : CLateLoadBase(L"NetAPI32") {}
};
class clsPSAPI : public CLateLoadBase {
 public:
  constexpr clsPSAPI() : CLateLoadBase(L"psapi") {}
};
extern clsNetAPI32 NetAPI32;
extern clsPSAPI PSAPI;

OVUT_LATE_DECL(p_NetFileEnum,
               NET_API_STATUS(WINAPI*)(LPWSTR, LPWSTR, LPWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, PDWORD_PTR));
OVUT_LATE_DECL(p_NetShareGetInfo, NET_API_STATUS(WINAPI*)(LPWSTR, LPWSTR, DWORD, LPBYTE*));
OVUT_LATE_DECL(p_NetApiBufferFree, NET_API_STATUS(WINAPI*)(LPVOID));

OVUT_LATE_DECL(p_EnumProcessModules, BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD));
OVUT_LATE_DECL(p_GetModuleFileNameExW, DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD));
OVUT_LATE_DECL(p_GetModuleInformation, BOOL(WINAPI*)(HANDLE, HMODULE, LPMODULEINFO, DWORD));
OVUT_LATE_DECL(p_GetMappedFileNameW, DWORD(WINAPI*)(HANDLE, LPVOID, LPWSTR, DWORD));
OVUT_LATE_DECL(p_GetProcessMemoryInfo, BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD));

}  // namespace ovut::env
