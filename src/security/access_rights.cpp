#include "security/access_rights.h"

#include <aclapi.h>

#include "diagnostics/debug_output.h"
#include "foundation/scoped_handle.h"
#include "foundation/string.h"
#include "security/accounts.h"
#include "security/results.h"

namespace ovut::security {

// The library requires Windows 5.0 or later to load at all, so no version check is needed here.
int AddAccessRights(const wchar_t* path, const wchar_t* account, DWORD accessMask, DWORD inheritance) noexcept {
  if (!path || !*path || !account) return kAccessRightsFailed;
  try {
    const wchar_t* name = LookupName(account);
    // An empty trustee must never reach SetEntriesInAcl: some systems resolve it to a real
    // account, and the caller would grant rights to someone it did not name.
    if (!*name) {
      debug::Warning(L"__AdvAPI.SetEntriesInAcl failed: %s", String::ErrorText(ERROR_NONE_MAPPED).c_str());
      return kAccessRightsFailed;
    }
    PACL oldDacl = nullptr;
    PSECURITY_DESCRIPTOR rawDescriptor = nullptr;
    DWORD error = GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldDacl,
                                        nullptr, &rawDescriptor);
    UniqueLocal descriptor(rawDescriptor);
    if (error != ERROR_SUCCESS) {
      debug::Warning(L"__AdvAPI.GetNamedSecurityInfo failed: %s", String::ErrorText(error).c_str());
      return kAccessRightsFailed;
    }
    EXPLICIT_ACCESSW entry = {};
    BuildExplicitAccessWithNameW(&entry, const_cast<wchar_t*>(name), accessMask, SET_ACCESS, inheritance);
    PACL rawNewDacl = nullptr;
    error = SetEntriesInAclW(1, &entry, oldDacl, &rawNewDacl);
    UniqueLocal newDacl(rawNewDacl);
    if (error != ERROR_SUCCESS) {
      debug::Warning(L"__AdvAPI.SetEntriesInAcl failed: %s", String::ErrorText(error).c_str());
      return kAccessRightsFailed;
    }
    error = SetNamedSecurityInfoW(const_cast<wchar_t*>(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, rawNewDacl, nullptr);
    if (error != ERROR_SUCCESS) {
      debug::Warning(L"__AdvAPI.SetNamedSecurityInfo failed: %s", String::ErrorText(error).c_str());
      return kAccessRightsFailed;
    }
    return kOk;
  } catch (...) {
    return kAccessRightsFailed;
  }
}

}  // namespace ovut::security
