// Names of code addresses for stack traces, from the debug-help library, which is loaded on
// the first report and released at detach.
#pragma once
#include <windows.h>

namespace ovut::memory {

// True when the address lies in a loaded module image.
bool IsCodeAddress(UINT_PTR address);
// "module!symbol+0x1c", or "module+0x1a2b" without a symbol; false for no module. Writes at
// most size - 1 units, terminated.
bool DescribeAddress(UINT_PTR address, wchar_t* text, int size);
// Call before a batch of DescribeAddress calls: picks up modules loaded since the last one.
void RefreshSymbols();
// At attach and detach (through the registry's Initialize and Shutdown).
void InitializeSymbols();
void ShutdownSymbols();

}  // namespace ovut::memory
