#include "diagnostics/gpf_protection.h"

#include <cwchar>
#include <map>
#include <vector>

#include "diagnostics/crash_log.h"
#include "diagnostics/debug_output.h"
#include "diagnostics/gpf_report_lines.h"
#include "environment/process_identity.h"
#include "environment/registry_values.h"
#include "environment/user_root.h"

namespace ovut::crash {
namespace {

enum : LONG { kUndecided = 0, kOn = 1, kOff = 2 };

// Process-wide; the sections are initialised before any static constructor of a host can call
// in, and never deleted (a late exception may still need them).
struct ProtectionState {
  ProtectionState() noexcept {
    InitializeCriticalSection(&lock);
    InitializeCriticalSection(&reportLock);
  }
  CRITICAL_SECTION lock;        // switch, counts, saved filters
  CRITICAL_SECTION reportLock;  // one report at a time
  volatile LONG handlerSwitch = kUndecided;
  std::vector<LPTOP_LEVEL_EXCEPTION_FILTER> saved;  // most recent last
  std::map<DWORD, LONG> counts;
  volatile LONG handling = 0;
  volatile LONG chainPosition = 0;
};

ProtectionState& State() noexcept {
  static ProtectionState* state = new ProtectionState;  // never destroyed: see above
  return *state;
}
// Constructed at load, before any export runs.
[[maybe_unused]] ProtectionState& g_stateAtLoad = State();

class Hold {
 public:
  explicit Hold(CRITICAL_SECTION* cs) noexcept : cs_(cs) { EnterCriticalSection(cs_); }
  ~Hold() { LeaveCriticalSection(cs_); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  CRITICAL_SECTION* cs_;
};

// F or 0: off; T or 1: on; anything else: no word (-1).
int SwitchChar(const String& text) noexcept {
  switch (text.First()) {
    case L'F': case L'f': case L'0': return 0;
    case L'T': case L't': case L'1': return 1;
    default: return -1;
  }
}

bool DecideHandler() noexcept {
  env::clsUserRoot root;
  String value;
  if (env::ReadRegistryText(root.get(), env::kOrvaskKey, L"ForceUseGPFHandler", value)) {
    const int forced = SwitchChar(value);
    if (forced >= 0) return forced == 1;
  }
  // A debugger sees the exception itself.
  if (IsDebuggerPresent()) return false;
  if (env::ReadRegistryText(root.get(), env::kOrvaskKey, L"UseGPFHandler", value)) return SwitchChar(value) != 0;
  return true;
}

}  // namespace

bool HandlerOn() noexcept {
  ProtectionState& s = State();
  if (s.handlerSwitch == kUndecided) {
    Hold hold(&s.lock);
    if (s.handlerSwitch == kUndecided) s.handlerSwitch = DecideHandler() ? kOn : kOff;
  }
  return s.handlerSwitch == kOn;
}

void ResetHandlerSwitchForTesting() noexcept { State().handlerSwitch = kUndecided; }

int JobOpen() noexcept {
  if (!HandlerOn()) return 1;
  // Everything the report needs without the heap or the loader is made ready now.
  PrepareCrashLog();
  PrepareReportFacts();
  ProtectionState& s = State();
  Hold hold(&s.lock);
  try {
    s.saved.reserve(s.saved.size() + 1);
  } catch (...) {
    debug::Warning(L"ERR: UtilExHandlerJobOpen: out of memory, filter not installed");
    return 1;
  }
  s.saved.push_back(SetUnhandledExceptionFilter(ProtectionFilter));
  return 1;
}

LPTOP_LEVEL_EXCEPTION_FILTER JobClose() noexcept {
  if (!HandlerOn()) return nullptr;
  ProtectionState& s = State();
  Hold hold(&s.lock);
  if (s.saved.empty()) return nullptr;
  LPTOP_LEVEL_EXCEPTION_FILTER previous = s.saved.back();
  s.saved.pop_back();
  return SetUnhandledExceptionFilter(previous);
}

void StartProtection() noexcept {
  ProtectionState& s = State();
  if (s.handling > 0 || !HandlerOn()) return;
  Hold hold(&s.lock);
  try {
    ++s.counts[GetCurrentThreadId()];
  } catch (...) {
    debug::Warning(L"ERR: UtilExHandlerStartProtection: out of memory, thread not protected");
  }
}

void EndProtection() noexcept {
  ProtectionState& s = State();
  if (s.handling > 0 || !HandlerOn()) return;
  Hold hold(&s.lock);
  auto found = s.counts.find(GetCurrentThreadId());
  if (found == s.counts.end()) return;
  if (found->second <= 1)
    s.counts.erase(found);
  else
    --found->second;
}

LONG ProtectionCount() noexcept {
  ProtectionState& s = State();
  Hold hold(&s.lock);
  auto found = s.counts.find(GetCurrentThreadId());
  return found == s.counts.end() ? 0 : found->second;
}

// The protection lock is held only for the look-up, not while the exception is handled: the
// report waits for its message-box thread, and an exception there (or on any other thread)
// must reach this filter without waiting for the report. Reports are serialised by the report
// lock instead, and an exception inside the report on the reporting thread ends the process.
LONG WINAPI ProtectionFilter(EXCEPTION_POINTERS* exception) {
  ProtectionState& s = State();
  if (ReportingOnThisThread()) EndAfterNestedException(exception);
  if (ProtectionCount() > 0) {
    InterlockedIncrement(&s.handling);
    LONG result;
    {
      Hold serial(&s.reportLock);
      clsGPFProtection protection(clsGPFProtection::kInteractive | clsGPFProtection::kReportWanted);
      result = protection.HandleException(exception);
    }
    InterlockedDecrement(&s.handling);
    return result;
  }
  // Not ours: the filter that was installed before, advancing the position while it runs so
  // that a filter leading back here reaches the next older one.
  const LONG position = InterlockedIncrement(&s.chainPosition) - 1;
  LPTOP_LEVEL_EXCEPTION_FILTER next = nullptr;
  bool past;
  {
    Hold hold(&s.lock);
    past = position < 0 || static_cast<size_t>(position) >= s.saved.size();
    if (!past) next = s.saved[s.saved.size() - 1 - static_cast<size_t>(position)];
  }
  // No earlier filter: the system's own handling, as if none had been installed.
  const LONG result = past ? EXCEPTION_EXECUTE_HANDLER : next ? next(exception) : EXCEPTION_CONTINUE_SEARCH;
  InterlockedExchange(&s.chainPosition, position);
  return result;
}

}  // namespace ovut::crash

using namespace ovut::crash;

LONG clsGPFProtection::HandleException(EXCEPTION_POINTERS* exception) noexcept {
  EXCEPTION_RECORD* record = exception ? exception->ExceptionRecord : nullptr;
  if (!record) return EXCEPTION_CONTINUE_SEARCH;
  const DWORD code = record->ExceptionCode;
  if (code & 0x3FFFFC00) {
    Log(kToChannel, L"Not system exception: let it pass!");
    return EXCEPTION_CONTINUE_SEARCH;
  }
  if (LOBYTE(LOWORD(GetVersion())) >= 6 && ovut::env::Identity().process.baseName.Length() >= 6 &&
      _wcsnicmp(ovut::env::Identity().process.baseName.c_str(), L"PXVIEW", 6) == 0)
    flags &= ~static_cast<DWORD>(kInteractive);
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
      if (record->NumberParameters >= 1 && record->ExceptionInformation[0] == 8) {
        Log(kToChannel, L">>>NX violation exception!!!");
        GenerateExceptionReport(exception, false);
        Log(kToChannel, L"<<<NX violation exception!!!");
        return EXCEPTION_CONTINUE_SEARCH;
      }
      break;
    case EXCEPTION_BREAKPOINT:
      // Continue behind the int3: the context points at it, and resuming there would raise
      // the same breakpoint for ever.
      StepOverBreakpoint(exception->ContextRecord);
      return EXCEPTION_CONTINUE_EXECUTION;
    case EXCEPTION_STACK_OVERFLOW:
      return EXCEPTION_CONTINUE_SEARCH;
    default:
      break;
  }
  if (flags & kReportWanted) GenerateExceptionReport(exception, true);
  if (code == EXCEPTION_NONCONTINUABLE_EXCEPTION) Log(kToChannel, L"[noncontinuable exception...]");
  if (code == 0xC0000029) Log(kToChannel, L"[no handler active to catch throw()?]");
  return EXCEPTION_CONTINUE_SEARCH;
}
