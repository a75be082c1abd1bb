#include <windows.h>

#include "dll/lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      ovut::ProcessAttach(instance);
      break;
    case DLL_PROCESS_DETACH:
      // At process exit (reserved != NULL) other threads are gone; the channel still says good-bye.
      (void)reserved;
      ovut::ProcessDetach();
      break;
  }
  return TRUE;
}
