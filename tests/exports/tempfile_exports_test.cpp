// The temporary-file exports as a host calls them: BSTR hand-back, argument checks, a failure the
// caller can see, and files handed over to the manager.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ovut19.h"

namespace {

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

TEST(TempFileExports, CreateHandsBackTheNameAndAddDeletesIt) {
  BSTR path = nullptr;
  EXPECT_EQ(0, UtilTempFileMgrCreateFile(nullptr, L"tmp", 0, &path));
  EXPECT_EQ(0, UtilTempFileMgrCreateFile(L"x", nullptr, 0, &path));
  EXPECT_EQ(0, UtilTempFileMgrCreateFile(L"x", L"tmp", 0, nullptr));
  EXPECT_EQ(nullptr, path);

  ASSERT_EQ(1, UtilTempFileMgrCreateFile(L"host", L"tmp", 0, &path));
  ASSERT_NE(nullptr, path);
  const std::wstring first(path);
  EXPECT_NE(std::wstring::npos, first.find(L"\\Orvask\\_19_host"));
  EXPECT_TRUE(Exists(path));

  // A second call reuses the caller's BSTR.
  ASSERT_EQ(1, UtilTempFileMgrCreateFile(L"host", L".dat", 1, &path));
  const std::wstring second(path);
  EXPECT_NE(first, second);
  EXPECT_EQ(L".dat", second.substr(second.size() - 4));

  // A name the file system refuses: 0, and the caller's text stays as it was.
  EXPECT_EQ(0, UtilTempFileMgrCreateFile(L"no|pe", L"tmp", 0, &path));
  EXPECT_EQ(second, std::wstring(path));

  UtilTempFileMgrOpen();
  UtilTempFileMgrAdd(first.c_str());
  UtilTempFileMgrAdd(second.c_str());
  UtilTempFileMgrAdd(nullptr);
  UtilTempFileMgrClose();  // the last close deletes what is still queued
  EXPECT_FALSE(Exists(first.c_str()));
  EXPECT_FALSE(Exists(second.c_str()));
  SysFreeString(path);
}

}  // namespace
