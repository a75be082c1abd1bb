#include "environment/user_root.h"

#include "environment/registry_values.h"

namespace ovut::env {
namespace {
volatile LONG g_userRootMode = 0;  // 0 undecided, 1 current-user hive, 2 impersonation-aware
}

bool UserRootImpersonationAware() noexcept {
  if (g_userRootMode == 0) {
    // A DWORD as stored by installers; a text other than "" and "0" counts as set too.
    bool aware = ReadRegistrySwitch(HKEY_LOCAL_MACHINE, kOrvaskKey, L"Registry.ImpersonationAware");
    InterlockedCompareExchange(&g_userRootMode, aware ? 2 : 1, 0);
  }
  return g_userRootMode == 2;
}

clsUserRoot::clsUserRoot(REGSAM access) noexcept {
  if (UserRootImpersonationAware() && RegOpenCurrentUser(access, hive_.put()) != ERROR_SUCCESS) hive_.reset();
}

}  // namespace ovut::env
