// clsFile byte-range locks: waiting for a lock, the remembered list, releasing it.
#include "foundation/file.h"

#include <mmsystem.h>

#include <new>

#include "diagnostics/debug_output.h"

namespace {

// 1 ms timer resolution only for the span of one wait.
class TimerResolution {
 public:
  TimerResolution() = default;
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;
  ~TimerResolution() {
    if (raised_) timeEndPeriod(1);
  }
  void Raise() {
    if (!raised_) raised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  }

 private:
  bool raised_ = false;
};

inline DWORD Low(uint64_t v) { return static_cast<DWORD>(v); }
inline DWORD High(uint64_t v) { return static_cast<DWORD>(v >> 32); }

inline ULARGE_INTEGER Large(uint64_t v) {
  ULARGE_INTEGER u;
  u.QuadPart = v;
  return u;
}

}  // namespace

bool clsFile::TryLockOnce(uint64_t offset, uint64_t length) {
  if (stream_) {
    HRESULT hr = stream_->LockRegion(Large(offset), Large(length), LOCK_EXCLUSIVE);
    // A stream that cannot lock at all is used unlocked.
    return SUCCEEDED(hr) || hr == STG_E_INVALIDFUNCTION || hr == E_NOTIMPL;
  }
  if (handle_) return LockFile(handle_.get(), Low(offset), High(offset), Low(length), High(length)) != 0;
  return false;
}

void clsFile::UnlockRange(uint64_t offset, uint64_t length) {
  if (handle_) UnlockFile(handle_.get(), Low(offset), High(offset), Low(length), High(length));
  if (stream_) stream_->UnlockRegion(Large(offset), Large(length), LOCK_EXCLUSIVE);
}

scFileLock* clsFile::Lock(uint64_t offset, uint64_t length, DWORD timeoutMs) {
  if (!IsOpen()) return nullptr;
  TimerResolution resolution;
  ULONGLONG lastWait = GetTickCount64();
  const ULONGLONG deadline = lastWait + timeoutMs;
  // At least one try, so a timeout of 0 means "only if free now".
  while (!TryLockOnce(offset, length)) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return nullptr;
    if (!SwitchToThread()) {
      if (now != lastWait) {
        resolution.Raise();
        Sleep(1);
      } else {
        Sleep(0);
      }
    }
    lastWait = now;
  }
  scFileLock* record = new (std::nothrow) scFileLock{offset, length, locks_, nullptr};
  if (!record) {
    UnlockRange(offset, length);
    return nullptr;
  }
  if (locks_) locks_->prev = record;
  locks_ = record;
  return record;
}

void clsFile::Unlock(scFileLock* token) {
  if (!token) return;
  // The token may belong to another object: take its range before anything is freed.
  const uint64_t offset = token->offset;
  const uint64_t length = token->length;
  UnlockRange(offset, length);
  for (scFileLock* r = locks_; r; r = r->next) {
    if (r->offset != offset || r->length != length) continue;
    if (r->prev) r->prev->next = r->next;
    else locks_ = r->next;
    if (r->next) r->next->prev = r->prev;
    delete r;
    return;
  }
  ovut::debug::Warning(L"\nFile '%s': %s\n", DisplayName().c_str(),
                       L"tried to unlock a lock that has already been removed (or has never existed)");
}

void clsFile::ReleaseAllLocks() {
  while (scFileLock* r = locks_) {
    locks_ = r->next;
    UnlockRange(r->offset, r->length);
    delete r;
  }
}
