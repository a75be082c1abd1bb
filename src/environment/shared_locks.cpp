#include "environment/shared_locks.h"

namespace ovut::env {
namespace {

// Constructed at load, before any module can ask for the addresses, and kept until unload.
struct clsSections {
  CRITICAL_SECTION gdi;
  CRITICAL_SECTION debugHelp;
  clsSections() {
    InitializeCriticalSectionAndSpinCount(&gdi, 4000);
    InitializeCriticalSectionAndSpinCount(&debugHelp, 4000);
  }
  ~clsSections() {
    DeleteCriticalSection(&debugHelp);
    DeleteCriticalSection(&gdi);
  }
};
clsSections g_sections;

}  // namespace

CRITICAL_SECTION* GdiThreadingSection() noexcept { return &g_sections.gdi; }
CRITICAL_SECTION* DebugHelpSection() noexcept { return &g_sections.debugHelp; }

}  // namespace ovut::env
