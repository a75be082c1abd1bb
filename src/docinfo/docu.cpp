#include "docinfo/docu.h"

#include <cwchar>
#include <memory>
#include <new>

#include "docinfo/doc_loader.h"
#include "docinfo/docu_async.h"
#include "docinfo/docu_list.h"
#include "docinfo/share_set.h"
#include "docinfo/shell_link.h"

namespace docinfo {

namespace {

bool IsShellLink(const String& path) noexcept {
  const uint32_t n = path.Length();
  return n >= 4 && _wcsicmp(path.c_str() + n - 4, L".lnk") == 0;
}

}  // namespace

clsDocu::clsDocu(const String& path, DWORD cacheSeconds, DWORD timeoutSeconds, clsDocuList* owner)
    : lifetimeMs_(static_cast<ULONGLONG>(cacheSeconds) * 1000),
      timeoutMs_(timeoutSeconds >= INFINITE / 1000 ? INFINITE - 1 : timeoutSeconds * 1000),
      owner_(owner) {
  const int bar = path.FindChar(L'|');
  if (bar < 0) {
    path_ = path;
  } else {
    path_ = path.Left(static_cast<uint32_t>(bar));
    partName_ = path.Mid(static_cast<uint32_t>(bar) + 1);
  }
}

ULONG clsDocu::Release() noexcept {
  const LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

DocuState clsDocu::Refresh() noexcept {
  ovut::AutoLock hold(lock_);
  RefreshLocked();
  return state_;
}

DocuState clsDocu::State() noexcept {
  ovut::AutoLock hold(lock_);
  return state_;
}

bool clsDocu::Expired(ULONGLONG now) noexcept {
  // A document that is loading right now is in use, not expired.
  if (!lock_.TryEnter()) return false;
  const bool expired = !state_.loaded || now > state_.lastLoad + lifetimeMs_;
  lock_.Leave();
  return expired;
}

void clsDocu::RefreshLocked() noexcept {
  const ULONGLONG now = GetTickCount64();
  if (state_.lastLoad != 0 && now <= state_.lastLoad + lifetimeMs_) return;
  try {
    state_.sourcePath = IsShellLink(path_) ? ResolveShellLink(path_) : path_;
    if (state_.sourcePath.IsEmpty()) {
      ResetFields(state_);
      return;
    }
    state_.lastLoad = now;
    const String share = ShareOfPath(state_.sourcePath);
    if (share.IsEmpty()) {
      LoadDocument(state_, nullptr);
      return;
    }
    if (ProbeShareInaccessible(share)) return;
    std::unique_ptr<clsDocuAsync> load(new clsDocuAsync(this, share));
    if (!load->Run(state_)) return;
    if (owner_) owner_->AddPending(std::move(load));
  } catch (...) {
    // Out of memory: no information this time.
    ResetFields(state_);
  }
}

}  // namespace docinfo
