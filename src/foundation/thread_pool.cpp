// The system thread pool behind run-once work items; every pool function goes through the
// late-looked-up table, so older systems simply run without a pool.
#include "foundation/thread_pool.h"

#include "dll/lifecycle.h"
#include "foundation/thread_api.h"

namespace api = ovut::threadapi;

clsThreadPool::clsThreadPool() noexcept {
  InitializeThreadpoolEnvironment(&environment_);
  if (!api::HasThreadPool()) return;
  const api::Functions& f = api::Get();
  PTP_POOL pool = f.createPool(nullptr);
  if (!pool) return;
  PTP_CLEANUP_GROUP group = f.createCleanupGroup();
  if (!group) {
    f.closePool(pool);
    return;
  }
  SetThreadpoolCallbackPool(&environment_, pool);
  SetThreadpoolCallbackCleanupGroup(&environment_, group, nullptr);
  pool_ = pool;
  group_ = group;
}

clsThreadPool::~clsThreadPool() {
  // During the final unload the pool's threads may wait for the loader lock we hold.
  if (pool_ && !ovut::ShuttingDown()) {
    const api::Functions& f = api::Get();
    f.closeCleanupGroupMembers(group_, TRUE, nullptr);
    f.closeCleanupGroup(group_);
    f.closePool(pool_);
  }
  DestroyThreadpoolEnvironment(&environment_);
}

clsThreadPoolWorkerBaseRunOnce::clsThreadPoolWorkerBaseRunOnce(clsThreadPool* pool) noexcept : pool_(pool) {}

clsThreadPoolWorkerBaseRunOnce::~clsThreadPoolWorkerBaseRunOnce() { EndWork(); }

void CALLBACK clsThreadPoolWorkerBaseRunOnce::Callback(PTP_CALLBACK_INSTANCE instance, PVOID param, PTP_WORK) {
  auto* self = static_cast<clsThreadPoolWorkerBaseRunOnce*>(param);
  self->instance_ = instance;
  self->callbackThread_ = GetCurrentThreadId();
  try {
    self->WorkBody();  // may delete the item: nothing of it is touched afterwards
  } catch (...) {
  }
}

bool clsThreadPoolWorkerBaseRunOnce::Submit() noexcept {
  if (!api::HasThreadPool()) return false;
  const api::Functions& f = api::Get();
  ovut::AutoLock hold(lock_);
  if (!work_) {
    if (pool_ && !pool_->Available()) return false;
    work_ = f.createWork(&clsThreadPoolWorkerBaseRunOnce::Callback, this, pool_ ? pool_->Environment() : nullptr);
    if (!work_) return false;
  }
  f.submitWork(work_);
  return true;
}

void clsThreadPoolWorkerBaseRunOnce::EndWork() noexcept {
  PTP_WORK work;
  {
    ovut::AutoLock hold(lock_);
    work = work_;
    work_ = nullptr;
  }
  if (!work) return;
  const api::Functions& f = api::Get();
  // On the callback's own thread waiting would never end; closing is allowed there.
  if (callbackThread_ != GetCurrentThreadId()) f.waitWorkCallbacks(work, TRUE);
  f.closeWork(work);
}
