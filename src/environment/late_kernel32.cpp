#include "environment/late_kernel32.h"

namespace ovut::env {

clsKernel32 Kernel32;
clsAdvAPI32 AdvAPI32;

// Argument byte counts are those of the 32-bit standard-call forms.
OVUT_LATE_DEF(Kernel32, p_GetLongPathName, 12);
OVUT_LATE_DEF(Kernel32, p_GetUserDefaultUILanguage, 0);
OVUT_LATE_DEF(Kernel32, p_TzSpecificLocalTimeToSystemTime, 12);
OVUT_LATE_DEF(Kernel32, p_SystemTimeToTzSpecificLocalTime, 12);
OVUT_LATE_DEF(Kernel32, p_GetDllDirectory, 8);
OVUT_LATE_DEF(Kernel32, p_SetDllDirectory, 4);

OVUT_LATE_DEF(Kernel32, p_CreateThreadpoolWork, 12);
OVUT_LATE_DEF(Kernel32, p_SubmitThreadpoolWork, 4);
OVUT_LATE_DEF(Kernel32, p_WaitForThreadpoolWorkCallbacks, 8);
OVUT_LATE_DEF(Kernel32, p_CloseThreadpoolWork, 4);
OVUT_LATE_DEF(Kernel32, p_TrySubmitThreadpoolCallback, 12);
OVUT_LATE_DEF(Kernel32, p_CreateThreadpoolTimer, 12);
OVUT_LATE_DEF(Kernel32, p_SetThreadpoolTimer, 16);
OVUT_LATE_DEF(Kernel32, p_WaitForThreadpoolTimerCallbacks, 8);
OVUT_LATE_DEF(Kernel32, p_CloseThreadpoolTimer, 4);
OVUT_LATE_DEF(Kernel32, p_CreateThreadpool, 4);
OVUT_LATE_DEF(Kernel32, p_CloseThreadpool, 4);
OVUT_LATE_DEF(Kernel32, p_CreateThreadpoolCleanupGroup, 0);
OVUT_LATE_DEF(Kernel32, p_CloseThreadpoolCleanupGroupMembers, 12);
OVUT_LATE_DEF(Kernel32, p_CloseThreadpoolCleanupGroup, 4);
OVUT_LATE_DEF(Kernel32, p_SetThreadDescription, 8);
OVUT_LATE_DEF(Kernel32, p_GetThreadDescription, 8);

OVUT_LATE_DEF(AdvAPI32, p_EventRegister, 16);
OVUT_LATE_DEF(AdvAPI32, p_EventUnregister, 8);
OVUT_LATE_DEF(AdvAPI32, p_EventEnabled, 12);
OVUT_LATE_DEF(AdvAPI32, p_EventWrite, 20);
OVUT_LATE_DEF(AdvAPI32, p_EventWriteString, 20);
OVUT_LATE_DEF(AdvAPI32, p_EventProviderEnabled, 20);

}  // namespace ovut::env
