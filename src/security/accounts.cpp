#include "security/accounts.h"

#include <memory>
#include <new>
#include <vector>

#include "diagnostics/debug_output.h"
#include "security/results.h"
#include "security/sid_text.h"
#include "security/token.h"

namespace ovut::security {

DWORD AccountOfSid(PSID sid, String& account) noexcept {
  try {
    wchar_t nameFixed[256], domainFixed[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use;
    const wchar_t* name = nameFixed;
    const wchar_t* domain = domainFixed;
    std::unique_ptr<wchar_t[]> nameBig, domainBig;
    if (!LookupAccountSidW(nullptr, sid, nameFixed, &nameSize, domainFixed, &domainSize, &use)) {
      DWORD error = GetLastError();
      if (error != ERROR_INSUFFICIENT_BUFFER) return error ? error : ERROR_NONE_MAPPED;
      nameBig.reset(new wchar_t[nameSize + 1]);
      domainBig.reset(new wchar_t[domainSize + 1]);
      if (!LookupAccountSidW(nullptr, sid, nameBig.get(), &nameSize, domainBig.get(), &domainSize, &use)) {
        error = GetLastError();
        return error ? error : ERROR_NONE_MAPPED;
      }
      name = nameBig.get();
      domain = domainBig.get();
    }
    account.Format(L"%s\\%s", *domain ? domain : L".", name);
    return 0;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

const wchar_t* LookupName(const wchar_t* account) noexcept {
  return account && account[0] == L'.' && account[1] == L'\\' ? account + 2 : account;
}

int SidOfUser(const wchar_t* account, String& sidText, SID_NAME_USE& use) noexcept {
  const wchar_t* name = LookupName(account);
  if (!name || !*name) return kBadRequest;
  try {
    DWORD sidSize = 0, domainSize = 0;
    if (LookupAccountNameW(nullptr, name, nullptr, &sidSize, nullptr, &domainSize, &use) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || sidSize == 0)
      return kSystemFailure;
    std::vector<BYTE> sid(sidSize);
    std::vector<wchar_t> domain(domainSize + 1);
    if (!LookupAccountNameW(nullptr, name, sid.data(), &sidSize, domain.data(), &domainSize, &use))
      return kSystemFailure;
    sidText = SidToText(sid.data());
    return sidText.IsEmpty() ? kSystemFailure : kOk;
  } catch (...) {
    return kSystemFailure;
  }
}

int UserOfSid(const wchar_t* sidText, String& account) noexcept {
  std::vector<BYTE> sid;
  if (!TextToSid(sidText, sid)) return kBadRequest;
  return AccountOfSid(sid.data(), account) == 0 ? kOk : kSystemFailure;
}

int CurrentUserDomainSid(String* account, String* sidText) noexcept {
  UniqueHandle token;
  if (OpenCallerToken(token) != 0) return kSystemFailure;
  std::unique_ptr<BYTE[]> data;
  if (ReadTokenInformation(token.get(), TokenUser, data) != 0) return kSystemFailure;
  PSID sid = reinterpret_cast<TOKEN_USER*>(data.get())->User.Sid;
  if (sidText) *sidText = SidToText(sid);
  String text;
  if (AccountOfSid(sid, text) != 0) return kSystemFailure;
  if (account) *account = text;
  return kOk;
}

namespace {

int CollectNames(int kind, String& collected) noexcept {
  bool threadFailed = false;
  UniqueHandle token;
  if (OpenCallerToken(token, &threadFailed) != 0) {
    debug::Warning(threadFailed ? L"UtilGetListOfNames(): OpenThreadToken() failed unexpectedly"
                                : L"UtilGetListOfNames(): no token available");
    return kSystemFailure;
  }
  std::unique_ptr<BYTE[]> data;
  DWORD error = ReadTokenInformation(token.get(), kind == kListUser ? TokenUser : TokenGroups, data);
  if (error != 0) {
    debug::Warning(L"UtilGetListOfNames(): GetTokenInformation() failed: %s", String::ErrorText(error).c_str());
    return kSystemFailure;
  }
  String account;
  if (kind == kListUser) {
    if (AccountOfSid(reinterpret_cast<TOKEN_USER*>(data.get())->User.Sid, account) == 0)
      collected.Append(L'\t').Append(account);
    return kOk;
  }
  const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(data.get());
  if (groups->GroupCount == 0) {
    debug::Warning(L"UtilGetListOfNames(): no SIDs");
    return kSystemFailure;
  }
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) continue;
    error = AccountOfSid(groups->Groups[i].Sid, account);
    if (error == 0) {
      collected.Append(L'\t').Append(account);
    } else if (error != ERROR_INSUFFICIENT_BUFFER) {
      debug::Warning(L"UtilGetListOfNames(): LookupAccountSid() failed: %s", String::ErrorText(error).c_str());
    }
  }
  return kOk;
}

}  // namespace

int ListOfNames(int kind, String& names) noexcept {
  if (kind != kListUser && kind != kListGroups) {
    debug::Warning(L"UtilGetListOfNames(): bad SID type requested");
    return kBadRequest;
  }
  try {
    String collected;
    int rc = CollectNames(kind, collected);
    names = rc == kOk && !collected.IsEmpty() ? collected.Mid(1) : String();
    return rc;
  } catch (...) {
    names = String();
    return kSystemFailure;
  }
}

}  // namespace ovut::security
