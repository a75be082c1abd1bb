// Kernel and advanced-services functions that older Windows versions lack: long path names,
// the UI language, time-zone conversions, DLL search folders, the thread pool and event
// tracing. Callers check the entry (Get() or operator bool) and fall back when it is null.
#pragma once
#include <windows.h>

#include <evntprov.h>

#include "environment/late_load.h"

namespace ovut::env {

class clsKernel32 : public CLateLoadBase {
 public:
  constexpr clsKernel32() : CLateLoadBase(L"kernel32") {}
};
class clsAdvAPI32 : public CLateLoadBase {
 public:
  constexpr clsAdvAPI32() : CLateLoadBase(L"AdvAPI32") {}
};
extern clsKernel32 Kernel32;
extern clsAdvAPI32 AdvAPI32;

OVUT_LATE_DECL(p_GetLongPathName, DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD));
OVUT_LATE_DECL(p_GetUserDefaultUILanguage, LANGID(WINAPI*)());
OVUT_LATE_DECL(p_TzSpecificLocalTimeToSystemTime,
               BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, LPSYSTEMTIME));
OVUT_LATE_DECL(p_SystemTimeToTzSpecificLocalTime,
               BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, LPSYSTEMTIME));
OVUT_LATE_DECL(p_GetDllDirectory, DWORD(WINAPI*)(DWORD, LPWSTR));
OVUT_LATE_DECL(p_SetDllDirectory, BOOL(WINAPI*)(LPCWSTR));

// The system thread pool (work items and timers).
OVUT_LATE_DECL(p_CreateThreadpoolWork, PTP_WORK(WINAPI*)(PTP_WORK_CALLBACK, PVOID, PTP_CALLBACK_ENVIRON));
OVUT_LATE_DECL(p_SubmitThreadpoolWork, VOID(WINAPI*)(PTP_WORK));
OVUT_LATE_DECL(p_WaitForThreadpoolWorkCallbacks, VOID(WINAPI*)(PTP_WORK, BOOL));
OVUT_LATE_DECL(p_CloseThreadpoolWork, VOID(WINAPI*)(PTP_WORK));
OVUT_LATE_DECL(p_TrySubmitThreadpoolCallback, BOOL(WINAPI*)(PTP_SIMPLE_CALLBACK, PVOID, PTP_CALLBACK_ENVIRON));
OVUT_LATE_DECL(p_CreateThreadpoolTimer, PTP_TIMER(WINAPI*)(PTP_TIMER_CALLBACK, PVOID, PTP_CALLBACK_ENVIRON));
OVUT_LATE_DECL(p_SetThreadpoolTimer, VOID(WINAPI*)(PTP_TIMER, PFILETIME, DWORD, DWORD));
OVUT_LATE_DECL(p_WaitForThreadpoolTimerCallbacks, VOID(WINAPI*)(PTP_TIMER, BOOL));
OVUT_LATE_DECL(p_CloseThreadpoolTimer, VOID(WINAPI*)(PTP_TIMER));
OVUT_LATE_DECL(p_CreateThreadpool, decltype(&::CreateThreadpool));
OVUT_LATE_DECL(p_CloseThreadpool, decltype(&::CloseThreadpool));
OVUT_LATE_DECL(p_CreateThreadpoolCleanupGroup, decltype(&::CreateThreadpoolCleanupGroup));
OVUT_LATE_DECL(p_CloseThreadpoolCleanupGroupMembers, decltype(&::CloseThreadpoolCleanupGroupMembers));
OVUT_LATE_DECL(p_CloseThreadpoolCleanupGroup, decltype(&::CloseThreadpoolCleanupGroup));
// Thread names for debuggers (Windows 10 1607 and later).
OVUT_LATE_DECL(p_SetThreadDescription, HRESULT(WINAPI*)(HANDLE, PCWSTR));
OVUT_LATE_DECL(p_GetThreadDescription, HRESULT(WINAPI*)(HANDLE, PWSTR*));

// Event tracing.
OVUT_LATE_DECL(p_EventRegister, ULONG(WINAPI*)(LPCGUID, PENABLECALLBACK, PVOID, PREGHANDLE));
OVUT_LATE_DECL(p_EventUnregister, ULONG(WINAPI*)(REGHANDLE));
OVUT_LATE_DECL(p_EventEnabled, BOOLEAN(WINAPI*)(REGHANDLE, PCEVENT_DESCRIPTOR));
OVUT_LATE_DECL(p_EventWrite, ULONG(WINAPI*)(REGHANDLE, PCEVENT_DESCRIPTOR, ULONG, PEVENT_DATA_DESCRIPTOR));
OVUT_LATE_DECL(p_EventWriteString, ULONG(WINAPI*)(REGHANDLE, UCHAR, ULONGLONG, PCWSTR));
OVUT_LATE_DECL(p_EventProviderEnabled, BOOLEAN(WINAPI*)(REGHANDLE, UCHAR, ULONGLONG));

}  // namespace ovut::env
