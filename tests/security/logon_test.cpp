// Impersonation on the calling thread, the logon checks and the network file query.
#include <gtest/gtest.h>

#include <string>

#include "bstr_holder.h"
#include "ovut19/environment.h"
#include "ovut19/security.h"
#include "support/debug_capture.h"
#include "support/test_support.h"

namespace {

bool ThreadImpersonates() {
  HANDLE t = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &t)) return false;
  CloseHandle(t);
  return true;
}

}  // namespace

TEST(Impersonation, ExistingTokenOnTheCallingThreadUntilLogoff) {
  HANDLE process = nullptr, duplicate = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process));
  ASSERT_TRUE(DuplicateToken(process, SecurityImpersonation, &duplicate));
  CloseHandle(process);
  Bstr before, during;
  ASSERT_EQ(UtilGetCurrentUserDomainSID(nullptr, &before.b), 0);

  ASSERT_EQ(UtilSetupImpersonateUser(duplicate), 0);
  EXPECT_TRUE(ThreadImpersonates());
  EXPECT_EQ(UtilGetCurrentUserDomainSID(nullptr, &during.b), 0);  // read from the thread's token
  EXPECT_EQ(during.str(), before.str());
  EXPECT_EQ(UtilSetupLogoffImpersonatedUser(duplicate), 0);  // also closes the token
  EXPECT_FALSE(ThreadImpersonates());
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_TOKEN));
  EXPECT_EQ(UtilSetupImpersonateUser(nullptr), -5);
}

TEST(Impersonation, LogonChecksItsArgumentsAndNeverPromptsWithoutUi) {
  HANDLE token = reinterpret_cast<HANDLE>(1);
  EXPECT_EQ(UtilSetupLogonImpersonatedUser(L"u", L".", L"p", 0, nullptr), -5);
  EXPECT_EQ(UtilSetupLogonImpersonatedUser(nullptr, L".", L"p", 0, &token), -5);
  EXPECT_EQ(token, nullptr);
  EXPECT_EQ(UtilSetupLogonImpersonatedUser(L"u", L".", nullptr, 0, &token), -5);

  // This process may not show UI: the prompt flag gives -6 at once, without a dialog.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvask", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            0);
  const wchar_t list[] = L"TEST_SECURITY";
  RegSetValueExW(key, L"NonInteractiveApps", 0, REG_SZ, reinterpret_cast<const BYTE*>(list), sizeof list);
  const BOOL allowed = UtilGetUIInteractionAllowed();
  RegDeleteValueW(key, L"NonInteractiveApps");
  RegCloseKey(key);
  if (allowed) GTEST_SKIP() << "UI was decided before this test";
  testsupport::DebugCapture capture;
  EXPECT_EQ(UtilSetupLogonImpersonatedUser(L"someone", L".", nullptr, UTIL_LOGON_PROMPT, &token), -6);
  EXPECT_TRUE(capture.Contains(L"credentials missing and UI interaction not allowed"));
  EXPECT_FALSE(ThreadImpersonates());
}

TEST(Impersonation, LogonOfAnUnknownUserFails) {
  testsupport::DebugCapture capture;
  HANDLE token = nullptr;
  int rc = UtilSetupLogonImpersonatedUser(L"no such user 7f3a", L".", L"wrong", 0, &token);
  if (rc == 0) {  // a system that accepts every logon: the impersonation must still pair
    EXPECT_TRUE(ThreadImpersonates());
    EXPECT_EQ(UtilSetupLogoffImpersonatedUser(token), 0);
    GTEST_SKIP() << "this system accepts any logon";
  }
  EXPECT_EQ(rc, -4);
  EXPECT_EQ(token, nullptr);
  std::wstring lines;
  for (const auto& l : capture.lines()) lines += l + L"\n";
  EXPECT_NE(lines.find(L"UtilSetupLogonImpersonatedUser(): "), std::wstring::npos) << lines;
  EXPECT_FALSE(ThreadImpersonates());
}

TEST(FileInfoAccess, BadPathsAndALocalFile) {
  Bstr users;
  for (const wchar_t* p : {static_cast<const wchar_t*>(nullptr), L"", L"\\\\server", L"\\\\server\\"})
    EXPECT_EQ(UtilGetFileInfoAccess(p, &users.b), -5) << (p ? p : L"null");
  testsupport::TempDir dir;
  std::wstring file = dir.File(L"open.txt");
  ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
  testsupport::DebugCapture capture;
  int rc = UtilGetFileInfoAccess(file.c_str(), &users.b);
  // Nobody holds it over the network; a system without the query says so on the channel.
  if (rc < 0) {
    EXPECT_EQ(rc, -4);
    EXPECT_TRUE(capture.Contains(L"UtilGetFileInfoAccess(): "));
  } else {
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(users.str(), L"");
  }
}
