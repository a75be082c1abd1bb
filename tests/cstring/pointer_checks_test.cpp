// Pointer checks on readable, unreadable, read-only and half-readable memory.
#include <gtest/gtest.h>

#include <cwchar>

#include "cstring/pointer_checks.h"
#include "cstring/report_capture.h"

namespace cs = ovut::cstring;

namespace {

// Two pages: the first read-write, the second inaccessible (or read-only).
class PagePair {
 public:
  explicit PagePair(DWORD secondProtection = PAGE_NOACCESS) {
    base_ = static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(base_ + 4096, 4096, secondProtection, &old);
  }
  ~PagePair() { VirtualFree(base_, 0, MEM_RELEASE); }
  char* boundary() const { return base_ + 4096; }

 private:
  char* base_;
};

std::wstring Ptr(const void* p) {
  wchar_t b[40];
  swprintf(b, 40, L" ptr=0x%08llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(p)));
  return b;
}

TEST(PointerChecks, ReadableAndNullPass) {
  ReportCapture capture;
  int local = 0;
  EXPECT_TRUE(cs::IsReadable(L"F", &local, L"p", sizeof local));
  EXPECT_TRUE(cs::IsReadable(L"F", nullptr, L"p", 100));
  EXPECT_TRUE(cs::IsWritable(L"F", &local, L"p", sizeof local));
  EXPECT_TRUE(cs::IsWritable(L"F", nullptr, L"p", 4));
  EXPECT_TRUE(cs::IsString(L"F", L"text", L"p"));
  EXPECT_TRUE(cs::IsString(L"F", nullptr, L"p"));
  EXPECT_EQ(capture.reports(), 0);
}

TEST(PointerChecks, UnreadableIsReportedWithBothLines) {
  PagePair pages;
  ReportCapture capture;
  EXPECT_FALSE(cs::IsReadable(L"HostFn", pages.boundary(), L"pData", 16));
  EXPECT_EQ(capture.reports(), 2);
  const std::wstring& t = capture.text();
  EXPECT_EQ(t.rfind(L"\nVR32UTIL['']: error in 'HostFn': pData\n", 0), 0u) << t;
  EXPECT_NE(t.find(Ptr(pages.boundary())), std::wstring::npos) << t;
  EXPECT_NE(t.find(L" err="), std::wstring::npos);
  EXPECT_NE(t.find(L" -> does not point to 16 byte(s) of readable memory\n"), std::wstring::npos) << t;
  // Readable up to the boundary, not across it.
  EXPECT_TRUE(cs::IsReadable(L"F", pages.boundary() - 16, L"p", 16));
  EXPECT_FALSE(cs::IsReadable(L"F", pages.boundary() - 16, L"p", 17));
  EXPECT_FALSE(cs::IsReadable(L"F", reinterpret_cast<void*>(0x10), L"p", 1));
}

TEST(PointerChecks, WriteChecksTellNoneFromNotEnough) {
  PagePair readOnly(PAGE_READONLY);
  ReportCapture capture;
  EXPECT_FALSE(cs::IsWritable(L"F", readOnly.boundary(), L"out", 8));
  EXPECT_NE(capture.text().find(L" -> does not point to writeable memory at all\n"), std::wstring::npos);
  capture.Clear();
  EXPECT_FALSE(cs::IsWritable(L"F", readOnly.boundary() - 4, L"out", 8));
  EXPECT_NE(capture.text().find(L" -> does not point to enough (8 Bytes) writeable memory\n"), std::wstring::npos)
      << capture.text();
  EXPECT_TRUE(cs::IsReadable(L"F", readOnly.boundary(), L"in", 8));
}

TEST(PointerChecks, StringRunningIntoUnreadableMemory) {
  PagePair pages;
  auto* tail = reinterpret_cast<wchar_t*>(pages.boundary()) - 3;
  tail[0] = tail[1] = tail[2] = L'x';  // no terminator before the inaccessible page
  ReportCapture capture;
  EXPECT_FALSE(cs::IsString(L"F", tail, L"name"));
  EXPECT_NE(capture.text().find(L" -> does not point to valid string\n"), std::wstring::npos);
  EXPECT_FALSE(cs::IsString(L"F", reinterpret_cast<wchar_t*>(pages.boundary()), L"name"));
  EXPECT_NE(capture.text().find(L"byte(s) of readable memory"), std::wstring::npos);

  capture.Clear();
  EXPECT_EQ(cs::SafeStrlen(L"Len", tail), 2);  // three units read, minus one
  EXPECT_NE(capture.text().find(L"error in 'Len': bad string (unterminated)\n"), std::wstring::npos);
  EXPECT_NE(capture.text().find(Ptr(pages.boundary())), std::wstring::npos) << capture.text();
  EXPECT_EQ(cs::SafeStrlen(L"Len", reinterpret_cast<wchar_t*>(pages.boundary())), 0);

  tail[2] = 0;
  capture.Clear();
  EXPECT_EQ(cs::SafeStrlen(L"Len", tail), 2);
  EXPECT_EQ(capture.reports(), 0);
}

TEST(PointerChecks, SafeStrlenOfLongTextsAcrossPages) {
  std::wstring text(10000, L'a');
  EXPECT_EQ(cs::SafeStrlen(L"F", text.c_str()), 10000);
  EXPECT_EQ(cs::SafeStrlen(L"F", L""), 0);
  EXPECT_EQ(cs::SafeStrlen(L"F", nullptr), 0);
}

TEST(PointerChecks, ParameterError) {
  ReportCapture capture;
  cs::ParameterError(L"HostFn", L"size must be positive");
  EXPECT_EQ(capture.text(), L"\nVR32UTIL['']: error in 'HostFn' (size must be positive): \n");
  capture.Clear();
  cs::ParameterError(nullptr, nullptr);
  EXPECT_EQ(capture.text(), L"\nVR32UTIL['']: error in '(NULL)' ((NULL)): \n");
}

}  // namespace
