// Run-once work items on the system thread pool. Where the system has no thread pool the pool
// stays empty and Submit does nothing (returns false); callers then run without it.
#pragma once
#include <windows.h>

#include "foundation/critical_section.h"

// A private pool with a cleanup group; its destruction cancels pending callbacks and waits for
// running ones (skipped once the library is being unloaded, where waiting could deadlock).
class clsThreadPool {
 public:
  clsThreadPool() noexcept;
  ~clsThreadPool();
  clsThreadPool(const clsThreadPool&) = delete;
  clsThreadPool& operator=(const clsThreadPool&) = delete;

  bool Available() const noexcept { return pool_ != nullptr; }
  // The callback environment bound to the pool and its cleanup group, or null when not available.
  PTP_CALLBACK_ENVIRON Environment() noexcept { return pool_ ? &environment_ : nullptr; }

 private:
  PTP_POOL pool_ = nullptr;
  PTP_CLEANUP_GROUP group_ = nullptr;
  TP_CALLBACK_ENVIRON environment_;
};

// One work item. Submit queues it; WorkBody runs on a pool thread. Destroying the item cancels a
// pending callback and waits for a running one, except on the callback's own thread (a work body
// may delete its own item). A derived class whose members the body uses calls EndWork() first in
// its own destructor.
class clsThreadPoolWorkerBaseRunOnce {
 public:
  // `pool` null: the process's default pool.
  explicit clsThreadPoolWorkerBaseRunOnce(clsThreadPool* pool = nullptr) noexcept;
  virtual ~clsThreadPoolWorkerBaseRunOnce();
  clsThreadPoolWorkerBaseRunOnce(const clsThreadPoolWorkerBaseRunOnce&) = delete;
  clsThreadPoolWorkerBaseRunOnce& operator=(const clsThreadPoolWorkerBaseRunOnce&) = delete;

  // Queues the body once more; false when there is no pool or the work item could not be created.
  bool Submit() noexcept;
  // Id of the pool thread running (or last running) the body; 0 before.
  DWORD CallbackThreadId() const noexcept { return callbackThread_; }

 protected:
  virtual void WorkBody() = 0;
  // The running callback's instance (valid inside WorkBody only).
  PTP_CALLBACK_INSTANCE CallbackInstance() const noexcept { return instance_; }
  // Cancels a pending callback, waits for a running one (not on its own thread) and closes the work.
  void EndWork() noexcept;

 private:
  static void CALLBACK Callback(PTP_CALLBACK_INSTANCE instance, PVOID self, PTP_WORK work);
  ovut::CriticalSection lock_;
  clsThreadPool* pool_;
  PTP_WORK work_ = nullptr;
  volatile DWORD callbackThread_ = 0;
  PTP_CALLBACK_INSTANCE instance_ = nullptr;
};
