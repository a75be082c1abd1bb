#include "environment/late_system_info.h"

namespace ovut::env {

clsNetAPI32 NetAPI32;
clsPSAPI PSAPI;

OVUT_LATE_DEF(NetAPI32, p_NetFileEnum, 36);
OVUT_LATE_DEF(NetAPI32, p_NetShareGetInfo, 16);
OVUT_LATE_DEF(NetAPI32, p_NetApiBufferFree, 4);

OVUT_LATE_DEF(PSAPI, p_EnumProcessModules, 16);
OVUT_LATE_DEF(PSAPI, p_GetModuleFileNameExW, 16);
OVUT_LATE_DEF(PSAPI, p_GetModuleInformation, 16);
OVUT_LATE_DEF(PSAPI, p_GetMappedFileNameW, 16);
OVUT_LATE_DEF(PSAPI, p_GetProcessMemoryInfo, 12);

}  // namespace ovut::env
