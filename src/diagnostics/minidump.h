// The minidump of the current process and the support archive that packs it with the logs.
#pragma once
#include <windows.h>

namespace ovut::crash {

enum : int { kDumpArchived = 0, kDumpFailed = -1, kDumpNotArchived = -2 };

// Writes the dump to `path` (when it holds one) or to "orvask.dmp" in the "orvask.debug" folder of
// the temporary folder, then packs "orvask.dmp.zip" beside it and deletes the dump. `path`
// receives the archive's path (kDumpArchived), the dump's when packing failed (kDumpNotArchived),
// or stays empty (kDumpFailed). `exception` may be null (a dump of the calling thread's state).
int WriteMiniDump(EXCEPTION_POINTERS* exception, wchar_t* path, int size) noexcept;

}  // namespace ovut::crash
