// File-system facts of a volume for hosts that size their path buffers by them.
#pragma once
#include "ovut19/cstring.h"

namespace ovut::cstring {

static_assert(sizeof(scFSInfo) == 20, "record layout shared with hosts");

enum : DWORD {
  kFSCaseSensitive = 1,
  kFSCasePreserved = 2,
  kFSUnicodeOnDisk = 4,
  kFSLongNames = 8,  // components longer than 8.3 names
  kFSCompressed = 16,
};

// Fills the record from the volume of `root` when its size field is 20; true when filled.
bool GetFSInfo(const wchar_t* root, scFSInfo* info);

}  // namespace ovut::cstring
