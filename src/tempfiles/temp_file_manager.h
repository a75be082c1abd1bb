// The process-wide temporary-file manager behind the UtilTempFileMgr* exports: counted by
// Open/Close, created on the first Open and shut down at the last Close or when the library unloads.
#pragma once
#include <windows.h>

#include "foundation/string.h"
#include "tempfiles/temp_file_remover.h"

namespace ovut::tempfiles {

void Open() noexcept;
void Close() noexcept;
// Hands a file over for deletion: queued with a manager, deleted at once without one.
void Add(const wchar_t* path) noexcept;
// A new, exclusively created file "<library temporary folder>\_19_<prefix><hex>.<extension>",
// left in place; its full path, or an empty String when no name could be created (one debug line).
String CreateUniqueFile(const wchar_t* prefix, const wchar_t* extension, DWORD flags);

// At unload (loader lock held): stops the thread and deletes what is still queued, whatever the count.
void Shutdown() noexcept;

// The library's temporary folder without the final backslash (not created here).
String ManagerFolder();

// Tests: shorter cycles for managers created afterwards; the defaults back with Timings{}.
void SetTimingsForTesting(const Timings& timings);
bool ManagerOpenForTesting();
size_t QueuedCountForTesting();
unsigned CyclesForTesting();
DWORD LastWaitMsForTesting();  // the remover's wait after its latest cycle

}  // namespace ovut::tempfiles
