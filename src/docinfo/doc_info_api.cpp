#include "docinfo/doc_info_api.h"

#include <map>
#include <new>

#include "diagnostics/debug_output.h"
#include "docinfo/share_set.h"
#include "foundation/critical_section.h"
#include "security/unc_paths.h"

namespace docinfo {

namespace {

// Open handles, so a closed or made-up handle is refused instead of used.
ovut::CriticalSection g_lock;
std::map<HUTILDOCINFO, clsDocuList*> g_open;

// One call's use of a handle; Close waits until no use is left.
class ListUse {
 public:
  explicit ListUse(HUTILDOCINFO handle) noexcept {
    ovut::AutoLock hold(g_lock);
    auto it = g_open.find(handle);
    if (it == g_open.end()) return;
    list_ = it->second;
    InterlockedIncrement(&list_->users);
  }
  ~ListUse() {
    if (list_) InterlockedDecrement(&list_->users);
  }
  ListUse(const ListUse&) = delete;
  ListUse& operator=(const ListUse&) = delete;
  clsDocuList* get() const noexcept { return list_; }

 private:
  clsDocuList* list_ = nullptr;
};

}  // namespace

HUTILDOCINFO OpenHandle(DWORD cacheSeconds) noexcept {
  try {
    auto* list = new clsDocuList(cacheSeconds);
    HUTILDOCINFO handle = reinterpret_cast<HUTILDOCINFO>(list);
    ovut::AutoLock hold(g_lock);
    g_open[handle] = list;
    return handle;
  } catch (...) {
    return nullptr;
  }
}

void CloseHandle(HUTILDOCINFO handle) noexcept {
  if (!handle) return;
  clsDocuList* list = nullptr;
  {
    ovut::AutoLock hold(g_lock);
    auto it = g_open.find(handle);
    if (it == g_open.end()) {
      ovut::debug::Warning(L"ERR: invalid document-information handle %p", static_cast<void*>(handle));
      return;
    }
    list = it->second;
    g_open.erase(it);
  }
  while (InterlockedCompareExchange(&list->users, 0, 0) != 0) Sleep(1);
  delete list;
}

int GetInfo(HUTILDOCINFO handle, const wchar_t* path, UTIL_DOCINFO_REQUEST* request, DWORD timeoutSeconds) noexcept {
  if (!handle || !path) return 0;
  ListUse use(handle);
  if (!use.get()) return 0;
  DocuState state;
  if (!use.get()->Get(path, timeoutSeconds, &state)) return 0;
  if (request) FillRequest(state, *request);
  return 1;
}

int ShareAccessibility(const wchar_t* path) noexcept {
  if (!path) return -1;
  try {
    String unc;
    if (ovut::security::EnsureUNCPath(path, unc) != 0) unc = path;
    const String share = ShareOfPath(unc);
    if (share.IsEmpty()) return -1;
    return ProbeShareInaccessible(share) ? 0 : 1;
  } catch (...) {
    return -1;
  }
}

clsDocuList* ListOfHandleForTesting(HUTILDOCINFO handle) noexcept {
  ovut::AutoLock hold(g_lock);
  auto it = g_open.find(handle);
  return it == g_open.end() ? nullptr : it->second;
}

}  // namespace docinfo
