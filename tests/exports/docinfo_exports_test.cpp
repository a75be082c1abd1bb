// The document-information and path-mapping exports as a host calls them: the request structure
// and its size, argument checks, and the results a caller can tell apart.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "ovut19.h"
#include "support/test_support.h"

namespace {

bool WriteDated(const std::wstring& path, WORD year) {
  if (!testsupport::WriteFileBytes(path, "plain bytes")) return false;
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = 6;
  t.wDay = 15;
  t.wHour = 10;
  t.wMinute = 20;
  t.wSecond = 31;  // odd: the delivered date has a resolution of two seconds
  FILETIME local, utc;
  SystemTimeToFileTime(&t, &local);
  LocalFileTimeToFileTime(&local, &utc);
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(h, nullptr, nullptr, &utc) != 0;
  CloseHandle(h);
  return ok;
}

struct Variants {
  VARIANT v[9];
  Variants() {
    for (VARIANT& x : v) {
      VariantInit(&x);
      V_VT(&x) = VT_I4;  // a marker: untouched values keep it
      V_I4(&x) = 77;
    }
  }
  ~Variants() {
    for (VARIANT& x : v) VariantClear(&x);
  }
  UTIL_DOCINFO_REQUEST Request(DWORD size) {
    return UTIL_DOCINFO_REQUEST{size, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8]};
  }
};

TEST(DocInfoExports, RequestSizeDecidesWhatIsFilled) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"doc.dat");
  ASSERT_TRUE(WriteDated(file, 2020));
  HUTILDOCINFO h = UtilDocInfoOpen(0);
  ASSERT_NE(nullptr, h);

  Variants full;
  UTIL_DOCINFO_REQUEST request = full.Request(UTIL_DOCINFO_REQUEST_FULL_SIZE);
  ASSERT_EQ(1, UtilDocInfoGet(h, file.c_str(), &request, 5));
  ASSERT_EQ(VT_DATE, V_VT(&full.v[1]));
  SYSTEMTIME modified;
  ASSERT_TRUE(VariantTimeToSystemTime(V_DATE(&full.v[1]), &modified));
  EXPECT_EQ(2020, modified.wYear);
  EXPECT_EQ(20, modified.wMinute);
  EXPECT_EQ(30, modified.wSecond);
  for (int i = 2; i < 8; ++i) {
    ASSERT_EQ(VT_BSTR, V_VT(&full.v[i])) << i;  // unknown texts: empty BSTRs
    EXPECT_EQ(0u, SysStringLen(V_BSTR(&full.v[i])));
  }
  ASSERT_EQ(VT_BSTR, V_VT(&full.v[8]));
  EXPECT_EQ(file, std::wstring(V_BSTR(&full.v[8])));

  // The minimum size leaves the source path alone; a smaller one leaves everything.
  Variants shorter;
  request = shorter.Request(UTIL_DOCINFO_REQUEST_MIN_SIZE);
  ASSERT_EQ(1, UtilDocInfoGet(h, file.c_str(), &request, 5));
  EXPECT_EQ(VT_BSTR, V_VT(&shorter.v[2]));
  EXPECT_EQ(VT_I4, V_VT(&shorter.v[8]));
  Variants tiny;
  request = tiny.Request(UTIL_DOCINFO_REQUEST_MIN_SIZE - 1);
  ASSERT_EQ(1, UtilDocInfoGet(h, file.c_str(), &request, 5));
  EXPECT_EQ(VT_I4, V_VT(&tiny.v[0]));
  // Null pointers in the request are values not wanted.
  request = UTIL_DOCINFO_REQUEST{UTIL_DOCINFO_REQUEST_FULL_SIZE};
  EXPECT_EQ(1, UtilDocInfoGet(h, file.c_str(), &request, 5));
  EXPECT_EQ(1, UtilDocInfoGet(h, file.c_str(), nullptr, 5));
  UtilDocInfoClose(h);
}

TEST(DocInfoExports, BadArgumentsAndUnreadableFiles) {
  testsupport::TempDir dir;
  HUTILDOCINFO h = UtilDocInfoOpen(30);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(0, UtilDocInfoGet(nullptr, L"C:\\x.dat", nullptr, 5));
  EXPECT_EQ(0, UtilDocInfoGet(h, nullptr, nullptr, 5));
  EXPECT_EQ(0, UtilDocInfoGet(h, dir.File(L"missing.dat").c_str(), nullptr, 5));
  EXPECT_EQ(0, UtilDocInfoGet(h, L"", nullptr, 5));
  EXPECT_EQ(-1, UtilDocInfoShareAccessibility(nullptr));
  EXPECT_EQ(-1, UtilDocInfoShareAccessibility(dir.path().c_str()));
  UtilDocInfoClose(h);
  // A closed handle is refused, not used.
  EXPECT_EQ(0, UtilDocInfoGet(h, L"C:\\x.dat", nullptr, 5));
  UtilDocInfoClose(h);
  UtilDocInfoClose(nullptr);
}

TEST(PathExports, ResultsAndBuffers) {
  testsupport::TempDir dir;
  BSTR result = nullptr;
  EXPECT_EQ(-1, UtilEnsureUNCPath(nullptr, &result));
  EXPECT_EQ(-1, UtilEnsureUNCPath(L"C:\\x", nullptr));
  EXPECT_EQ(-1, UtilEnsureLocalPath(nullptr, &result));
  // A local fixed drive has no UNC form; the result is left alone.
  EXPECT_EQ(-1, UtilEnsureUNCPath(dir.path().c_str(), &result));
  EXPECT_EQ(nullptr, result);

  ASSERT_EQ(0, UtilEnsureLocalPath(L"C:\\x\\..\\y.txt", &result));
  EXPECT_STREQ(L"C:\\y.txt", result);
  ASSERT_EQ(0, UtilEnsureUNCPath(L"\\\\srv\\share\\a\\.\\b\\..\\c.txt", &result));  // reallocated
  EXPECT_STREQ(L"\\\\srv\\share\\a\\c.txt", result);
  SysFreeString(result);

  char buffer[16];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(-1, UtilEnsureLocalPathForWise(nullptr, buffer, sizeof buffer));
  // Size 0 and a null buffer ask for the size needed: never 0, so never taken for success.
  EXPECT_EQ(9, UtilEnsureLocalPathForWise("C:\\y.txt", buffer, 0));
  EXPECT_EQ(9, UtilEnsureLocalPathForWise("C:\\y.txt", nullptr, 16));
  EXPECT_EQ(8, UtilEnsureLocalPathForWise("C:\\y.txt", buffer, 8));  // no room for the zero
  EXPECT_EQ('#', buffer[0]);
  EXPECT_EQ(0, UtilEnsureLocalPathForWise("C:\\x\\..\\y.txt", buffer, 9));
  EXPECT_STREQ("C:\\y.txt", buffer);
  EXPECT_EQ(-1, UtilEnsureUNCPathForWise("C:\\y.txt", buffer, sizeof buffer));
}

}  // namespace
