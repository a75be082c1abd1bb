#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "locale/mail_date.h"

using namespace ovut::locale;

namespace {
constexpr int kNoDay = 0xFFFF;
}

TEST(MailDate, HeaderFormsAndZones) {
  struct {
    const wchar_t* text;
    int year, month, day, hour, minute, second, dayOfWeek;
  } cases[] = {
      {L"Tue, 5 Mar 2024 10:00:00 +0200", 2024, 3, 5, 8, 0, 0, 2},
      {L"Tue, 5 Mar 2024 10:00:00 -0130", 2024, 3, 5, 11, 30, 0, 2},
      {L"Tue, 5 Mar 2024 10:00:00 +0000 (UTC)", 2024, 3, 5, 10, 0, 0, 2},
      // No seconds, and a blank before a named zone.
      {L"Tue, 1 Oct 2024 10:00 EST", 2024, 10, 1, 15, 0, 0, 2},
      {L"Tue, 1 Oct 2024 10:00:00 EDT", 2024, 10, 1, 14, 0, 0, 2},
      {L"Tue, 1 Oct 2024 10:00:00PDT", 2024, 10, 1, 17, 0, 0, 2},
      {L"1 oct 2024 10:00:00 cst", 2024, 10, 1, 16, 0, 0, 2},
      {L"Tue, 1 Oct 2024 10:00:00 GMT", 2024, 10, 1, 10, 0, 0, 2},
      {L"Tue, 1 Oct 2024 10:00:00 UT", 2024, 10, 1, 10, 0, 0, 2},
      {L"Tue, 1 Oct 2024 10:00:00 Z", 2024, 10, 1, 10, 0, 0, 2},
      {L"Tue, 1 Oct 2024 10:00:00 Q", 2024, 10, 1, 10, 0, 0, 2},  // military letter
      {L"Tue, 1 Oct 2024 10:00:00\r\n +0100", 2024, 10, 1, 9, 0, 0, 2},  // folded
      {L"Tue, 31 Dec 2024 23:30:00 -0100", 2025, 1, 1, 0, 30, 0, 3},
      {L"Thu, 1 Feb 24 00:15 +0100", 2024, 1, 31, 23, 15, 0, 3},  // two-digit year
      {L"1 Jan 99 12:00 +0000", 1999, 1, 1, 12, 0, 0, 5},
      {L"Received: from host; Tue, 5 March 2024 10:00:00 +0200", 2024, 3, 5, 8, 0, 0, 2},
      // Without a zone the time stays as written and the day of week is unknown.
      {L"Tue, 5 Mar 2024 10:00:00", 2024, 3, 5, 10, 0, 0, kNoDay},
      {L"Tue, 5 Mar 2024 10:00:00 XYZ", 2024, 3, 5, 10, 0, 0, kNoDay},
      {L"5 Foo 2024 10:00:00 +0100", 2024, 0, 5, 10, 0, 0, kNoDay},
      // Compact digits.
      {L"20240305", 2024, 3, 5, 0, 0, 0, kNoDay},
      {L"2024030510", 2024, 3, 5, 10, 0, 0, kNoDay},
      {L"20240305103015", 2024, 3, 5, 10, 30, 15, kNoDay},
      {L"garbage", 0, 0, 0, 0, 0, 0, kNoDay},
  };
  for (const auto& c : cases) {
    SYSTEMTIME t;
    memset(&t, 0xAB, sizeof t);
    MailDateToSystemTime(c.text, &t);
    SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
    EXPECT_EQ(t.wYear, c.year);
    EXPECT_EQ(t.wMonth, c.month);
    EXPECT_EQ(t.wDay, c.day);
    EXPECT_EQ(t.wHour, c.hour);
    EXPECT_EQ(t.wMinute, c.minute);
    EXPECT_EQ(t.wSecond, c.second);
    EXPECT_EQ(t.wMilliseconds, 0);
    EXPECT_EQ(t.wDayOfWeek, c.dayOfWeek);
    // The zone flag goes with the conversion to UTC.
    bool zoned = c.dayOfWeek == kNoDay;  // the opposite of what it must become
    SYSTEMTIME again;
    ReadMailDate(c.text, &again, &zoned);
    EXPECT_EQ(zoned, c.dayOfWeek != kNoDay);
    EXPECT_EQ(memcmp(&t, &again, sizeof t), 0);
  }
}

TEST(MailDate, OtherTextGoesThroughTheVariantConversion) {
  for (const wchar_t* text : {L"3/5/2024 10:30", L"2024-03-05", L"March 5, 2024"}) {
    DATE d;
    BSTR b = SysAllocString(text);
    const bool platform = SUCCEEDED(VarDateFromStr(b, LOCALE_USER_DEFAULT, 0, &d));
    SysFreeString(b);
    SYSTEMTIME expected = {}, t;
    expected.wDayOfWeek = kNoDay;
    if (platform) VariantTimeToSystemTime(d, &expected);
    MailDateToSystemTime(text, &t);
    EXPECT_EQ(memcmp(&t, &expected, sizeof t), 0) << std::string(text, text + wcslen(text));
    // A day of week, but no zone: readers take the result as written, not as UTC.
    bool zoned = true;
    ReadMailDate(text, &t, &zoned);
    EXPECT_FALSE(zoned);
  }
}

TEST(MailDate, EmptyNullAndHugeTexts) {
  SYSTEMTIME now, t;
  GetLocalTime(&now);
  MailDateToSystemTime(nullptr, &t);
  EXPECT_EQ(t.wYear, now.wYear);
  MailDateToSystemTime(L" \t ", &t);
  EXPECT_EQ(t.wYear, now.wYear);
  for (std::wstring text : {std::wstring(65536, L'1') + L"x", std::wstring(65536, L' ') + L"x",
                            std::wstring(100000, L'5') + L" Mar 2024 10:00:00"}) {
    MailDateToSystemTime(text.c_str(), &t);
    EXPECT_EQ(t.wYear + t.wMonth + t.wDay + t.wHour, 0);
    EXPECT_EQ(t.wDayOfWeek, kNoDay);
  }
}
