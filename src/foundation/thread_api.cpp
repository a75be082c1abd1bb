// One record of the optional thread functions, taken from the late-loading layer, so that the DLL
// imports none of them.
#include "foundation/thread_api.h"

#include "environment/late_kernel32.h"

namespace ovut::threadapi {
namespace {

Functions g_functions;
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK Resolve(PINIT_ONCE, PVOID, PVOID*) {
  using namespace env;
  g_functions.createPool = p_CreateThreadpool.Get();
  g_functions.closePool = p_CloseThreadpool.Get();
  g_functions.createCleanupGroup = p_CreateThreadpoolCleanupGroup.Get();
  g_functions.closeCleanupGroupMembers = p_CloseThreadpoolCleanupGroupMembers.Get();
  g_functions.closeCleanupGroup = p_CloseThreadpoolCleanupGroup.Get();
  g_functions.createWork = p_CreateThreadpoolWork.Get();
  g_functions.submitWork = p_SubmitThreadpoolWork.Get();
  g_functions.waitWorkCallbacks = p_WaitForThreadpoolWorkCallbacks.Get();
  g_functions.closeWork = p_CloseThreadpoolWork.Get();
  g_functions.setThreadDescription = p_SetThreadDescription.Get();
  g_functions.getThreadDescription = p_GetThreadDescription.Get();
  return TRUE;
}

}  // namespace

const Functions& Get() noexcept {
  InitOnceExecuteOnce(&g_once, Resolve, nullptr, nullptr);
  return g_functions;
}

bool HasThreadPool() noexcept {
  const Functions& f = Get();
  return f.createPool && f.closePool && f.createCleanupGroup && f.closeCleanupGroupMembers && f.closeCleanupGroup &&
         f.createWork && f.submitWork && f.waitWorkCallbacks && f.closeWork;
}

}  // namespace ovut::threadapi
