#include "memory/symbols.h"

#include <dbghelp.h>

#include <cstdio>
#include <cwchar>
#include <new>

#include "foundation/critical_section.h"

namespace ovut::memory {
namespace {

using SymSetOptionsFn = DWORD(WINAPI*)(DWORD);
using SymInitializeWFn = BOOL(WINAPI*)(HANDLE, PCWSTR, BOOL);
using SymCleanupFn = BOOL(WINAPI*)(HANDLE);
using SymFromAddrWFn = BOOL(WINAPI*)(HANDLE, DWORD64, PDWORD64, PSYMBOL_INFOW);
using SymRefreshModuleListFn = BOOL(WINAPI*)(HANDLE);

// The library is late-loaded so that processes that never report do not map it. Symbols are
// kept under a process handle of our own, which keeps them apart from other users of the
// library in the process (they use the pseudo handle).
struct DebugHelp {
  HMODULE library = nullptr;
  HANDLE process = nullptr;
  bool tried = false, ready = false;
  SymCleanupFn cleanup = nullptr;
  SymFromAddrWFn fromAddr = nullptr;
  SymRefreshModuleListFn refresh = nullptr;

  bool Load() {
    if (tried) return ready;
    tried = true;
    library = LoadLibraryW(L"dbghelp.dll");
    if (!library) return false;
    auto get = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(library, name)); };
    auto setOptions = reinterpret_cast<SymSetOptionsFn>(get("SymSetOptions"));
    auto init = reinterpret_cast<SymInitializeWFn>(get("SymInitializeW"));
    cleanup = reinterpret_cast<SymCleanupFn>(get("SymCleanup"));
    fromAddr = reinterpret_cast<SymFromAddrWFn>(get("SymFromAddrW"));
    refresh = reinterpret_cast<SymRefreshModuleListFn>(get("SymRefreshModuleList"));
    if (!init || !fromAddr ||
        !DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &process, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
      return false;
    if (setOptions) setOptions(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS);
    ready = init(process, nullptr, TRUE) != FALSE;
    return ready;
  }
  void Unload() {
    if (ready && cleanup) cleanup(process);
    if (process) CloseHandle(process);
    if (library) FreeLibrary(library);
    *this = DebugHelp();
  }
};

DebugHelp g_help;
CriticalSection* g_lock = nullptr;  // debug-help calls are not thread-safe
alignas(CriticalSection) unsigned char g_lockStorage[sizeof(CriticalSection)];


HMODULE ModuleOf(UINT_PTR address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(address), &module))
    return nullptr;
  return module;
}

}  // namespace

bool IsCodeAddress(UINT_PTR address) { return address > 0xFFFF && ModuleOf(address) != nullptr; }

void InitializeSymbols() {
  if (!g_lock) g_lock = new (g_lockStorage) CriticalSection();
}

void RefreshSymbols() {
  if (!g_lock) return;
  AutoLock lock(*g_lock);
  if (g_help.Load() && g_help.refresh) g_help.refresh(g_help.process);
}

bool DescribeAddress(UINT_PTR address, wchar_t* text, int size) {
  if (!text || size <= 0) return false;
  text[0] = 0;
  HMODULE module = address > 0xFFFF ? ModuleOf(address) : nullptr;
  if (!module) return false;
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  path[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;

  alignas(SYMBOL_INFOW) unsigned char buffer[sizeof(SYMBOL_INFOW) + 256 * sizeof(wchar_t)] = {};
  SYMBOL_INFOW* symbol = reinterpret_cast<SYMBOL_INFOW*>(buffer);
  symbol->SizeOfStruct = sizeof(SYMBOL_INFOW);
  symbol->MaxNameLen = 256;
  DWORD64 displacement = 0;
  bool found = false;
  if (g_lock) {
    AutoLock lock(*g_lock);
    found = g_help.Load() && g_help.fromAddr(g_help.process, address, &displacement, symbol) && symbol->Name[0];
  }
  int written = found ? _snwprintf(text, size - 1, L"%s!%s+0x%Ix", name, symbol->Name, static_cast<UINT_PTR>(displacement))
                      : _snwprintf(text, size - 1, L"%s+0x%Ix", name, address - reinterpret_cast<UINT_PTR>(module));
  text[written < 0 ? size - 1 : written] = 0;
  return true;
}

void ShutdownSymbols() {
  if (!g_lock) return;
  {
    AutoLock lock(*g_lock);
    g_help.Unload();
  }
  g_lock->~CriticalSection();
  g_lock = nullptr;
}

}  // namespace ovut::memory
