// The formatted-input patterns: what each consumes and converts.
#include <gtest/gtest.h>

#include "profile/value_scan.h"

using ovut::profile::clsValueScanner;
using ovut::profile::ScanTuple;

TEST(ValueScan, NumbersSkipBlanksTakeASignAndStopAtTheFirstMisfit) {
  struct {
    const wchar_t* text;
    bool ok;
    int32_t value;
    int consumed;
  } decimals[] = {
      {L"42", true, 42, 2},        {L" \t\r\n42x", true, 42, 6}, {L"-0", true, 0, 2},
      {L"+5", true, 5, 2},         {L"- 5", false, 0, 0},        {L"", false, 0, 0},
      {L"2147483648", true, INT32_MIN, 10}, {L"-2147483649", true, INT32_MAX, 11}, {L"\u0663", false, 0, 0},
  };
  for (const auto& c : decimals) {
    clsValueScanner s(c.text);
    int32_t v = 0;
    EXPECT_EQ(s.Decimal32(v), c.ok) << testing::PrintToString(std::wstring(c.text));
    if (c.ok) { EXPECT_EQ(v, c.value); }
    EXPECT_EQ(s.Rest() - c.text, c.consumed);
  }
  struct {
    const wchar_t* text;
    bool ok;
    uint64_t value;
  } hex[] = {{L"1f", true, 0x1f}, {L"DEADbeef", true, 0xDEADBEEF}, {L"0x1F", true, 0x1F}, {L"0xg", true, 0},
             {L"-1", true, ~0ull}, {L"g", false, 0}, {L"10000000000000001", true, 1}};
  for (const auto& c : hex) {
    clsValueScanner s(c.text);
    uint64_t v = 0;
    EXPECT_EQ(s.Hex64(v), c.ok) << testing::PrintToString(std::wstring(c.text));
    if (c.ok) { EXPECT_EQ(v, c.value); }
  }
  clsValueScanner u(L"18446744073709551616");  // one past 64 bits wraps to 0
  uint64_t v = 5;
  EXPECT_TRUE(u.Unsigned64(v));
  EXPECT_EQ(v, 0u);
}

TEST(ValueScan, TuplesCountTheValuesConverted) {
  struct {
    const wchar_t* text;
    int count;
  } cases[] = {{L"(1,2,3)", 3}, {L"(1,2,3", 3}, {L"(1,2", 2}, {L"(1;2,3)", 1}, {L"1,2,3", 0},
               {L"( 1,\t2, 3)", 3}, {L"(1 ,2,3)", 1}, {L"(,2,3)", 0}, {L"", 0}};
  for (const auto& c : cases) {
    int32_t a = -1, b = -1, d = -1;
    int32_t* fields[3] = {&a, &b, &d};
    EXPECT_EQ(ScanTuple(c.text, fields, 3), c.count) << testing::PrintToString(std::wstring(c.text));
    if (c.count >= 1) { EXPECT_EQ(a, 1); }
    if (c.count < 2) { EXPECT_EQ(b, -1); }
  }
}
