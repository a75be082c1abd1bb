// Explicit access for an account on a file or folder: one entry set into the object's DACL.
#pragma once
#include <windows.h>

namespace ovut::security {

// SET_ACCESS entry for `account` ("DOMAIN\name", "name" or ".\name") with the access mask and the
// inheritance flags of EXPLICIT_ACCESS; it replaces explicit entries of the same trustee.
// 0, or -2 with a debug line naming the call that failed.
int AddAccessRights(const wchar_t* path, const wchar_t* account, DWORD accessMask, DWORD inheritance) noexcept;

}  // namespace ovut::security
