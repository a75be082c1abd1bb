#include "docinfo/docu_list.h"

#include <new>

#include "docinfo/docu_async.h"

namespace docinfo {

namespace {

constexpr DWORD kSweepIntervalMs = 1000;
constexpr DWORD kPendingPollMs = 100;

}  // namespace

bool clsDocuList::PathLess::operator()(const IString& a, const IString& b) const noexcept {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.Length()), b.c_str(), static_cast<int>(b.Length()),
                              TRUE) == CSTR_LESS_THAN;
}

clsDocuList::clsDocuList(DWORD cacheSeconds) : clsThreadBase("DocuList::Reload"), cacheSeconds_(cacheSeconds) {}

clsDocuList::~clsDocuList() {
  ThreadEnd();
  std::vector<std::unique_ptr<clsDocuAsync>> pending;
  std::map<IString, DocuRef, PathLess> cache;
  {
    ovut::AutoLock hold(lock_);
    pending.swap(pending_);
    cache.swap(cache_);
  }
  // Destroyed outside the lock: each waits for its load's thread.
}

bool clsDocuList::Get(const wchar_t* path, DWORD timeoutSeconds, DocuState* out) noexcept {
  if (!path) return false;
  try {
    const IString key(path);
    DocuRef docu;
    if (cacheSeconds_) {
      ovut::AutoLock hold(lock_);
      auto it = cache_.find(key);
      if (it != cache_.end()) docu = it->second;
    }
    if (!docu) {
      docu = DocuRef(new clsDocu(key, cacheSeconds_, timeoutSeconds, this));
      if (cacheSeconds_) {
        ovut::AutoLock hold(lock_);
        if (!threadStarted_) threadStarted_ = ThreadStart(THREAD_PRIORITY_IDLE);
        cache_[key] = docu;
      }
    }
    DocuState state = docu->Refresh();
    if (!state.loaded) return false;
    if (out) *out = std::move(state);
    return true;
  } catch (...) {
    return false;
  }
}

void clsDocuList::DropEndedLocked() noexcept {
  for (auto it = pending_.begin(); it != pending_.end();) {
    if ((*it)->Finished()) it = pending_.erase(it);
    else ++it;
  }
}

void clsDocuList::AddPending(std::unique_ptr<clsDocuAsync> load) noexcept {
  ovut::AutoLock hold(lock_);
  // Ended loads go at once: without a cache no reload thread runs to drop them, and a full list
  // would block every later request for good.
  DropEndedLocked();
  while (pending_.size() >= kMaxPending) {
    lock_.Leave();
    Sleep(kPendingPollMs);
    lock_.Enter();
    DropEndedLocked();
  }
  try {
    pending_.push_back(std::move(load));
  } catch (...) {
    // No room to keep it: `load` waits for its thread as it goes.
  }
}

void clsDocuList::SweepLocked(ULONGLONG now) noexcept {
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (it->second->Expired(now)) it = cache_.erase(it);
    else ++it;
  }
  DropEndedLocked();
}

DWORD clsDocuList::ThreadBody() {
  HANDLE stop = StopEvent();
  for (;;) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &stop, FALSE, kSweepIntervalMs, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) return 0;
    if (wait == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      continue;
    }
    ovut::AutoLock hold(lock_);
    SweepLocked(GetTickCount64());
  }
}

size_t clsDocuList::PendingCountForTesting() noexcept {
  ovut::AutoLock hold(lock_);
  return pending_.size();
}

size_t clsDocuList::CacheCountForTesting() noexcept {
  ovut::AutoLock hold(lock_);
  return cache_.size();
}

}  // namespace docinfo
