// The process-wide table of live profile jobs. Exports resolve a handle through it, so the
// invalid handle 0 and handles of jobs already destroyed are both refused without a crash.
//
// Lifetime: a job lives while its count is above 0. Every export holds the job it works on
// (FindJob takes a reference under the table lock) for the span of the call, so a close on
// another thread never frees a tree under a running call. Once the count has reached 0 the
// handle is dead: no later AddRef, close or call can revive it, even while the destruction
// is still running.
#pragma once
#include <cstddef>

#include "profile/job.h"

namespace ovut::profile {

// Created at attach, destroyed at detach; jobs a host never closed are destroyed then.
void InitializeJobTable();
void ShutdownJobTable();

// A reference to a live job for the span of a call; releasing the last one destroys the job.
class JobRef {
 public:
  JobRef() noexcept = default;
  ~JobRef() { Reset(); }
  JobRef(const JobRef&) = delete;
  JobRef& operator=(const JobRef&) = delete;
  JobRef(JobRef&& o) noexcept : job_(o.job_) { o.job_ = nullptr; }
  JobRef& operator=(JobRef&& o) noexcept {
    if (this != &o) {
      Reset();
      job_ = o.job_;
      o.job_ = nullptr;
    }
    return *this;
  }

  explicit operator bool() const noexcept { return job_ != nullptr; }
  clsProfJob* operator->() const noexcept { return job_; }
  clsProfJob& operator*() const noexcept { return *job_; }
  clsProfJob* Get() const noexcept { return job_; }
  // Only a named holder converts: a temporary would drop its reference at the end of the
  // statement and leave a raw pointer to a job that may be freed.
  operator clsProfJob*() const& noexcept { return job_; }  // NOLINT
  operator clsProfJob*() const&& = delete;
  void Reset() noexcept;

 private:
  friend JobRef FindJob(ProfHandle handle) noexcept;
  explicit JobRef(clsProfJob* job) noexcept : job_(job) {}
  clsProfJob* job_ = nullptr;
};

// A new registered job (refCount 1, empty root "/"); nullptr when out of memory.
clsProfJob* NewJob() noexcept;
// The live job of a handle, held for the span of the holder; empty for 0, unknown or dead handles.
JobRef FindJob(ProfHandle handle) noexcept;
// ProfJobAddRef: the new count, 0 for an invalid or dead handle.
LONG AddRefJob(ProfHandle handle) noexcept;
// ProfJobClose: one reference less; the release that reaches 0 makes the handle dead and
// destroys the job once no call holds it any more.
void CloseJob(ProfHandle handle) noexcept;
// Releases a reference the caller owns (NewJob's, when a half-made job is given up).
void ReleaseJob(clsProfJob* job) noexcept;
size_t LiveJobCount() noexcept;

}  // namespace ovut::profile
