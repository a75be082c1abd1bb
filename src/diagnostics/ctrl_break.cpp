#include "diagnostics/ctrl_break.h"

#include "diagnostics/debug_output.h"
#include "foundation/critical_section.h"

namespace ovut::debug {
namespace {

struct clsCtrlBreak {
  CriticalSection lock;
  LONG attached = 0;
} g_ctrlBreak;

}  // namespace

BOOL WINAPI CtrlBreakHandler(DWORD event) {
  if (event != CTRL_BREAK_EVENT) return FALSE;
  Write(nullptr, 0, L"Ctrl+Break: state of process %lu, thread %lu", GetCurrentProcessId(), GetCurrentThreadId());
  ListModules();
  Write(nullptr, 0, L"Ctrl+Break: end of state");
  return TRUE;
}

int CtrlBreakHookAttach(bool attach) noexcept {
  AutoLock lock(g_ctrlBreak.lock);
  if (attach) {
    if (g_ctrlBreak.attached == 0 && !SetConsoleCtrlHandler(CtrlBreakHandler, TRUE)) {
      Warning(L"ERR: UtilCtrlBreakHookAttach(): SetConsoleCtrlHandler failed: %lu", GetLastError());
      return -4;
    }
    ++g_ctrlBreak.attached;
    return 0;
  }
  if (g_ctrlBreak.attached == 0) return -5;
  if (--g_ctrlBreak.attached == 0) SetConsoleCtrlHandler(CtrlBreakHandler, FALSE);
  return 0;
}

}  // namespace ovut::debug
