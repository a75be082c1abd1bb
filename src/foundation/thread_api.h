// The optional system functions the thread classes use (thread pools, thread descriptions),
// looked up in kernel32 once each. A missing function is null; callers skip their step.
#pragma once
#include <windows.h>

namespace ovut::threadapi {

struct Functions {
  decltype(&::CreateThreadpool) createPool;
  decltype(&::CloseThreadpool) closePool;
  decltype(&::CreateThreadpoolCleanupGroup) createCleanupGroup;
  decltype(&::CloseThreadpoolCleanupGroupMembers) closeCleanupGroupMembers;
  decltype(&::CloseThreadpoolCleanupGroup) closeCleanupGroup;
  decltype(&::CreateThreadpoolWork) createWork;
  decltype(&::SubmitThreadpoolWork) submitWork;
  decltype(&::WaitForThreadpoolWorkCallbacks) waitWorkCallbacks;
  decltype(&::CloseThreadpoolWork) closeWork;
  HRESULT(WINAPI* setThreadDescription)(HANDLE, PCWSTR);
  HRESULT(WINAPI* getThreadDescription)(HANDLE, PWSTR*);
};

// Resolved on first use under a lock; the same record for the life of the process.
const Functions& Get() noexcept;

// True when every thread-pool function is present.
bool HasThreadPool() noexcept;

}  // namespace ovut::threadapi
