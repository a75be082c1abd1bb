// The Ctrl+Break state dump of console processes: while attached, Ctrl+Break writes the state of
// the process to the debug channel instead of ending it.
#pragma once
#include <windows.h>

namespace ovut::debug {

// Counted: the handler stays until as many detaches as attaches. 0, or -4 when the system
// refuses the handler, -5 for a detach without an attach.
int CtrlBreakHookAttach(bool attach) noexcept;

// The handler itself: TRUE (handled, after the dump) for CTRL_BREAK_EVENT, FALSE otherwise.
BOOL WINAPI CtrlBreakHandler(DWORD event);

}  // namespace ovut::debug
