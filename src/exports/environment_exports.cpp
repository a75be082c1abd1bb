// Shared locks for host modules. Nothing here can fail or throw.
#include "environment/shared_locks.h"
#include "ovut19/environment.h"

extern "C" {

LPCRITICAL_SECTION* WINAPI UtilGetGDIThreadingCS(LPCRITICAL_SECTION* out) {
  if (out) *out = ovut::env::GdiThreadingSection();
  return out;
}

LPCRITICAL_SECTION* WINAPI UtilGetDBGHELPThreadingCS(LPCRITICAL_SECTION* out) {
  if (out) *out = ovut::env::DebugHelpSection();
  return out;
}

}  // extern "C"
