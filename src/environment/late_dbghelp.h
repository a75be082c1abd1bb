// The debug-help library: symbols, stack walks and minidumps. It is single-threaded, so every
// call of this library goes through the process-wide debug-help section (shared_locks.h),
// and symbols are set up once for the whole library (one SymInitialize).
#pragma once
#include <windows.h>

#include <dbghelp.h>

#include "environment/late_load.h"

namespace ovut::env {

class clsDBGHELP : public CLateLoadBase {
 public:
  constexpr clsDBGHELP() : CLateLoadBase(L"dbghelp") {}
  // Call with the debug-help section held. The process handle the library's symbols are kept
  // under, set up on the first call; null when the library or its symbol functions are
  // missing. Never loads anything while the loader lock is held.
  HANDLE SymbolProcess() noexcept;
  // Picks up modules loaded since the last refresh (section held).
  void RefreshModules() noexcept;
  // At detach: SymCleanup and the handle (takes the section itself).
  void CleanupSymbols() noexcept;

 private:
  HANDLE process_ = nullptr;
  bool tried_ = false;
};
extern clsDBGHELP DBGHELP;

// The wide forms are named with their "W": the plain names are the ANSI functions.
OVUT_LATE_DECL(p_SymSetOptions, DWORD(WINAPI*)(DWORD));
OVUT_LATE_DECL(p_SymInitializeW, BOOL(WINAPI*)(HANDLE, PCWSTR, BOOL));
OVUT_LATE_DECL(p_SymCleanup, BOOL(WINAPI*)(HANDLE));
OVUT_LATE_DECL(p_SymFromAddrW, BOOL(WINAPI*)(HANDLE, DWORD64, PDWORD64, PSYMBOL_INFOW));
OVUT_LATE_DECL(p_SymGetLineFromAddrW64, BOOL(WINAPI*)(HANDLE, DWORD64, PDWORD, PIMAGEHLP_LINEW64));
OVUT_LATE_DECL(p_SymRefreshModuleList, BOOL(WINAPI*)(HANDLE));
OVUT_LATE_DECL(p_SymFunctionTableAccess64, PVOID(WINAPI*)(HANDLE, DWORD64));
OVUT_LATE_DECL(p_SymGetModuleBase64, DWORD64(WINAPI*)(HANDLE, DWORD64));
OVUT_LATE_DECL(p_StackWalk64, BOOL(WINAPI*)(DWORD, HANDLE, HANDLE, LPSTACKFRAME64, PVOID,
                                            PREAD_PROCESS_MEMORY_ROUTINE64, PFUNCTION_TABLE_ACCESS_ROUTINE64,
                                            PGET_MODULE_BASE_ROUTINE64, PTRANSLATE_ADDRESS_ROUTINE64));
OVUT_LATE_DECL(p_MiniDumpWriteDump, BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                  PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION,
                                                  PMINIDUMP_CALLBACK_INFORMATION));
// Parameters and locals of a frame, for the crash report.
OVUT_LATE_DECL(p_SymSetContext, BOOL(WINAPI*)(HANDLE, PIMAGEHLP_STACK_FRAME, PIMAGEHLP_CONTEXT));
OVUT_LATE_DECL(p_SymEnumSymbolsW, BOOL(WINAPI*)(HANDLE, ULONG64, PCWSTR, PSYM_ENUMERATESYMBOLS_CALLBACKW, PVOID));
OVUT_LATE_DECL(p_SymGetTypeInfo, BOOL(WINAPI*)(HANDLE, DWORD64, ULONG, IMAGEHLP_SYMBOL_TYPE_INFO, PVOID));

}  // namespace ovut::env
