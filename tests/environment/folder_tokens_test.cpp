// Folder-path tokens through the export: environment variables, then the shell folders.
#include <gtest/gtest.h>

#include <string>

#include "env_test_util.h"
#include "ovut19/environment.h"

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::wstring Expand(const wchar_t* path) {
  BSTR out = nullptr;
  EXPECT_EQ(UtilExpandDefaultTokensOfFolderPath(path, &out, nullptr), 1) << path;
  std::wstring s = out ? std::wstring(out, SysStringLen(out)) : L"<null>";
  SysFreeString(out);
  return s;
}

std::wstring Env(const wchar_t* name) {
  wchar_t buf[MAX_PATH * 2] = L"";
  GetEnvironmentVariableW(name, buf, MAX_PATH * 2);
  return buf;
}

}  // namespace

TEST(FolderTokens, EnvironmentThenShellFolders) {
  envtest::ScopedRegValue user(HKEY_CURRENT_USER, kShellFolders, L"OVUT TEST_1", L"C:\\User Folder");
  envtest::ScopedRegValue machine(HKEY_LOCAL_MACHINE, kShellFolders, L"OVUT TEST_1", L"C:\\Machine Folder");
  envtest::ScopedRegValue machineOnly(HKEY_LOCAL_MACHINE, kShellFolders, L"OVUTMACHINEONLY", L"C:\\M");
  SetEnvironmentVariableW(L"OVUTVAR", L"%OVUTMACHINEONLY%");
  SetEnvironmentVariableW(L"ovutlower", L"from env");
  const struct { const wchar_t* in; std::wstring out; } cases[] = {
      {L"C:\\Data", L"C:\\Data"},
      {L"%TEMP%\\x", Env(L"TEMP") + L"\\x"},
      {L"%OVUT TEST_1%\\Reports", L"C:\\User Folder\\Reports"},
      {L"%ovut test_1%\\Reports", L"%ovut test_1%\\Reports"},  // the pattern wants upper case
      {L"%OVUTMACHINEONLY%;%OVUT TEST_1%", L"C:\\M;C:\\User Folder"},
      {L"%OVUTVAR%\\y", L"C:\\M\\y"},  // a variable may name a token
      {L"%NOSUCHFOLDER%\\x", L"%NOSUCHFOLDER%\\x"},
      {L"%ovutlower%", L"from env"},
      {L"%", L"%"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.in), c.out) << c.in;
  SetEnvironmentVariableW(L"OVUTVAR", nullptr);
  SetEnvironmentVariableW(L"ovutlower", nullptr);
}

TEST(FolderTokens, PersonalIsTheDocumentsFolder) {
  wchar_t personal[MAX_PATH] = L"";
  DWORD size = sizeof personal;
  if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", RRF_RT_REG_SZ, nullptr, personal, &size) != 0)
    GTEST_SKIP() << "no Personal shell folder recorded";
  EXPECT_EQ(Expand(L"%PERSONAL%\\Reports"), std::wstring(personal) + L"\\Reports");
}

TEST(FolderTokens, LongExpansionIsCutAndBstrRuleHolds) {
  std::wstring big(300, L'a');
  SetEnvironmentVariableW(L"OVUTBIG", big.c_str());
  EXPECT_EQ(Expand(L"%OVUTBIG%\\tail"), big.substr(0, MAX_PATH));
  SetEnvironmentVariableW(L"OVUTBIG", nullptr);

  BSTR out = SysAllocString(L"previous text that is longer");
  EXPECT_EQ(UtilExpandDefaultTokensOfFolderPath(L"C:\\x", &out, nullptr), 1);
  EXPECT_STREQ(out, L"C:\\x");
  BSTR kept = out;
  EXPECT_EQ(UtilExpandDefaultTokensOfFolderPath(nullptr, &out, nullptr), 0);
  EXPECT_EQ(out, kept);
  EXPECT_EQ(UtilExpandDefaultTokensOfFolderPath(L"C:\\x", nullptr, nullptr), 0);
  SysFreeString(out);
}
