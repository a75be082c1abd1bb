// The loader's unit searches give the offsets a plain loop gives, at every length and position
// (the vector path takes eight units at a time and hands the tail to the plain loop).
#include <gtest/gtest.h>

#include <string>

#include "profile/persist/unit_scan.h"

using ovut::persist::FindEitherUnit;
using ovut::persist::FindUnit;

TEST(UnitScan, EveryLengthStartAndHitPositionAgreesWithAPlainLoop) {
  for (size_t n = 0; n <= 40; ++n) {
    for (size_t hit = 0; hit <= n; ++hit) {  // hit == n: none in the text
      std::wstring text(n, L'a');
      if (hit < n) text[hit] = L'\n';
      if (hit + 3 < n) text[hit + 3] = L'\r';  // a later second target never wins
      text += L'\n';                          // a target just past the end is not seen
      for (size_t from = 0; from <= n; ++from) {
        size_t plain = from;
        while (plain < n && text[plain] != L'\r' && text[plain] != L'\n') ++plain;
        ASSERT_EQ(FindEitherUnit(text.data(), from, n, L'\r', L'\n'), plain) << n << " " << hit << " " << from;
        size_t one = from;
        while (one < n && text[one] != L'\n') ++one;
        ASSERT_EQ(FindUnit(text.data(), from, n, L'\n'), one) << n << " " << hit << " " << from;
      }
    }
  }
  // Units that differ from a target only in the high byte, or that look like it as signed, are not it.
  const std::wstring odd = {wchar_t(0x010A), wchar_t(0xFF0A), wchar_t(0x0A00), wchar_t(0x8000), wchar_t(0xFFFF),
                            L'x', L'y', L'z', wchar_t(0x0A0A), L'\n'};
  EXPECT_EQ(FindUnit(odd.data(), 0, odd.size(), L'\n'), odd.size() - 1);
  EXPECT_EQ(FindUnit(odd.data(), 0, odd.size(), wchar_t(0xFFFF)), 4u);
}
