#include "environment/loader_lock.h"

#include "diagnostics/module_info.h"

namespace ovut::env {
namespace {
volatile LONG g_attachDetach = 0;
volatile DWORD g_attachDetachThread = 0;
}  // namespace

bool UnderLoaderLock() noexcept {
  if (g_attachDetach > 0 && g_attachDetachThread == GetCurrentThreadId()) return true;
  return debug::LoaderLockHeld();
}

clsAttachDetachScope::clsAttachDetachScope() noexcept {
  g_attachDetachThread = GetCurrentThreadId();
  InterlockedIncrement(&g_attachDetach);
}

clsAttachDetachScope::~clsAttachDetachScope() { InterlockedDecrement(&g_attachDetach); }

}  // namespace ovut::env
