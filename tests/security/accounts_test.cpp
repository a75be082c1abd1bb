// Accounts and SIDs through the exports: round trips, well-known SIDs, the token's names, bad input.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "bstr_holder.h"
#include "ovut19/security.h"
#include "support/debug_capture.h"

namespace {

std::wstring SidString(const std::wstring& sidText) {
  // The account of a SID text, as the library names it.
  Bstr account;
  return UtilGetUserOfSID(sidText.c_str(), &account.b) == 0 ? account.str() : L"<unresolved>";
}

std::vector<std::wstring> SplitTabs(const std::wstring& s) {
  std::vector<std::wstring> parts;
  size_t at = 0;
  for (size_t tab; (tab = s.find(L'\t', at)) != std::wstring::npos; at = tab + 1) parts.push_back(s.substr(at, tab - at));
  parts.push_back(s.substr(at));
  return parts;
}

}  // namespace

TEST(Accounts, EveryoneHasAnEmptyDomainAndRoundTrips) {
  // S-1-1-0: revision 1, one sub-authority, authority 1, sub-authority 0.
  const wchar_t kEveryone[] = L"AQEAAAAAAAEAAAAA";
  Bstr account;
  ASSERT_EQ(UtilGetUserOfSID(kEveryone, &account.b), 0);
  EXPECT_EQ(account.str(), L".\\Everyone");
  // The ".\" form is accepted back.
  Bstr sid;
  DWORD use = 0;
  ASSERT_EQ(UtilGetSIDOfUser(account.b, &sid.b, &use), 0);
  EXPECT_EQ(sid.str(), kEveryone);
  EXPECT_EQ(use, DWORD(SidTypeWellKnownGroup));
  ASSERT_EQ(UtilGetSIDOfUser(L"Everyone", &sid.b, nullptr), 0);  // replaced in place
  EXPECT_EQ(sid.str(), kEveryone);
}

TEST(Accounts, WellKnownSidsRoundTripThroughTheirNames) {
  for (const wchar_t* text : {L"S-1-5-18", L"S-1-5-32-544", L"S-1-5-32-545"}) {
    PSID sid = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(text, &sid));
    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use;
    ASSERT_TRUE(LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) << text;
    std::wstring expected = std::wstring(*domain ? domain : L".") + L"\\" + name;
    Bstr bySid;
    ASSERT_EQ(UtilGetSIDOfUser(expected.c_str(), &bySid.b, nullptr), 0) << expected;
    EXPECT_EQ(SidString(bySid.str()), expected);
    // The SID text holds exactly the SID's bytes.
    EXPECT_EQ(SysStringLen(bySid.b), (GetLengthSid(sid) + 2) / 3 * 4) << text;
    LocalFree(sid);
  }
}

TEST(Accounts, CurrentUserRoundTrip) {
  Bstr account, sid;
  ASSERT_EQ(UtilGetCurrentUserDomainSID(&account.b, &sid.b), 0);
  ASSERT_NE(account.str().find(L'\\'), std::wstring::npos) << account.str();
  EXPECT_EQ(SidString(sid.str()), account.str());
  Bstr again;
  ASSERT_EQ(UtilGetSIDOfUser(account.b, &again.b, nullptr), 0);
  EXPECT_EQ(again.str(), sid.str());
  // Each result on its own.
  Bstr onlySid;
  EXPECT_EQ(UtilGetCurrentUserDomainSID(nullptr, &onlySid.b), 0);
  EXPECT_EQ(onlySid.str(), sid.str());

  Bstr user;
  ASSERT_EQ(UtilGetListOfNames(1, &user.b), 0);
  EXPECT_EQ(user.str(), account.str());
}

