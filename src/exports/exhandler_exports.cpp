// Exception protection and the minidump writer.
#include "diagnostics/gpf_protection.h"
#include "diagnostics/minidump.h"
#include "exports/export_guard.h"
#include "ovut19/exhandler.h"

using ovut::exports::Guarded;

extern "C" {

int WINAPI UtilExHandlerJobOpen(void) {
  return Guarded(1, [] { return ovut::crash::JobOpen(); });
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI UtilExHandlerJobClose(void* reserved) {
  return Guarded(static_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(nullptr), [] { return ovut::crash::JobClose(); });
}

void WINAPI UtilExHandlerStartProtection(void* reserved) { ovut::crash::StartProtection(); }

void WINAPI UtilExHandlerEndProtection(void* reserved) { ovut::crash::EndProtection(); }

int WINAPI UtilDebugHelpWriteMiniDump(EXCEPTION_POINTERS* exception, LPWSTR path, int size) {
  if (!path) size = 0;
  return Guarded(static_cast<int>(ovut::crash::kDumpFailed), [&] { return ovut::crash::WriteMiniDump(exception, path, size); });
}

}  // extern "C"
