// Stored doubles use "." whatever numeric locale the host gave the C library.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "profile/typed_values.h"

using namespace ovut::profile;

TEST(TypedLocale, DoublesKeepTheDotUnderAForeignNumericLocale) {
  const char* before = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = before ? before : "C";
  if (!std::setlocale(LC_NUMERIC, "German_Germany.1252") && !std::setlocale(LC_NUMERIC, "de-DE"))
    GTEST_SKIP() << "no German numeric locale here";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  TypedText t;
  FormatDouble(2.5, t);
  double parsed = ParseDouble(L"0.25e1");
  double comma = ParseDouble(L"2,5");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_STREQ(t.text, L"2.500000");
  EXPECT_EQ(parsed, 2.5);
  EXPECT_EQ(comma, 2.0);  // "," is not a decimal point in a stored value
}
