// Process-wide state: created at attach in a fixed order, destroyed at unload in reverse.
#pragma once
#include <windows.h>

namespace ovut {
void ProcessAttach(HMODULE library);
void ProcessDetach();  // FreeLibrary: full teardown
void ProcessExit();    // process exit: only the debug channel's last words
HMODULE ThisModule();
bool ShuttingDown();
}  // namespace ovut
