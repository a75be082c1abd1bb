// Process-wide state: created at attach in a fixed order, destroyed at detach in reverse.
#pragma once
#include <windows.h>

namespace ovut {
void ProcessAttach(HMODULE library);
void ProcessDetach();
HMODULE ThisModule();
bool ShuttingDown();
}  // namespace ovut
