// The loader: opens one document, reads its time stamps and hands it to the format reader that
// its extension or its first bytes select.
#pragma once
#include <windows.h>

#include "docinfo/docu.h"
#include "foundation/critical_section.h"

namespace docinfo {

// Loads `state.sourcePath` into `state`. `lock` (may be null) is taken around every write to
// `state`, so a background load can fill a state another thread looks at.
// - A sharing violation leaves the state to be loaded on the next request (lastLoad 0).
// - An unchanged last-write time after an earlier load ends the load without reading.
// - The whole file is locked against writers while the reader runs (5 s retry); a file that
//   stays locked is loaded again on the next request.
void LoadDocument(DocuState& state, ovut::CriticalSection* lock) noexcept;

// Counts since the process started, for tests and benchmarks: attempts to open a document, and
// reader runs (loads that got past the time stamps and the lock).
LONG OpenCountForTesting() noexcept;
LONG ReaderRunCountForTesting() noexcept;
// How long the loader waits for its whole-file lock (5000 ms); returns the previous value.
DWORD SetLockRetryMsForTesting(DWORD ms) noexcept;

}  // namespace docinfo
