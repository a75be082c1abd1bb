// The access token the account functions consult: the thread's impersonation token when there is
// one, else the process token.
#pragma once
#include <windows.h>

#include <memory>

#include "foundation/scoped_handle.h"

namespace ovut::security {

// 0, or the error of the call that failed; *threadFailed tells that OpenThreadToken failed for
// another reason than ERROR_NO_TOKEN (no process token is tried then).
DWORD OpenCallerToken(UniqueHandle& token, bool* threadFailed = nullptr) noexcept;

// GetTokenInformation asked once for the size, then into a buffer of that size. 0, or the error
// (ERROR_INVALID_DATA when the size query succeeded without a buffer).
DWORD ReadTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, std::unique_ptr<BYTE[]>& data) noexcept;

}  // namespace ovut::security