TEST(Accounts, GroupsAreTabSeparatedAndLeaveOutDenyOnlyGroups) {
  Bstr groups;
  ASSERT_EQ(UtilGetListOfNames(2, &groups.b), 0);
  std::wstring text = groups.str();
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.front(), L'\t');
  EXPECT_NE(text.back(), L'\t');
  std::vector<std::wstring> names = SplitTabs(text);

  // The token's groups the system can name, deny-only ones left out, in token order.
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  std::vector<BYTE> buf(size);
  ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buf.data(), size, &size));
  CloseHandle(token);
  const TOKEN_GROUPS* tg = reinterpret_cast<const TOKEN_GROUPS*>(buf.data());
  std::vector<std::wstring> expected;
  for (DWORD i = 0; i < tg->GroupCount; ++i) {
    if (tg->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) continue;
    wchar_t name[256], domain[256];
    DWORD n = 256, d = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, tg->Groups[i].Sid, name, &n, domain, &d, &use))
      expected.push_back(std::wstring(*domain ? domain : L".") + L"\\" + name);
  }
  EXPECT_EQ(names, expected);
}

TEST(Accounts, DenyOnlyGroupsOfARestrictedTokenAreLeftOut) {
  // A restricted token whose Administrators group is deny-only, impersonated by this thread.
  HANDLE process = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process));
  PSID admins = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-5-32-544", &admins));
  SID_AND_ATTRIBUTES deny = {admins, 0};
  HANDLE restricted = nullptr;
  BOOL made = CreateRestrictedToken(process, 0, 1, &deny, 0, nullptr, 0, nullptr, &restricted);
  CloseHandle(process);
  if (!made) {
    LocalFree(admins);
    GTEST_SKIP() << "no restricted tokens here: " << GetLastError();
  }
  HANDLE impersonation = nullptr;
  ASSERT_TRUE(DuplicateToken(restricted, SecurityImpersonation, &impersonation));
  CloseHandle(restricted);
  ASSERT_TRUE(SetThreadToken(nullptr, impersonation));
  Bstr groups;
  int rc = UtilGetListOfNames(2, &groups.b);
  RevertToSelf();
  CloseHandle(impersonation);

  wchar_t name[256], domain[256];
  DWORD n = 256, d = 256;
  SID_NAME_USE use;
  ASSERT_TRUE(LookupAccountSidW(nullptr, admins, name, &n, domain, &d, &use));
  LocalFree(admins);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(groups.str().find(std::wstring(domain) + L"\\" + name), std::wstring::npos) << groups.str();
}

TEST(Accounts, BadInput) {
  testsupport::DebugCapture capture;
  Bstr out;
  out.b = SysAllocString(L"untouched");
  EXPECT_EQ(UtilGetListOfNames(3, &out.b), -5);
  EXPECT_EQ(out.str(), L"untouched");
  EXPECT_TRUE(capture.Contains(L"UtilGetListOfNames(): bad SID type requested"));
  EXPECT_EQ(UtilGetListOfNames(0, &out.b), -5);
  EXPECT_EQ(UtilGetListOfNames(1, nullptr), -5);

  const struct { const wchar_t* name; int rc; } names[] = {
      {nullptr, -5}, {L"", -5}, {L".\\", -5}, {L"no such account 7f3a", -4}, {L".\\no such account 7f3a", -4}};
  for (const auto& c : names) EXPECT_EQ(UtilGetSIDOfUser(c.name, &out.b, nullptr), c.rc) << (c.name ? c.name : L"null");

  // Not Base64 of one well-formed SID: wrong revision, a count beyond the bytes, extra bytes,
  // too short, empty, and no SID text at all.
  const wchar_t* badSids[] = {nullptr, L"", L"AgEAAAAAAAEAAAAA", L"AQIAAAAAAAEAAAAA", L"AQEAAAAAAAEAAAAAAAAA",
                              L"AQE=", L"@2@AQEAAAAAAAEAAAAA", L"not a sid at all!"};
  for (const wchar_t* s : badSids) EXPECT_EQ(UtilGetUserOfSID(s, &out.b), -5) << (s ? s : L"null");
  std::wstring huge(70000, L'A');
  EXPECT_EQ(UtilGetUserOfSID(huge.c_str(), &out.b), -5);
  EXPECT_EQ(out.str(), L"untouched");
  // A well-formed SID that no account has.
  EXPECT_EQ(UtilGetUserOfSID(L"AQUAAAAAAAUVAAAARDMiEYh3ZlXMu6qZ4RAAAA==", &out.b), -4);
}
