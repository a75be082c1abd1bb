// Exception protection: the process-wide unhandled-exception filter, the threads it protects,
// and clsGPFProtection, which decides what to do with one exception and writes the crash report.
#pragma once
#include <windows.h>

#include <cstdarg>

namespace ovut::crash {

// The handler switch, decided on first need and kept: registry "ForceUseGPFHandler", an
// attached debugger, "UseGPFHandler".
bool HandlerOn() noexcept;

// The exported operations (see include/ovut19/exhandler.h).
int JobOpen() noexcept;
LPTOP_LEVEL_EXCEPTION_FILTER JobClose() noexcept;
void StartProtection() noexcept;
void EndProtection() noexcept;

// The calling thread's protection count (0 when unprotected).
LONG ProtectionCount() noexcept;

// The filter itself (what JobOpen installs).
LONG WINAPI ProtectionFilter(EXCEPTION_POINTERS* exception);

// "Access Violation" and the other names of the system's exception codes; other codes by the
// NT layer's message text. Cut to `size`; no heap.
void ExceptionName(DWORD code, wchar_t* name, size_t size) noexcept;

// Tests: forget the decision so that the registry is read again.
void ResetHandlerSwitchForTesting() noexcept;

}  // namespace ovut::crash

class clsGPFProtection {
 public:
  enum : DWORD { kInteractive = 1, kReportWanted = 2 };
  enum : DWORD { kToChannel = 1, kToLogFile = 2 };

  explicit clsGPFProtection(DWORD flags) noexcept : flags(flags) {}
  virtual ~clsGPFProtection() = default;
  // The filter result for one exception of a protected thread.
  virtual LONG HandleException(EXCEPTION_POINTERS* exception) noexcept;
  // One report line (at most 4096 characters) to the channel (kToChannel) and the log file.
  virtual void Log(DWORD outputFlags, const wchar_t* format, ...) noexcept;
  virtual DWORD GetOutputFlags() noexcept { return kToChannel | kToLogFile; }

  void GenerateExceptionReport(EXCEPTION_POINTERS* exception, bool minidumpOnly) noexcept;

  DWORD flags;
};
