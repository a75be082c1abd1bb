// Path split, merge and full path; file-system information.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "cstring/fs_info.h"
#include "cstring/text.h"

namespace cs = ovut::cstring;

namespace {

TEST(CStringPath, Split) {
  struct Case {
    const wchar_t *path, *drive, *folder, *name, *ext;
  } cases[] = {
      {L"C:\\dir\\sub\\file.tar.gz", L"C:", L"\\dir\\sub\\", L"file.tar", L".gz"},
      {L"file", L"", L"", L"file", L""},
      {L"dir/file.txt", L"", L"dir/", L"file", L".txt"},
      {L"C:file.", L"C:", L"", L"file", L"."},
      {L"\\\\server\\share\\a.b\\c", L"", L"\\\\server\\share\\a.b\\", L"c", L""},
      {L".profile", L"", L"", L"", L".profile"},
      {L"", L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    wchar_t d[3] = L"?", f[256] = L"?", n[256] = L"?", e[256] = L"?";
    EXPECT_EQ(cs::Splitpath(c.path, d, f, n, e), 0) << c.path;
    EXPECT_STREQ(d, c.drive) << c.path;
    EXPECT_STREQ(f, c.folder) << c.path;
    EXPECT_STREQ(n, c.name) << c.path;
    EXPECT_STREQ(e, c.ext) << c.path;
  }
  wchar_t n[256];
  EXPECT_EQ(cs::Splitpath(L"C:\\x\\name.ext", nullptr, nullptr, n, nullptr), 0);
  EXPECT_STREQ(n, L"name");
}

TEST(CStringPath, SplitErrorsEmptyEveryOutput) {
  wchar_t d[3] = L"?", f[256] = L"?", n[256] = L"?", e[256] = L"?";
  std::wstring longName = L"C:\\dir\\" + std::wstring(256, L'n') + L".txt";
  EXPECT_EQ(cs::Splitpath(longName.c_str(), d, f, n, e), ERANGE);
  EXPECT_STREQ(d, L"");
  EXPECT_STREQ(f, L"");
  EXPECT_STREQ(n, L"");
  EXPECT_STREQ(e, L"");
  std::wstring fits = std::wstring(255, L'n');
  EXPECT_EQ(cs::Splitpath(fits.c_str(), d, f, n, e), 0);
  EXPECT_EQ(cs::Splitpath(nullptr, d, f, n, e), EINVAL);
}

TEST(CStringPath, Merge) {
  struct Case {
    const wchar_t *drive, *folder, *name, *ext, *expected;
  } cases[] = {
      {L"C:", L"\\dir", L"file", L"txt", L"C:\\dir\\file.txt"},
      {L"D", L"dir/", L"file", L".txt", L"D:dir/file.txt"},
      {nullptr, nullptr, L"file", nullptr, L"file"},
      {L"", L"", L"", L"", L""},
      {L"C:", L"\\", nullptr, L"x", L"C:\\.x"},
  };
  for (const auto& c : cases) {
    wchar_t out[260];
    EXPECT_EQ(cs::Mergepath(out, c.drive, c.folder, c.name, c.ext), 0);
    EXPECT_STREQ(out, c.expected);
  }
  wchar_t out[260] = L"?";
  std::wstring longName(259, L'n');
  EXPECT_EQ(cs::Mergepath(out, nullptr, nullptr, longName.c_str(), nullptr), 0);
  EXPECT_EQ(cs::Mergepath(out, L"C:", nullptr, longName.c_str(), nullptr), ERANGE);
  EXPECT_STREQ(out, L"");
  EXPECT_EQ(cs::Mergepath(nullptr, L"C:", nullptr, L"x", nullptr), EINVAL);
}

TEST(CStringPath, Fullpath) {
  wchar_t cwd[MAX_PATH], out[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd);
  cs::Fullpath(out, L"sub\\..\\x.txt", MAX_PATH);
  std::wstring expected = std::wstring(cwd) + (cwd[wcslen(cwd) - 1] == L'\\' ? L"" : L"\\") + L"x.txt";
  EXPECT_STREQ(out, expected.c_str());
  cs::Fullpath(out, nullptr, MAX_PATH);
  EXPECT_STREQ(out, cwd);
  cs::Fullpath(out, L"C:\\a\\b", 4);  // does not fit
  EXPECT_STREQ(out, L"");
  cs::Fullpath(nullptr, L"x", 10);
}

TEST(CStringPath, FSInfoNeedsItsSize) {
  scFSInfo info = {};
  info.size = 20;
  ASSERT_TRUE(cs::GetFSInfo(L"C:\\", &info));
  EXPECT_EQ(info.maxPath, 260u);
  EXPECT_EQ(info.maxDrive, 3u);
  EXPECT_GT(info.maxComponent, 12u);
  EXPECT_TRUE(info.flags & cs::kFSLongNames);

  scFSInfo other = {};
  other.size = 24;
  other.maxPath = 7;
  EXPECT_FALSE(cs::GetFSInfo(L"C:\\", &other));
  EXPECT_EQ(other.maxPath, 7u);
  EXPECT_EQ(other.size, 24u);
  EXPECT_FALSE(cs::GetFSInfo(L"C:\\", nullptr));
}

}  // namespace
