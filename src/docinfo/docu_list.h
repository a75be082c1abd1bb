// clsDocuList: the object behind a document-information handle. Holds the optional cache of
// documents (keyed by path without regard to case), the background loads that outlived their
// caller's wait, and the reload thread that drops expired entries and ended loads every second.
//
// Any thread may call Get; the cache and the pending loads are guarded by the list's lock, which
// is never held while a document loads.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "docinfo/docu.h"
#include "foundation/critical_section.h"
#include "foundation/thread_base.h"

namespace docinfo {

class clsDocuAsync;

class clsDocuList : public clsThreadBase {
 public:
  static constexpr size_t kMaxPending = 20;

  // `cacheSeconds` 0: no cache, every request loads.
  explicit clsDocuList(DWORD cacheSeconds);
  // Stops the thread, waits for background loads still running and releases the cache.
  ~clsDocuList() override;

  // True when information for `path` is available; `out` (may be null) receives it. A file on a
  // share is loaded in the background, waited for at most `timeoutSeconds`.
  bool Get(const wchar_t* path, DWORD timeoutSeconds, DocuState* out) noexcept;

  // Takes over a background load that was started; waits while kMaxPending loads still run.
  void AddPending(std::unique_ptr<clsDocuAsync> load) noexcept;

  size_t PendingCountForTesting() noexcept;
  size_t CacheCountForTesting() noexcept;

  // Users of the handle at the moment (see doc_info_api.cpp).
  volatile LONG users = 0;

 protected:
  DWORD ThreadBody() override;
  // Releasing ended loads ends their threads from here: more than the base's minimum.
  DWORD ThreadStackSize() const override { return 64 * 1024; }

 private:
  struct PathLess {
    bool operator()(const IString& a, const IString& b) const noexcept;
  };
  void SweepLocked(ULONGLONG now) noexcept;
  void DropEndedLocked() noexcept;

  DWORD cacheSeconds_;
  ovut::CriticalSection lock_;
  std::map<IString, DocuRef, PathLess> cache_;
  std::vector<std::unique_ptr<clsDocuAsync>> pending_;
  bool threadStarted_ = false;
};

}  // namespace docinfo
