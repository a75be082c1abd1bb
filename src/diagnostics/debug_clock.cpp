#include "diagnostics/debug_clock.h"

#include "diagnostics/debug_settings.h"

namespace ovut::debug {

BOOL CALLBACK clsDebugClock::Decide(INIT_ONCE*, void* param, void**) {
  auto* self = static_cast<clsDebugClock*>(param);
  self->perf_ = ReadForcePerfCounters() && QueryPerformanceFrequency(&self->frequency_) &&
                self->frequency_.QuadPart > 0;
  QueryPerformanceCounter(&self->start_);
  return TRUE;
}

bool clsDebugClock::UsesPerfCounter() {
  InitOnceExecuteOnce(&once_, Decide, this, nullptr);
  return perf_;
}

void clsDebugClock::Stamp(wchar_t (&out)[kStampUnits]) {
  if (UsesPerfCounter()) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    unsigned long long ticks = static_cast<unsigned long long>(now.QuadPart - start_.QuadPart);
    unsigned long long f = static_cast<unsigned long long>(frequency_.QuadPart);
    // Split first so that ticks * 1000 cannot overflow on long runs.
    FormatElapsedStamp(ticks / f * 1000 + ticks % f * 1000 / f, out);
  } else {
    SYSTEMTIME t;
    GetLocalTime(&t);
    FormatLocalStamp(t, out);
  }
}

}  // namespace ovut::debug
