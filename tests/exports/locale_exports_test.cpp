#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "ovut19.h"

namespace {

struct Bstr {
  explicit Bstr(const wchar_t* text) : b(text ? SysAllocString(text) : nullptr) {}
  ~Bstr() { SysFreeString(b); }
  BSTR b;
};

std::wstring UserDate(const SYSTEMTIME& t) {
  wchar_t buf[80] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buf, 80);
  return buf;
}

}  // namespace

TEST(LocaleExports, LocaleTextAndSystemTime) {
  SYSTEMTIME t;
  Bstr text(L"5.3.2024 14:30");
  ASSERT_EQ(UtilLocSystemTimeFromLocaleString(0x0407, text.b, &t, FALSE), 0);
  EXPECT_EQ(t.wYear * 10000 + t.wMonth * 100 + t.wDay, 20240305);
  EXPECT_EQ(t.wHour * 100 + t.wMinute, 1430);
  Bstr invalid(L"31.02.2024");
  EXPECT_EQ(UtilLocSystemTimeFromLocaleString(0x0407, invalid.b, &t, FALSE), UTIL_LOC_DATE_UNREADABLE);
  EXPECT_EQ(t.wYear, 0);
  EXPECT_EQ(UtilLocSystemTimeFromLocaleString(0x0407, nullptr, &t, FALSE), 0);  // now
  EXPECT_GT(t.wYear, 2000);
  EXPECT_EQ(UtilLocSystemTimeFromLocaleString(0x0407, text.b, nullptr, FALSE), -2);

  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(L"old value, freed by the call");
  const SYSTEMTIME midnight = {2024, 3, 2, 5, 0, 0, 0, 0};
  ASSERT_EQ(UtilLocLocaleStringFromSystemTime(0x0407, &midnight, &v), 0);
  ASSERT_EQ(V_VT(&v), VT_BSTR);
  wchar_t expected[80];
  GetDateFormatW(0x0407, DATE_SHORTDATE, &midnight, nullptr, expected, 80);
  EXPECT_STREQ(V_BSTR(&v), expected);
  ASSERT_EQ(UtilLocLocaleStringFromSystemTime(0x0407, nullptr, &v), 0);
  EXPECT_GT(SysStringLen(V_BSTR(&v)), wcslen(expected));  // now: date and time
  VariantClear(&v);
  EXPECT_EQ(UtilLocLocaleStringFromSystemTime(0x0407, &midnight, nullptr), -2);
}

TEST(LocaleExports, CompactTextBuffers) {
  const SYSTEMTIME day = {2024, 3, 2, 5, 0, 0, 0, 0};
  const std::wstring date = UserDate(day);
  std::wstring buf(64, L'#');
  const int exact = static_cast<int>(date.size());
  EXPECT_EQ(UtilDateTimeToLocaleString(L"20240305", &buf[0], exact), 0);  // no room for the terminator
  EXPECT_EQ(buf[0], L'\0');
  EXPECT_EQ(UtilDateTimeToLocaleString(L"20240305", &buf[0], exact + 1), 1);
  EXPECT_EQ(std::wstring(buf.c_str()), date);
  EXPECT_EQ(UtilDateTimeToLocaleString(L"abcdefgh", &buf[0], 64), 0);
  EXPECT_EQ(buf[0], L'\0');
  EXPECT_EQ(UtilDateTimeToLocaleString(L"  ", &buf[0], 64), 1);
  EXPECT_EQ(buf[0], L'\0');
  EXPECT_EQ(UtilDateTimeToLocaleString(L"20240305", nullptr, 64), 0);

  EXPECT_EQ(UtilDateTimeFromLocaleString(L"20240131", &buf[0], 64, FALSE), 1);
  EXPECT_EQ(std::wstring(buf.c_str()), L"20240131000000");
  EXPECT_EQ(UtilDateTimeFromLocaleString(date.c_str(), &buf[0], 64, FALSE), 1);
  EXPECT_EQ(std::wstring(buf.c_str()), L"20240305000000");
  EXPECT_EQ(UtilDateTimeFromLocaleString(L"20240131", &buf[0], 9, FALSE), 1);  // cut, still read
  EXPECT_EQ(std::wstring(buf.c_str()), L"20240131");
  EXPECT_EQ(UtilDateTimeFromLocaleString(L"no date", &buf[0], 64, FALSE), 0);
  EXPECT_EQ(buf[0], L'\0');
  EXPECT_EQ(UtilDateTimeFromLocaleString(nullptr, &buf[0], 64, FALSE), 0);
  EXPECT_EQ(UtilDateTimeFromLocaleString(L"20240131", &buf[0], 0, FALSE), 0);
}

