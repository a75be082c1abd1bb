#include "security/system_functions.h"

#include <cwchar>

namespace ovut::security {
namespace {

// From the system folder only, never from the search path. The modules stay loaded for the life
// of the process.
HMODULE LoadSystemModule(const wchar_t* name) noexcept {
  wchar_t path[MAX_PATH + 32];
  UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  swprintf(path + n, 32, L"\\%ls", name);
  return LoadLibraryW(path);
}

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) noexcept {
  return module ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace

const NetApiFunctions* NetApi() noexcept {
  static const NetApiFunctions functions = [] {
    NetApiFunctions f;
    HMODULE netapi = LoadSystemModule(L"netapi32.dll");
    f.fileEnum = Lookup<NetFileEnumFn>(netapi, "NetFileEnum");
    f.shareGetInfo = Lookup<NetShareGetInfoFn>(netapi, "NetShareGetInfo");
    f.bufferFree = Lookup<NetApiBufferFreeFn>(netapi, "NetApiBufferFree");
    return f;
  }();
  return functions.fileEnum && functions.shareGetInfo && functions.bufferFree ? &functions : nullptr;
}

CredPromptFn CredentialPrompt() noexcept {
  static const CredPromptFn prompt = Lookup<CredPromptFn>(LoadSystemModule(L"credui.dll"), "CredUIPromptForCredentialsW");
  return prompt;
}

}  // namespace ovut::security
