// Data breakpoints.
#include "diagnostics/data_breakpoints.h"
#include "ovut19/databp.h"

extern "C" {

HUTILDATABP WINAPI UtilSetDataBP(void* address, int size, BOOL writeOnly) {
  return reinterpret_cast<HUTILDATABP>(ovut::debug::SetDataBreakpoint(address, size, writeOnly != 0));
}

void WINAPI UtilRemoveDataBP(HUTILDATABP breakpoint) {
  ovut::debug::RemoveDataBreakpoint(reinterpret_cast<ovut::debug::scDataBreakpoint*>(breakpoint));
}

}  // extern "C"
