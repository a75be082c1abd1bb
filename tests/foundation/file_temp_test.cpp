// The temporary folder, unique temporary files and the reuse of stale leftovers.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "foundation/file.h"
#include "foundation/temp_file.h"
#include "foundation/temp_folder.h"
#include "support/test_support.h"

using testsupport::TempDir;

namespace {

std::wstring Str(const String& s) { return std::wstring(s.c_str(), s.Length()); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// True when `name` is prefix + hex digits + "." + ext.
bool NumberedName(const std::wstring& name, const std::wstring& prefix, const std::wstring& ext) {
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  size_t dot = name.rfind(L'.');
  if (dot == std::wstring::npos || name.substr(dot + 1) != ext || dot == prefix.size()) return false;
  for (size_t i = prefix.size(); i < dot; ++i)
    if (!iswxdigit(name[i])) return false;
  return true;
}

void Age(const std::wstring& path, int days) {
  ASSERT_TRUE(testsupport::SetFileAgeMinutes(path, static_cast<ULONGLONG>(days) * 24 * 60));
}

TEST(TempFolder, FormsAndTheLibraryFolder) {
  const std::wstring shortForm = Str(ovut::TempFolder(false)), longForm = Str(ovut::TempFolder(true));
  ASSERT_FALSE(shortForm.empty());
  EXPECT_EQ(L'\\', shortForm.back());
  EXPECT_EQ(L'\\', longForm.back());
  EXPECT_EQ(longForm, Str(ovut::TempFolder(true)));  // cached
  const std::wstring own = Str(ovut::LibraryTempFolder());
  EXPECT_EQ(longForm + L"Orvask\\", own);
  DWORD attributes = GetFileAttributesW(own.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(TempFile, ClsFileRWTempIsNamedAndDeletedOnClose) {
  std::wstring path;
  {
    clsFileRWTemp temp;
    ASSERT_TRUE(temp.IsOpen());
    path = Str(temp.FileName());
    const std::wstring folder = Str(ovut::LibraryTempFolder());
    ASSERT_EQ(folder, path.substr(0, folder.size()));
    EXPECT_TRUE(NumberedName(path.substr(folder.size()), L"_19_zel", L"tmp")) << std::string(path.begin(), path.end());
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(5, temp.WriteText("hello"));
    // Cannot be re-opened by name.
    EXPECT_EQ(-1, temp.Open(path.c_str(), clsFile::kAccessRead, clsFile::kOpenExisting, clsFile::kShareReadWrite, 0));
  }
  EXPECT_FALSE(Exists(path));

  clsFileRWTemp a(L"PRF", L"prf"), b(L"PRF", L"prf");
  ASSERT_TRUE(a.IsOpen() && b.IsOpen());
  EXPECT_NE(Str(a.FileName()), Str(b.FileName()));
}

TEST(TempFile, NamesFromFlags) {
  TempDir dir;
  const std::wstring folder = dir.path() + L"\\";
  struct Case {
    const wchar_t* prefix;
    const wchar_t* extension;
    DWORD flags;
    std::wstring plain;  // expected exact name, or empty for a numbered one
    std::wstring numberedPrefix, ext;
  } cases[] = {
      {L"plain", L".txt", ovut::kTempPlainNameFirst, L"_19_plain.txt", L"", L""},
      {L"plain", L"txt", ovut::kTempPlainNameFirst, L"", L"_19_plain", L"txt"},  // the plain name is taken now
      {L"bare", L"dat", ovut::kTempNoVersionPrefix, L"", L"bare", L"dat"},
      {L"num", L"tmp", 0, L"", L"_19_num", L"tmp"},
  };
  for (const Case& c : cases) {
    const std::wstring path = Str(ovut::CreateTempFile((folder + c.prefix).c_str(), c.extension, c.flags));
    ASSERT_EQ(folder, path.substr(0, folder.size()));
    const std::wstring name = path.substr(folder.size());
    if (!c.plain.empty()) EXPECT_EQ(c.plain, name);
    else EXPECT_TRUE(NumberedName(name, c.numberedPrefix, c.ext)) << std::string(name.begin(), name.end());
    EXPECT_TRUE(Exists(path));  // without a file object the file stays
  }

  // A name part alone goes to the temporary folder.
  const std::wstring inTemp = Str(ovut::CreateTempFile(L"ovut_test_", L"tmp", ovut::kTempLongFolder));
  EXPECT_EQ(Str(ovut::TempFolder(true)), inTemp.substr(0, inTemp.rfind(L'\\') + 1));
  DeleteFileW(inTemp.c_str());

  // A folder that does not exist gives up at once instead of trying a million names.
  EXPECT_TRUE(ovut::CreateTempFile((folder + L"missing\\x").c_str(), L"tmp", 0).IsEmpty());
}

TEST(TempFile, StaleLeftoverIsEmptiedAndReused) {
  TempDir dir;
  const std::wstring prefix = dir.path() + L"\\left";
  const std::wstring leftover = dir.path() + L"\\_19_left.tmp";

  // A week-old file of someone still alive is left alone.
  ASSERT_TRUE(testsupport::WriteFileBytes(leftover, "still used"));
  Age(leftover, 1);
  {
    clsFile target;
    const std::wstring path = Str(ovut::CreateTempFile(prefix.c_str(), L"tmp", ovut::kTempPlainNameFirst, &target));
    EXPECT_NE(leftover, path);
    EXPECT_TRUE(target.IsOpen());
  }
  EXPECT_EQ("still used", testsupport::ReadFileBytes(leftover));

  Age(leftover, 8);
  clsFile target;
  const std::wstring path = Str(ovut::CreateTempFile(prefix.c_str(), L"tmp", ovut::kTempPlainNameFirst, &target));
  EXPECT_EQ(leftover, path);
  ASSERT_TRUE(target.IsOpen());
  EXPECT_EQ(0u, target.Size());
  EXPECT_EQ(3, target.WriteText("new"));
  target.Close();
  EXPECT_FALSE(Exists(leftover));  // now a temporary file like any other
}

}  // namespace
