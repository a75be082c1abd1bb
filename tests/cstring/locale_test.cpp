// Locale comparisons and case mapping.
#include <gtest/gtest.h>
#include <windows.h>

#include "cstring/text.h"

namespace cs = ovut::cstring;

namespace {

TEST(CStringLocale, CountedComparison) {
  struct Case {
    const wchar_t *a, *b;
    int count, sensitive, insensitive;
  } cases[] = {
      {L"abc", L"ab", 3, 1, 1},   {L"abc", L"ab", 2, 0, 0},   {L"ab", L"abc", 3, -1, -1}, {L"abd", L"abc", 3, 1, 1},
      {L"ABC", L"abc", 3, 1, 0},  {L"abc", L"abd", 2, 0, 0},  {L"", L"", 5, 0, 0},        {L"", L"a", 5, -1, -1},
      {L"abc", L"xyz", 0, 0, 0},  {L"abc", L"xyz", -1, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cs::LocaleCompareN(c.a, c.b, c.count, false), c.sensitive) << c.a << "/" << c.b << "/" << c.count;
    EXPECT_EQ(cs::LocaleCompareN(c.a, c.b, c.count, true), c.insensitive) << c.a << "/" << c.b << "/" << c.count;
  }
}

// Texts without a terminator within the count, ending right before a no-access page: only
// `count` units of each may be read.
TEST(CStringLocale, CountedComparisonReadsNoFurtherThanTheCount) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  auto* base = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(base, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(base + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old));
  auto* edge = reinterpret_cast<wchar_t*>(base + si.dwPageSize) - 3;  // "abc" and then the guard
  edge[0] = L'a';
  edge[1] = L'b';
  edge[2] = L'c';
  struct Case {
    const wchar_t* other;
    int count, expected;
  } cases[] = {{L"abc", 3, 0}, {L"abd", 3, -1}, {L"ab", 3, 1}, {L"abz", 2, 0}, {L"b", 1, -1}, {L"ABC", 3, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(cs::LocaleCompareN(edge, c.other, c.count, false), c.expected) << c.other << "/" << c.count;
    EXPECT_EQ(cs::LocaleCompareN(c.other, edge, c.count, false), -c.expected) << c.other << "/" << c.count;
  }
  EXPECT_EQ(cs::LocaleCompareN(edge, edge, 3, true), 0);
  EXPECT_EQ(cs::LocaleCompareN(edge + 2, L"C", 1, true), 0);
  VirtualFree(base, 0, MEM_RELEASE);
}

TEST(CStringLocale, WholeComparisonAndCaseMapping) {
  EXPECT_EQ(cs::LocaleCompare(L"abc", L"abc", false), 0);
  EXPECT_EQ(cs::LocaleCompare(L"abc", L"abd", false), -1);
  EXPECT_EQ(cs::LocaleCompare(L"b", L"a", false), 1);
  EXPECT_EQ(cs::LocaleCompare(L"ABC", L"abc", true), 0);
  EXPECT_NE(cs::LocaleCompare(L"ABC", L"abc", false), 0);
  EXPECT_EQ(cs::LocaleCompare(nullptr, L"", false), 0);

  wchar_t text[] = L"Stra\xDF" L"e \xE4\xF6";
  EXPECT_EQ(cs::LocaleUpper(text), text);
  EXPECT_STREQ(text, L"STRA\xDF" L"E \xC4\xD6");
  cs::LocaleLower(text);
  EXPECT_STREQ(text, L"stra\xDF" L"e \xE4\xF6");
  EXPECT_EQ(cs::LocaleUpper(nullptr), nullptr);
}

}  // namespace
