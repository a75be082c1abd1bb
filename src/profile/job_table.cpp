#include "profile/job_table.h"

#include <new>
#include <unordered_set>
#include <vector>

#include "foundation/critical_section.h"

namespace ovut::profile {
namespace {

CriticalSection* g_lock = nullptr;
std::unordered_set<const clsProfJob*>* g_jobs = nullptr;

}  // namespace

void InitializeJobTable() {
  if (g_lock) return;
  g_lock = new CriticalSection(4000);
  g_jobs = new std::unordered_set<const clsProfJob*>;
}

void ShutdownJobTable() {
  if (!g_lock) return;
  std::vector<const clsProfJob*> left;
  {
    AutoLock lock(*g_lock);
    left.assign(g_jobs->begin(), g_jobs->end());
    g_jobs->clear();
  }
  for (const clsProfJob* job : left) delete job;
  delete g_jobs;
  g_jobs = nullptr;
  delete g_lock;
  g_lock = nullptr;
}

clsProfJob* NewJob() noexcept {
  clsProfJob* job = new (std::nothrow) clsProfJob;
  if (!job) return nullptr;
  try {
    AutoLock lock(*g_lock);
    g_jobs->insert(job);
  } catch (...) {
    delete job;
    return nullptr;
  }
  return job;
}

clsProfJob* FindJob(ProfHandle handle) noexcept {
  if (!handle || !g_lock) return nullptr;
  auto* job = reinterpret_cast<clsProfJob*>(handle);
  AutoLock lock(*g_lock);
  return g_jobs->count(job) ? job : nullptr;
}

LONG AddRefJob(clsProfJob* job) noexcept { return InterlockedIncrement(&job->refCount); }

void ReleaseJob(clsProfJob* job) noexcept {
  if (InterlockedDecrement(&job->refCount) != 0) return;
  {
    AutoLock lock(*g_lock);
    g_jobs->erase(job);
  }
  delete job;
}

size_t LiveJobCount() noexcept {
  AutoLock lock(*g_lock);
  return g_jobs->size();
}

}  // namespace ovut::profile
