#include "docinfo/shell_link.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "foundation/com_ptr.h"

namespace docinfo {

namespace {

// COM for the span of one resolution on threads the host has not set up; a thread already in
// another apartment model keeps it.
class ComScope {
 public:
  ComScope() noexcept : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

// No user interface, any match; the link file itself is never rewritten.
const DWORD kResolveFlags = SLR_NO_UI | SLR_ANY_MATCH;

}  // namespace

String ResolveShellLink(const String& linkPath) noexcept {
  ComScope com;
  clsAutoRelease<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.Put()))))
    return String();
  clsAutoRelease<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put())))) return String();
  if (FAILED(file->Load(linkPath.c_str(), STGM_READ))) return String();
  link->Resolve(nullptr, kResolveFlags);  // a target that moved keeps its recorded path
  wchar_t target[MAX_PATH + 1] = {};
  if (link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK) return String();
  target[MAX_PATH] = 0;
  return String(target);
}

}  // namespace docinfo
