// The registry key that stands for the current user, for every per-user setting the library reads
// or writes: HKEY_CURRENT_USER, or the impersonated user's hive when HKLM "software\Orvask"
// "Registry.ImpersonationAware" is non-zero. The mode is decided once per process.
#pragma once
#include <windows.h>

#include "foundation/scoped_handle.h"

namespace ovut::env {

// The result closes what it opened; HKEY_CURRENT_USER itself is never closed.
class clsUserRoot {
 public:
  explicit clsUserRoot(REGSAM access = KEY_READ) noexcept;
  HKEY get() const noexcept { return hive_ ? hive_.get() : HKEY_CURRENT_USER; }

 private:
  UniqueRegKey hive_;
};

// True when the user root follows impersonation (mode 2).
bool UserRootImpersonationAware() noexcept;

}  // namespace ovut::env
