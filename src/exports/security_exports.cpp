// Account, SID and access-right entry points.
#include "exports/prof_guard.h"
#include "foundation/bstr_store.h"
#include "ovut19/security.h"
#include "security/access_rights.h"
#include "security/accounts.h"
#include "security/file_info_access.h"
#include "security/logon.h"
#include "security/results.h"

using ovut::profile::clsAnsiArg;
using ovut::profile::Guarded;
namespace sec = ovut::security;

namespace {

// Stores a text the caller asked for; false when memory ran out.
bool Hand(BSTR* target, const String& text) { return !target || ovut::StoreBSTR(target, text); }

}  // namespace

extern "C" {

int WINAPI UtilGetCurrentUserDomainSID(BSTR* account, BSTR* sid) {
  return Guarded(int(sec::kSystemFailure), [&] {
    String accountText, sidText;
    int rc = sec::CurrentUserDomainSid(&accountText, &sidText);
    if (!sidText.IsEmpty() && !Hand(sid, sidText)) return int(sec::kSystemFailure);
    if (rc != sec::kOk) return rc;
    return Hand(account, accountText) ? int(sec::kOk) : int(sec::kSystemFailure);
  });
}

int WINAPI UtilGetSIDOfUser(LPCWSTR account, BSTR* sid, DWORD* use) {
  if (!account) return sec::kBadRequest;
  return Guarded(int(sec::kSystemFailure), [&] {
    String sidText;
    SID_NAME_USE kind = SidTypeUnknown;
    int rc = sec::SidOfUser(account, sidText, kind);
    if (rc != sec::kOk) return rc;
    if (!Hand(sid, sidText)) return int(sec::kSystemFailure);
    if (use) *use = static_cast<DWORD>(kind);
    return int(sec::kOk);
  });
}

int WINAPI UtilGetUserOfSID(LPCWSTR sid, BSTR* account) {
  if (!sid) return sec::kBadRequest;
  return Guarded(int(sec::kSystemFailure), [&] {
    String accountText;
    int rc = sec::UserOfSid(sid, accountText);
    if (rc != sec::kOk) return rc;
    return Hand(account, accountText) ? int(sec::kOk) : int(sec::kSystemFailure);
  });
}

int WINAPI UtilGetListOfNames(int kind, BSTR* names) {
  if (!names) return sec::kBadRequest;
  return Guarded(int(sec::kSystemFailure), [&] {
    String text;
    int rc = sec::ListOfNames(kind, text);
    if (rc == sec::kBadRequest) return rc;
    return Hand(names, text) ? rc : int(sec::kSystemFailure);
  });
}

int WINAPI UtilAddAccessRights(LPCWSTR path, LPCWSTR account, DWORD accessMask, DWORD inheritance) {
  return sec::AddAccessRights(path, account, accessMask, inheritance);
}

int WINAPI UtilAddAccessRightsForWise(LPCSTR path, LPCSTR sid, DWORD accessMask, DWORD inheritance) {
  if (!path) return sec::kAccessRightsFailed;
  return Guarded(int(sec::kAccessRightsFailed), [&] {
    clsAnsiArg widePath(path), wideSid(sid);
    // An unresolved SID leaves the account empty, and the entry fails there.
    String account;
    sec::UserOfSid(wideSid.Wide(), account);
    return sec::AddAccessRights(widePath.Wide(), account.c_str(), accessMask, inheritance);
  });
}

int WINAPI UtilSetupLogonImpersonatedUser(LPCWSTR user, LPCWSTR domain, LPCWSTR password, DWORD flags,
                                          HANDLE* token) {
  return sec::LogonImpersonatedUser(user, domain, password, flags, token);
}

int WINAPI UtilSetupLogoffImpersonatedUser(HANDLE token) { return sec::LogoffImpersonatedUser(token); }

int WINAPI UtilSetupImpersonateUser(HANDLE token) { return sec::ImpersonateUser(token); }

int WINAPI UtilGetFileInfoAccess(LPCWSTR path, BSTR* users) {
  return Guarded(int(sec::kSystemFailure), [&] {
    String text;
    int rc = sec::FileInfoAccess(path, text);
    if (rc < 0) return rc;
    return Hand(users, text) ? rc : int(sec::kSystemFailure);
  });
}

}  // extern "C"