TEST(LocaleExports, MailDatesAndTimeZones) {
  SYSTEMTIME t;
  ASSERT_EQ(UtilLocDateTimeToSYSTEMTIME(L"Tue, 5 Mar 2024 10:00:00 +0200", &t), 0);
  EXPECT_EQ(t.wHour, 8);
  EXPECT_EQ(t.wDayOfWeek, 2);
  EXPECT_EQ(UtilLocDateTimeToSYSTEMTIME(L"x", nullptr), -2);
  EXPECT_EQ(UtilLocConvertLocalTimeToUTCTime(nullptr), -2);
  EXPECT_EQ(UtilLocConvertUTCTimeToLocalTime(nullptr), -2);
  EXPECT_EQ(UtilLocGetDSTStartAndEndInUTC(2024, &t, nullptr), -2);

  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  SYSTEMTIME start, end;
  memset(&start, 0xAB, sizeof start);
  memset(&end, 0xAB, sizeof end);
  ASSERT_EQ(UtilLocGetDSTStartAndEndInUTC(2024, &start, &end), 0);
  if (zone.DaylightDate.wMonth == 0) {
    EXPECT_EQ(start.wYear + start.wMonth + start.wHour + end.wYear + end.wMonth, 0);
  } else {
    EXPECT_EQ(start.wYear, 2024);
  }

}

TEST(LocaleExports, CountriesLanguagesAndCharsets) {
  BSTR list = nullptr;
  ASSERT_EQ(UtilLocGetCountryList(&list), 0);
  ASSERT_NE(list, nullptr);
  EXPECT_NE(std::wstring(list).find(L";San Marino;"), std::wstring::npos);
  const UINT first = SysStringLen(list);
  ASSERT_EQ(UtilLocGetCountryList(&list), 0);  // reallocated in place
  EXPECT_EQ(SysStringLen(list), first);
  SysFreeString(list);
  EXPECT_EQ(UtilLocGetCountryList(nullptr), -2);

  VARIANT v;
  VariantInit(&v);
  ASSERT_EQ(UtilLocGetCountryInfo(L"San Marino", UTIL_COUNTRY_CALLING_CODE, &v), 0);
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(V_I4(&v), 378);
  ASSERT_EQ(UtilLocGetCountryInfo(L"San Marino", UTIL_COUNTRY_ISO3166, &v), 0);
  ASSERT_EQ(V_VT(&v), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&v), L"SM/SMR");
  EXPECT_EQ(UtilLocGetCountryInfo(L"San Marino", 3, &v), -18);
  EXPECT_EQ(V_VT(&v), VT_EMPTY);
  EXPECT_EQ(UtilLocGetCountryInfo(L"Atlantis", 0, &v), 0);
  EXPECT_EQ(V_VT(&v), VT_EMPTY);
  EXPECT_EQ(UtilLocGetCountryInfo(L"San Marino", 0, nullptr), -2);
  ASSERT_EQ(UtilLocGetLanguageInfo(L"de-DE", 0, &v), 0);
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(V_I4(&v), 0x0407);
  EXPECT_EQ(UtilLocGetLanguageInfo(L"de-DE", 1, &v), -18);
  EXPECT_EQ(V_VT(&v), VT_EMPTY);

  EXPECT_EQ(UtilGetLikelyCharsetFromString(L"\u0391\u03b8\u03ae\u03bd\u03b1"), 161u);
  EXPECT_EQ(UtilGetLikelyCharsetFromString(nullptr), 0u);
}
