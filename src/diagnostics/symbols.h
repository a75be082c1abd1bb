// Names of code addresses, for stack traces and leak reports: the module and offset always,
// the symbol and source line from the debug-help library when it can be had. Every call into
// that library holds the process-wide debug-help section; under the loader lock nothing is
// loaded and only module and offset are given.
#pragma once
#include <windows.h>

namespace ovut::debug {

struct scSymbol {
  wchar_t module[MAX_PATH];  // file name of the module image, without folder
  UINT_PTR moduleOffset;
  wchar_t name[256];  // empty when no symbol is known
  UINT_PTR displacement;
  wchar_t file[MAX_PATH];  // empty when no line is known
  DWORD line;
};

// How much to find out: module and offset only (no debug-help call), the symbol name too, or
// also the source line.
enum { kModuleOffset = 0, kSymbolName = 1, kSourceLine = 2 };

// True when the address lies in a loaded module image.
bool IsCodeAddress(UINT_PTR address) noexcept;
// False when the address lies in no module.
bool ResolveAddress(UINT_PTR address, scSymbol* symbol, int detail) noexcept;
// "module!symbol+0x1c", or "module+0x1a2b" without a symbol; false for no module. Writes at
// most size - 1 units, terminated.
bool DescribeAddress(UINT_PTR address, wchar_t* text, int size, int detail = kSymbolName) noexcept;
// Call before a batch of lookups: picks up modules loaded since the last one.
void RefreshSymbols() noexcept;

}  // namespace ovut::debug
