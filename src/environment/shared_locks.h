// The two process-wide critical sections that serialise GDI calls and debug-help calls for
// every module of the process. Host modules get their addresses through the exports
// UtilGetGDIThreadingCS and UtilGetDBGHELPThreadingCS; the library takes the same sections.
#pragma once
#include <windows.h>

namespace ovut::env {

CRITICAL_SECTION* GdiThreadingSection() noexcept;
CRITICAL_SECTION* DebugHelpSection() noexcept;

class clsSectionLock {
 public:
  explicit clsSectionLock(CRITICAL_SECTION* section) noexcept : section_(section) { EnterCriticalSection(section_); }
  ~clsSectionLock() { LeaveCriticalSection(section_); }
  clsSectionLock(const clsSectionLock&) = delete;
  clsSectionLock& operator=(const clsSectionLock&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

}  // namespace ovut::env
