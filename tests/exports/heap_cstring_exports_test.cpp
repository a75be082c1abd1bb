// The heap and checked-string entry points as a host sees them through the DLL.
#include <gtest/gtest.h>

#include "ovut19.h"

namespace {

TEST(HeapExports, DebugObjectRoundTripAndRefusals) {
  HUTILMODULE m = UtilJobOpen(L"ExportMod", 0);
  ASSERT_NE(m, nullptr);
  HUTILHEAP h = UtilHeapCreate(m, L"ExportHeap", UTILHEAP_DEBUG);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(UtilHeapCreate(m, L"never", UTILHEAP_FAIL), nullptr);

  auto* p = static_cast<unsigned char*>(UtilHeapObjectAllocExt(h, 16, UTILHEAP_FILL, 0, 0x77, 0));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[15], 0xF5);
  EXPECT_EQ(UtilHeapObjectSize(h, p), 16);
  EXPECT_EQ(UtilHeapValidate(h, p, 0), 0);
  p[16] = 0;  // one byte past the data
  EXPECT_EQ(UtilHeapObjectFree(h, p), UTILHEAP_BAD_OBJECT);
  EXPECT_EQ(UtilHeapValidate(h, nullptr, 0), UTILHEAP_CORRUPT);
  p[16] = 0x5E;  // the fence's first byte (little-endian 0xE5E55E5E)
  EXPECT_EQ(UtilHeapObjectFree(h, p), 0);
  EXPECT_EQ(UtilHeapObjectFree(h, p), UTILHEAP_BAD_OBJECT);

  void* runtime = UtilHeapObjectAlloc(nullptr, 5, UTILHEAP_ZERO);
  EXPECT_EQ(UtilHeapObjectSize(nullptr, runtime), 5);
  EXPECT_EQ(UtilHeapObjectFree(h, runtime), UTILHEAP_BAD_OBJECT);
  EXPECT_EQ(UtilHeapObjectFree(nullptr, runtime), 0);

  int local = 0;
  EXPECT_EQ(UtilHeapDelete(reinterpret_cast<HUTILHEAP>(&local)), UTILHEAP_INVALID_HANDLE);
  EXPECT_EQ(UtilHeapShrink(h, 0), 0);
  EXPECT_EQ(UtilHeapSize(h), 0);
  UtilHeapObjectAlloc(h, 1, 0);
  EXPECT_EQ(UtilJobClose(m), UTILHEAP_OBJECTS_LEFT);
  EXPECT_EQ(UtilJobClose(m), UTILHEAP_INVALID_HANDLE);
}

TEST(CStringExports, TextFunctionsAndVarargs) {
  wchar_t text[32] = L"abcdef";
  EXPECT_EQ(UtilSubstr(text, -2, 2), 2);
  EXPECT_STREQ(text, L"ef");
  UtilStrcpy(text, L"abcdef");
  UtilStuff(text, 3, 2, L"XY");
  EXPECT_STREQ(text, L"abXYef");
  wchar_t small[4];
  EXPECT_EQ(UtilSafeSprintf(small, 4, L"%s%d", L"abc", 1234567), -1);
  EXPECT_STREQ(small, L"abc");
  EXPECT_EQ(UtilSafeSprintf(text, 32, L"%d-%s", 42, L"x"), 4);
  EXPECT_EQ(UtilLocaleStrncmp(L"abc", L"ab", 3), 1);
  EXPECT_EQ(UtilLocaleStrncmp(L"abc", L"ab", 2), 0);
  wchar_t blanks[] = L"ab  ";
  EXPECT_EQ(UtilRtrim(blanks), 0);
  EXPECT_EQ(UtilRtrim(blanks), 1);
  scFSInfo info = {};
  info.size = 21;
  EXPECT_EQ(UtilGetFSInfo(L"C:\\", &info), -1);
  EXPECT_EQ(info.maxPath, 0u);
}

TEST(CStringExports, PointerChecksNeverFault) {
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  EXPECT_EQ(UtilIsRPtr(L"F", nullptr, L"p", 10), 1);
  EXPECT_EQ(UtilIsRPtr(L"F", reserved, L"p", 10), 0);
  EXPECT_EQ(UtilIsWPtr(L"F", reserved, L"p", 10), 0);
  EXPECT_EQ(UtilIsString(L"F", static_cast<LPCWSTR>(reserved), L"p"), 0);
  EXPECT_EQ(UtilSafeStrlen(L"F", static_cast<LPCWSTR>(reserved)), 0);
  EXPECT_EQ(UtilSafeStrlen(L"F", L"four"), 4);
  UtilError(L"F", L"message");
  VirtualFree(reserved, 0, MEM_RELEASE);
}

}  // namespace
