#include "environment/ui_policy.h"

#include <lmcons.h>

#include <cwchar>
#include <memory>
#include <new>

#include "diagnostics/debug_output.h"
#include "environment/process_identity.h"
#include "environment/registry_values.h"
#include "environment/user_root.h"
#include "foundation/scoped_handle.h"

namespace ovut::env {
namespace {

volatile LONG g_uiState = 0;  // 0 undecided, 1 not allowed, 2 allowed

bool SameName(const String& a, const wchar_t* b) noexcept { return _wcsicmp(a.c_str(), b) == 0; }

// The window station lacks WSF_VISIBLE: nobody can see what the process shows. A station that
// cannot be asked is taken as visible, so the later rules decide.
bool InvisibleWindowStation() noexcept {
  HWINSTA station = GetProcessWindowStation();
  if (!station) return false;
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  if (!GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) return false;
  return (flags.dwFlags & WSF_VISIBLE) == 0;
}

// True when an entry of the ";"-separated list equals the name (an empty entry matches only an
// empty name).
bool ListNames(const String& list, const String& name) noexcept {
  const wchar_t* p = list.c_str();
  for (;;) {
    const wchar_t* end = wcschr(p, L';');
    size_t n = end ? static_cast<size_t>(end - p) : wcslen(p);
    if (n == name.Length() && (n == 0 || _wcsnicmp(p, name.c_str(), n) == 0)) return true;
    if (!end) return false;
    p = end + 1;
  }
}

struct SidFree {
  void operator()(PSID sid) const noexcept { FreeSid(sid); }
};
using UniqueSid = std::unique_ptr<void, SidFree>;

UniqueSid NtAuthoritySid(DWORD rid) noexcept {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&nt, 1, rid, 0, 0, 0, 0, 0, 0, 0, &sid)) return UniqueSid();
  return UniqueSid(sid);
}

}  // namespace

const String& CachedUserName() noexcept {
  static const String name = [] {
    wchar_t buffer[UNLEN + 1] = L"";
    DWORD size = UNLEN + 1;
    return GetUserNameW(buffer, &size) ? String(buffer) : String();
  }();
  return name;
}

uint32_t TokenEnvironmentType() noexcept {
  UniqueHandle token;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return kEnvUnknown;
  token.reset(raw);

  DWORD size = 300;
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
  if (!buffer) return kEnvUnknown;
  if (!GetTokenInformation(token.get(), TokenGroups, buffer.get(), size, &size)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return kEnvUnknown;
    buffer.reset(new (std::nothrow) BYTE[size]);
    if (!buffer || !GetTokenInformation(token.get(), TokenGroups, buffer.get(), size, &size)) return kEnvUnknown;
  }
  UniqueSid interactive = NtAuthoritySid(SECURITY_INTERACTIVE_RID);
  UniqueSid service = NtAuthoritySid(SECURITY_SERVICE_RID);
  if (!interactive || !service) return kEnvUnknown;

  const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.get());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (EqualSid(groups->Groups[i].Sid, interactive.get())) return kEnvInteractive;
    if (EqualSid(groups->Groups[i].Sid, service.get())) return kEnvNonInteractive;
  }
  return kEnvNonInteractive;
}

uint32_t EnvironmentTypeFor(const String& userName, const String& baseName) noexcept {
  if (SameName(userName, L"system")) return kEnvSystemOrWeb;
  if (SameName(userName, L"aspnet") || SameName(baseName, L"aspnet_wp") ||
      (baseName.Length() >= 16 && _wcsnicmp(baseName.c_str(), L"WebDev.WebServer", 16) == 0))
    return kEnvSystemOrWeb;
  uint32_t type = TokenEnvironmentType();
  if (type != kEnvUnknown) return type;
  clsUserRoot root(KEY_READ);
  UniqueRegKey software;
  return RegOpenKeyExW(root.get(), L"Software", 0, KEY_READ, software.put()) == ERROR_SUCCESS ? kEnvInteractive
                                                                                                : kEnvNonInteractive;
}

uint32_t GetEnvironmentType() noexcept { return EnvironmentTypeFor(CachedUserName(), Identity().process.baseName); }

int DecideUIState(const String& baseName) noexcept {
  if (InvisibleWindowStation()) {
    debug::Warning(L"suppressed UI interaction: invisible WindowStation");
    return 1;
  }
  String list;
  if (ReadRegistryText(HKEY_LOCAL_MACHINE, kOrvaskKey, L"NonInteractiveApps", list) && ListNames(list, baseName)) {
    debug::Warning(L"suppressed UI interaction: application '%s' forced to be UI inactive by registry key",
                   baseName.c_str());
    return 1;
  }
  return EnvironmentTypeFor(CachedUserName(), baseName) == kEnvInteractive ? 2 : 1;
}

bool UIInteractionAllowed() noexcept {
  if (g_uiState == 0) {
    // Two threads deciding at once reach the same answer; the first one stored wins.
    InterlockedCompareExchange(&g_uiState, DecideUIState(Identity().process.baseName), 0);
  }
  return g_uiState == 2;
}

}  // namespace ovut::env
