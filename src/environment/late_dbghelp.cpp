#include "environment/late_dbghelp.h"

#include "environment/loader_lock.h"
#include "environment/shared_locks.h"

namespace ovut::env {

clsDBGHELP DBGHELP;

OVUT_LATE_DEF(DBGHELP, p_SymSetOptions, 4);
OVUT_LATE_DEF(DBGHELP, p_SymInitializeW, 12);
OVUT_LATE_DEF(DBGHELP, p_SymCleanup, 4);
OVUT_LATE_DEF(DBGHELP, p_SymFromAddrW, 20);
OVUT_LATE_DEF(DBGHELP, p_SymGetLineFromAddrW64, 20);
OVUT_LATE_DEF(DBGHELP, p_SymRefreshModuleList, 4);
OVUT_LATE_DEF(DBGHELP, p_SymFunctionTableAccess64, 12);
OVUT_LATE_DEF(DBGHELP, p_SymGetModuleBase64, 12);
OVUT_LATE_DEF(DBGHELP, p_StackWalk64, 36);
OVUT_LATE_DEF(DBGHELP, p_MiniDumpWriteDump, 28);
OVUT_LATE_DEF(DBGHELP, p_SymSetContext, 12);
OVUT_LATE_DEF(DBGHELP, p_SymEnumSymbolsW, 24);
OVUT_LATE_DEF(DBGHELP, p_SymGetTypeInfo, 24);

HANDLE clsDBGHELP::SymbolProcess() noexcept {
  if (process_) return process_;
  if (tried_ || UnderLoaderLock()) return nullptr;
  tried_ = true;
  auto initialize = p_SymInitializeW.Get();
  if (!initialize || !p_SymFromAddrW) return nullptr;
  // A handle of our own keeps the library's symbols apart from other users of the debug-help
  // library in the process, who use the pseudo handle.
  HANDLE process = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &process, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return nullptr;
  if (auto options = p_SymSetOptions.Get())
    options(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_LOAD_LINES | SYMOPT_FAIL_CRITICAL_ERRORS);
  if (!initialize(process, nullptr, TRUE)) {
    CloseHandle(process);
    return nullptr;
  }
  process_ = process;
  return process_;
}

void clsDBGHELP::RefreshModules() noexcept {
  if (!process_ || UnderLoaderLock()) return;
  if (auto refresh = p_SymRefreshModuleList.Get()) refresh(process_);
}

void clsDBGHELP::CleanupSymbols() noexcept {
  clsSectionLock hold(DebugHelpSection());
  if (process_) {
    if (auto cleanup = p_SymCleanup.Get()) cleanup(process_);
    CloseHandle(process_);
  }
  process_ = nullptr;
  tried_ = false;
}

}  // namespace ovut::env
