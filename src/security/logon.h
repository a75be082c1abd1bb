// Logon and impersonation of another user on the calling thread.
#pragma once
#include <windows.h>

namespace ovut::security {

constexpr DWORD kLogonPrompt = 0x1;  // ask for missing credentials, when the process may show UI

// Logs the user on (interactive logon) and impersonates the token on the calling thread; the
// token goes to *token for LogoffImpersonatedUser. With kLogonPrompt and a missing user or
// password the credential dialog asks for them, only when UI interaction is allowed.
// 0; -4 logon or impersonation failed; -5 bad request (null token pointer, missing credentials
// without the prompt flag); -6 no prompt allowed, the dialog is missing or was cancelled.
int LogonImpersonatedUser(const wchar_t* user, const wchar_t* domain, const wchar_t* password, DWORD flags,
                          HANDLE* token) noexcept;
// Ends impersonation on the calling thread and closes the token (null: only ends impersonation).
int LogoffImpersonatedUser(HANDLE token) noexcept;
// Impersonates an existing token on the calling thread. -5 for a null token, -4 when refused.
int ImpersonateUser(HANDLE token) noexcept;

}  // namespace ovut::security
