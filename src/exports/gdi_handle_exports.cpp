// GDI handle lists.
#include "diagnostics/handle_lists.h"
#include "ovut19/gdihandles.h"

extern "C" {

int WINAPI UtilHandleListMgr(int type, int operation, HANDLE handle) {
  return ovut::handles::HandleListMgr(type, operation, reinterpret_cast<UINT_PTR>(handle));
}

}  // extern "C"
