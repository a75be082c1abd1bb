// One place that looks the optional thread functions up, so that the DLL imports none of them.
#include "foundation/thread_api.h"

namespace ovut::threadapi {
namespace {

Functions g_functions;
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

template <typename F>
void Find(HMODULE kernel, const char* name, F* entry) {
  *entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

BOOL CALLBACK Resolve(PINIT_ONCE, PVOID, PVOID*) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return TRUE;
  Find(kernel, "CreateThreadpool", &g_functions.createPool);
  Find(kernel, "CloseThreadpool", &g_functions.closePool);
  Find(kernel, "CreateThreadpoolCleanupGroup", &g_functions.createCleanupGroup);
  Find(kernel, "CloseThreadpoolCleanupGroupMembers", &g_functions.closeCleanupGroupMembers);
  Find(kernel, "CloseThreadpoolCleanupGroup", &g_functions.closeCleanupGroup);
  Find(kernel, "CreateThreadpoolWork", &g_functions.createWork);
  Find(kernel, "SubmitThreadpoolWork", &g_functions.submitWork);
  Find(kernel, "WaitForThreadpoolWorkCallbacks", &g_functions.waitWorkCallbacks);
  Find(kernel, "CloseThreadpoolWork", &g_functions.closeWork);
  Find(kernel, "SetThreadDescription", &g_functions.setThreadDescription);
  Find(kernel, "GetThreadDescription", &g_functions.getThreadDescription);
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
