// Locale comparisons and case mapping.
#include <gtest/gtest.h>

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
