// What the late-loaded libraries leave behind at detach.
#include "environment/late_dbghelp.h"
#include "environment/late_interface.h"
#include "environment/late_load.h"

namespace ovut::env {

void ShutdownLateLoad() noexcept {
  DBGHELP.CleanupSymbols();
  ShutdownGdiPlus();
}

}  // namespace ovut::env
