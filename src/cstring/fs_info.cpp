#include "cstring/fs_info.h"

namespace ovut::cstring {

bool GetFSInfo(const wchar_t* root, scFSInfo* info) {
  if (!info || info->size != sizeof(scFSInfo)) return false;
  DWORD component = 0, systemFlags = 0;
  if (!GetVolumeInformationW(root, nullptr, 0, nullptr, &component, &systemFlags, nullptr, 0)) return false;
  DWORD flags = 0;
  if (systemFlags & FILE_CASE_SENSITIVE_SEARCH) flags |= kFSCaseSensitive;
  if (systemFlags & FILE_CASE_PRESERVED_NAMES) flags |= kFSCasePreserved;
  if (systemFlags & FILE_UNICODE_ON_DISK) flags |= kFSUnicodeOnDisk;
  if (component > 12) flags |= kFSLongNames;
  if (systemFlags & FILE_VOLUME_IS_COMPRESSED) flags |= kFSCompressed;
  info->maxPath = MAX_PATH;
  info->maxDrive = 3;
  info->maxComponent = component;
  info->flags = flags;
  return true;
}

}  // namespace ovut::cstring
