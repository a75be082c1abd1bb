// The process-wide table of live profile jobs. Exports resolve a handle through it, so the
// invalid handle 0 and handles of jobs already destroyed are both refused without a crash.
#pragma once
#include <cstddef>

#include "profile/job.h"

namespace ovut::profile {

// Created at attach, destroyed at detach; jobs a host never closed are destroyed then.
void InitializeJobTable();
void ShutdownJobTable();

// A new registered job (refCount 1, empty root "/"); nullptr when out of memory.
clsProfJob* NewJob() noexcept;
// The live job of a handle, or nullptr.
clsProfJob* FindJob(ProfHandle handle) noexcept;
// Atomic reference counting; the release that reaches 0 unregisters and destroys the job.
LONG AddRefJob(clsProfJob* job) noexcept;
void ReleaseJob(clsProfJob* job) noexcept;
size_t LiveJobCount() noexcept;

}  // namespace ovut::profile
