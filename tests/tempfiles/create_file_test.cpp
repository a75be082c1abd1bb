// Unique temporary files: where they go, and names that can never be created fail fast with one
// line instead of trying a million names.
#include <gtest/gtest.h>

#include <string>

#include "foundation/temp_file.h"
#include "foundation/temp_folder.h"
#include "support/debug_capture.h"
#include "support/test_support.h"
#include "tempfiles/temp_file_manager.h"

namespace tf = ovut::tempfiles;

namespace {

std::wstring Str(const String& s) { return std::wstring(s.c_str(), s.Length()); }

class UniqueTempFile : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"TMP", (dir_.path() + L"\\").c_str());
    SetEnvironmentVariableW(L"TEMP", (dir_.path() + L"\\").c_str());
    ovut::ResetTempFolderCache();
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"TMP", nullptr);
    SetEnvironmentVariableW(L"TEMP", nullptr);
    ovut::ResetTempFolderCache();
  }
  testsupport::TempDir dir_;
};

TEST_F(UniqueTempFile, NewFilesGoToTheLibraryFolderWithTheVersionPrefix) {
  const std::wstring folder = dir_.path() + L"\\Orvask\\";
  const std::wstring a = Str(tf::CreateUniqueFile(L"prev", L".png", 0));
  const std::wstring b = Str(tf::CreateUniqueFile(L"prev", L"png", 1));
  for (const std::wstring& path : {a, b}) {
    ASSERT_EQ(folder + L"_19_prev", path.substr(0, folder.size() + 8));
    EXPECT_EQ(L".png", path.substr(path.size() - 4));
    EXPECT_EQ(L"", testsupport::ReadFileBytes(path).empty() ? L"" : L"not empty");
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
  }
  EXPECT_NE(a, b);
}

// A folder where every new file is refused with "access denied", when this system has one.
std::wstring AccessDeniedFolder() {
  for (const wchar_t* folder : {L"Z:\\proc", L"Z:\\sys", L"C:\\windows\\system32\\drivers\\etc\\hosts.d"}) {
    const std::wstring probe = std::wstring(folder) + L"\\ovut_probe.tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      DeleteFileW(probe.c_str());
      continue;
    }
    if (GetLastError() == ERROR_ACCESS_DENIED) return folder;
  }
  return std::wstring();
}

TEST_F(UniqueTempFile, NamesThatCanNeverBeCreatedFailFastWithOneLine) {
  const std::wstring denied = AccessDeniedFolder();
  struct Case {
    std::wstring prefix;  // with a folder: straight to the file layer
    const wchar_t* extension;
  } cases[] = {
      {L"bad|name", L"tmp"},
      {L"star*", L"tmp"},
      {L"fine", L"t?p"},
      {L"missing\\sub", L"tmp"},
      {denied.empty() ? L"" : denied + L"\\x", L"tmp"},
  };
  for (const Case& c : cases) {
    if (c.prefix.empty()) continue;  // no folder that refuses writes here
    SCOPED_TRACE(std::string(c.prefix.begin(), c.prefix.end()));
    testsupport::DebugCapture capture;
    const DWORD start = GetTickCount();
    const bool direct = c.prefix.find(L':') != std::wstring::npos;
    EXPECT_TRUE((direct ? ovut::CreateTempFile(c.prefix.c_str(), c.extension, 0)
                        : tf::CreateUniqueFile(c.prefix.c_str(), c.extension, 0))
                    .IsEmpty());
    EXPECT_LT(GetTickCount() - start, 2000u);
    int lines = 0;
    for (const auto& line : capture.lines())
      if (line.find(L"ERR: cannot create a temporary file") != std::wstring::npos) ++lines;
    EXPECT_EQ(1, lines);
  }
}

}  // namespace
