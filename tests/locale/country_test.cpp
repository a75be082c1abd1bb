#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "locale/country_table.h"

using namespace ovut::locale;

namespace {

std::wstring LocaleInfo(LCID lcid, LCTYPE type) {
  wchar_t buf[100] = L"";
  GetLocaleInfoW(lcid, type, buf, 100);
  return buf;
}

std::vector<std::wstring> Names() {
  std::wstring list(CountryList());
  std::vector<std::wstring> names;
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = list.find(L';', pos);
    if (end == std::wstring::npos) end = list.size();
    names.push_back(list.substr(pos, end - pos));
    pos = end + 1;
  }
  return names;
}

CountryValue Get(const wchar_t* country, int kind) {
  CountryValue v;
  EXPECT_EQ(CountryInfo(country, kind, &v), 0);
  return v;
}

}  // namespace

TEST(Country, ListIsSortedWithoutDuplicatesAndHoldsTheLibraryRows) {
  std::vector<std::wstring> names = Names();
  ASSERT_GT(names.size(), 100u);
  for (size_t i = 1; i < names.size(); ++i)
    EXPECT_LT(_wcsicmp(names[i - 1].c_str(), names[i].c_str()), 0) << i;
  for (const wchar_t* name : {L"San Marino", L"Holy See (Vatican City State)", L"Côte d'Ivoire", L"Cyprus"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
  const std::wstring germany = LocaleInfo(0x0407, LOCALE_SENGCOUNTRY);
  EXPECT_NE(std::find(names.begin(), names.end(), germany), names.end());
}

TEST(Country, ValuesByKind) {
  EXPECT_EQ(Get(L"San Marino", kCountryCallingCode).number, 378);
  EXPECT_EQ(Get(L"san marino", kCountryIso3166).text, L"SM/SMR");
  EXPECT_EQ(Get(L"San Marino", kCountryLcid).number, 1040);
  EXPECT_EQ(Get(L"San Marino", kCountryCurrency).text, L"EUR");
  EXPECT_EQ(Get(L"San Marino", kCountryAnsiCodePage).number, 1252);
  EXPECT_EQ(Get(L"San Marino", kCountryLanguageCode).text, L"it-sm");
  EXPECT_EQ(Get(L"San Marino", kCountryNativeName).text, L"Repubblica di San Marino");
  EXPECT_EQ(Get(L"American Samoa", kCountryCallingCode).number, 1684);  // "001-684"
  EXPECT_TRUE(Get(L"San Marino", kCountryLcid).isNumber);
  EXPECT_FALSE(Get(L"San Marino", kCountryIso3166).isNumber);

  // System locales: the values come from the platform's locale data.
  const std::wstring germany = LocaleInfo(0x0407, LOCALE_SENGCOUNTRY);
  EXPECT_EQ(Get(germany.c_str(), kCountryLcid).number, 0x0407);
  EXPECT_EQ(Get(germany.c_str(), kCountryCallingCode).number, _wtoi(LocaleInfo(0x0407, LOCALE_ICOUNTRY).c_str()));
  EXPECT_EQ(Get(germany.c_str(), kCountryCurrency).text, LocaleInfo(0x0407, LOCALE_SINTLSYMBOL).c_str());
  EXPECT_EQ(Get(germany.c_str(), kCountryNativeName).text, LocaleInfo(0x0407, LOCALE_SNATIVECTRYNAME).c_str());
  EXPECT_EQ(Get(germany.c_str(), kCountryAnsiCodePage).number, 1252);
  std::wstring iso(Get(germany.c_str(), kCountryIso3166).text);
  EXPECT_EQ(iso.substr(0, 2), L"DE");
  // A country of several locales is represented by the preferred one.
  const std::wstring swiss = LocaleInfo(0x0807, LOCALE_SENGCOUNTRY);
  if (!swiss.empty()) { EXPECT_EQ(Get(swiss.c_str(), kCountryLcid).number, 0x0807); }
  const std::wstring japan = LocaleInfo(0x0411, LOCALE_SENGCOUNTRY);
  EXPECT_EQ(Get(japan.c_str(), kCountryLcid).number, 0x0411);
}

TEST(Country, UnknownCountriesKindsAndLanguages) {
  CountryValue v;
  for (int kind : {3, 8, -1, 1000}) EXPECT_EQ(CountryInfo(L"San Marino", kind, &v), kUnknownKind) << kind;
  EXPECT_FALSE(v.found);
  EXPECT_FALSE(Get(L"Atlantis", kCountryLcid).found);
  EXPECT_FALSE(Get(nullptr, kCountryLcid).found);
  EXPECT_FALSE(Get(L"", kCountryLcid).found);

  LCID lcid = 0;
  ASSERT_TRUE(LanguageLocale(L"de-DE", &lcid));
  EXPECT_EQ(lcid, 0x0407u);
  ASSERT_TRUE(LanguageLocale(L"JA-jp", &lcid));
  EXPECT_EQ(lcid, 0x0411u);
  ASSERT_TRUE(LanguageLocale(L"it-sm", &lcid));
  EXPECT_EQ(lcid, 1040u);
  EXPECT_FALSE(LanguageLocale(L"xx-YY", &lcid));
  EXPECT_FALSE(LanguageLocale(nullptr, &lcid));
}
