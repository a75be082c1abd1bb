#include "profile/job_table.h"

#include <new>
#include <unordered_set>
#include <vector>

#include "foundation/critical_section.h"

namespace ovut::profile {
namespace {

CriticalSection* g_lock = nullptr;
std::unordered_set<const clsProfJob*>* g_jobs = nullptr;

// One more reference unless the count has already reached 0: a dying job stays dead. The
// caller holds the table lock and has found the job in the table, so its memory is valid.
LONG AddRefIfAlive(clsProfJob* job) noexcept {
  for (LONG count = job->refCount; count > 0; count = job->refCount) {
    if (InterlockedCompareExchange(&job->refCount, count + 1, count) == count) return count + 1;
  }
  return 0;
}

// Unregisters and destroys a job whose count has reached 0.
void Destroy(clsProfJob* job) noexcept {
  {
    AutoLock lock(*g_lock);
    g_jobs->erase(job);
  }
  delete job;
}

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

void JobRef::Reset() noexcept {
  if (clsProfJob* job = job_) {
    job_ = nullptr;
    ReleaseJob(job);
  }
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

JobRef FindJob(ProfHandle handle) noexcept {
  if (!handle || !g_lock) return JobRef();
  auto* job = reinterpret_cast<clsProfJob*>(handle);
  AutoLock lock(*g_lock);
  if (!g_jobs->count(job) || AddRefIfAlive(job) == 0) return JobRef();
  return JobRef(job);
}

LONG AddRefJob(ProfHandle handle) noexcept {
  if (!handle || !g_lock) return 0;
  auto* job = reinterpret_cast<clsProfJob*>(handle);
  AutoLock lock(*g_lock);
  return g_jobs->count(job) ? AddRefIfAlive(job) : 0;
}

void CloseJob(ProfHandle handle) noexcept {
  if (!handle || !g_lock) return;
  auto* job = reinterpret_cast<clsProfJob*>(handle);
  {
    AutoLock lock(*g_lock);
    if (!g_jobs->count(job)) return;
    // One reference less unless the job is already dead: a close too many must not drive the
    // count below 0 while another call still holds the job.
    LONG count = job->refCount;
    for (;;) {
      if (count <= 0) return;
      LONG seen = InterlockedCompareExchange(&job->refCount, count - 1, count);
      if (seen == count) break;
      count = seen;
    }
    if (count - 1 > 0) return;
    g_jobs->erase(job);
  }
  delete job;
}

void ReleaseJob(clsProfJob* job) noexcept {
  if (job && InterlockedDecrement(&job->refCount) == 0) Destroy(job);
}

size_t LiveJobCount() noexcept {
  AutoLock lock(*g_lock);
  return g_jobs->size();
}

}  // namespace ovut::profile
