#include "security/logon.h"

#include <wincred.h>

#include <cwchar>

#include "diagnostics/debug_output.h"
#include "environment/ui_policy.h"
#include "foundation/string.h"
#include "security/results.h"
#include "security/system_functions.h"

namespace ovut::security {
namespace {

constexpr int kNoPrompt = -6;

// Wipes the password copy on every path.
struct Secret {
  wchar_t text[CREDUI_MAX_PASSWORD_LENGTH + 1] = L"";
  ~Secret() { SecureZeroMemory(text, sizeof text); }
};

int Prompt(const wchar_t* domain, wchar_t* user, ULONG userSize, Secret& password) noexcept {
  if (!env::UIInteractionAllowed()) {
    debug::Warning(L"WRN: UtilSetupLogonImpersonatedUser(): credentials missing and UI interaction not allowed");
    return kNoPrompt;
  }
  CredPromptFn prompt = CredentialPrompt();
  if (!prompt) {
    debug::Warning(L"WRN: UtilSetupLogonImpersonatedUser(): no credential dialog on this system");
    return kNoPrompt;
  }
  BOOL save = FALSE;
  DWORD rc = prompt(nullptr, domain && *domain ? domain : L".", nullptr, 0, user, userSize, password.text,
                    CREDUI_MAX_PASSWORD_LENGTH + 1, &save,
                    CREDUI_FLAGS_GENERIC_CREDENTIALS | CREDUI_FLAGS_DO_NOT_PERSIST | CREDUI_FLAGS_ALWAYS_SHOW_UI);
  if (rc != NO_ERROR) {
    debug::Warning(L"WRN: UtilSetupLogonImpersonatedUser(): credential dialog ended: %s", String::ErrorText(rc).c_str());
    return kNoPrompt;
  }
  return kOk;
}

}  // namespace

int LogonImpersonatedUser(const wchar_t* user, const wchar_t* domain, const wchar_t* password, DWORD flags,
                          HANDLE* token) noexcept {
  if (!token) return kBadRequest;
  *token = nullptr;
  wchar_t userBuffer[CREDUI_MAX_USERNAME_LENGTH + 1] = L"";
  Secret secret;
  const bool missing = !user || !*user || !password;
  if (missing) {
    if (!(flags & kLogonPrompt)) return kBadRequest;
    if (user) wcsncpy(userBuffer, user, CREDUI_MAX_USERNAME_LENGTH);
    int rc = Prompt(domain, userBuffer, CREDUI_MAX_USERNAME_LENGTH + 1, secret);
    if (rc != kOk) return rc;
    user = userBuffer;
    password = secret.text;
  }
  HANDLE logon = nullptr;
  if (!LogonUserW(user, domain, password, LOGON32_LOGON_INTERACTIVE, LOGON32_PROVIDER_DEFAULT, &logon)) {
    debug::Warning(L"WRN: UtilSetupLogonImpersonatedUser(): LogonUser failed for '%s': %s", user,
                   String::ErrorText(GetLastError()).c_str());
    return kSystemFailure;
  }
  if (!ImpersonateLoggedOnUser(logon)) {
    debug::Warning(L"WRN: UtilSetupLogonImpersonatedUser(): ImpersonateLoggedOnUser failed: %s",
                   String::ErrorText(GetLastError()).c_str());
    CloseHandle(logon);
    return kSystemFailure;
  }
  *token = logon;
  return kOk;
}

int LogoffImpersonatedUser(HANDLE token) noexcept {
  BOOL reverted = RevertToSelf();
  DWORD error = reverted ? 0 : GetLastError();
  if (token) CloseHandle(token);
  if (!reverted) {
    debug::Warning(L"WRN: UtilSetupLogoffImpersonatedUser(): RevertToSelf failed: %s", String::ErrorText(error).c_str());
    return kSystemFailure;
  }
  return kOk;
}

int ImpersonateUser(HANDLE token) noexcept {
  if (!token) return kBadRequest;
  if (!ImpersonateLoggedOnUser(token)) {
    debug::Warning(L"WRN: UtilSetupImpersonateUser(): ImpersonateLoggedOnUser failed: %s",
                   String::ErrorText(GetLastError()).c_str());
    return kSystemFailure;
  }
  return kOk;
}

}  // namespace ovut::security
