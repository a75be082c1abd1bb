#include <windows.h>

#include "dll/lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      ovut::ProcessAttach(instance);
      break;
    case DLL_PROCESS_DETACH:
      // reserved != NULL: the process is ending, not unloading this library.
      if (reserved)
        ovut::ProcessExit();
      else
        ovut::ProcessDetach();
      break;
  }
  return TRUE;
}
