// Time stamps of channel lines: local wall-clock time, or the time since the first line taken
// from the performance counter when the user asked for it ("ForceUsePerfCounters").
#pragma once
#include <windows.h>

#include "diagnostics/debug_line.h"

namespace ovut::debug {

class clsDebugClock {
 public:
  // The first call decides the source (reads the registry) and starts the elapsed count.
  void Stamp(wchar_t (&out)[kStampUnits]);
  bool UsesPerfCounter();

 private:
  static BOOL CALLBACK Decide(INIT_ONCE*, void* self, void**);

  INIT_ONCE once_ = INIT_ONCE_STATIC_INIT;
  bool perf_ = false;
  LARGE_INTEGER start_ = {};
  LARGE_INTEGER frequency_ = {};
};

}  // namespace ovut::debug
