#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "locale/date.h"
#include "locale/locale_date.h"
#include "locale/locale_time_info.h"

using namespace ovut::locale;

namespace {

constexpr LCID kGerman = 0x0407, kUsEnglish = 0x0409, kJapanese = 0x0411, kBritish = 0x0809, kFrench = 0x040C,
               kHungarian = 0x040E, kUnknown = 0x12345;
constexpr int kToday = -3, kTomorrow = -1;  // stand-ins for the current date in the table

std::wstring LocaleInfo(LCID lcid, LCTYPE type) {
  wchar_t buf[100] = L"";
  GetLocaleInfoW(lcid, type, buf, 100);
  return buf;
}

struct ParseCase {
  LCID lcid;
  const wchar_t* text;
  bool twoDigitYears;
  int rc;
  int year, month, day;  // kToday / kTomorrow in year: taken from the current date
  int hour, minute, second;
};

}  // namespace

TEST(LocaleParse, TableOfTextsAcrossLocales) {
  // German: d.M.yyyy, 24 hours; US English: M/d/yyyy, 12 hours; Japanese: yyyy/M/d.
  ASSERT_EQ(LocaleInfo(kUsEnglish, LOCALE_ITIME), L"0") << "US English is the twelve-hour locale here";
  ASSERT_EQ(LocaleInfo(kJapanese, LOCALE_IDATE), L"2") << "Japanese is the year-first locale here";
  const int y = -2;  // "this year" in the month/day columns below
  const ParseCase cases[] = {
      {kGerman, L"5.3.2024 14:30:15", false, 0, 2024, 3, 5, 14, 30, 15},
      {kGerman, L"  5.3.2024, 14:30  ", false, 0, 2024, 3, 5, 14, 30, 0},
      {kGerman, L"31.02.2024", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"29.02.2024", false, 0, 2024, 2, 29, 0, 0, 0},
      {kGerman, L"5.3.", false, 0, y, 3, 5, 0, 0, 0},
      {kGerman, L"1.1.29", true, 0, 2029, 1, 1, 0, 0, 0},
      {kGerman, L"1.1.30", true, 0, 1930, 1, 1, 0, 0, 0},
      {kGerman, L"1.1.29", false, 0, 29, 1, 1, 0, 0, 0},
      {kGerman, L"1.1.30", false, 0, 30, 1, 1, 0, 0, 0},
      // A text that is only a time is today at that time, whatever the digits of its hour.
      {kGerman, L"10:75", false, 0, kToday, 0, 0, 11, 15, 0},
      {kGerman, L"9:05", false, 0, kToday, 0, 0, 9, 5, 0},
      {kGerman, L"23:90", false, 0, kTomorrow, 0, 0, 0, 30, 0},
      {kGerman, L"5.3.2024 10:00:75", false, 0, 2024, 3, 5, 10, 1, 15},
      {kGerman, L"28.02.2024 25:00", false, 0, 2024, 2, 29, 1, 0, 0},
      {kGerman, L"31.12.2024 24:00", false, 0, 2025, 1, 1, 0, 0, 0},
      // An invalid date stays invalid whatever the time would carry it to.
      {kGerman, L"31.02.2024 25:00", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"5.3.2024 1:30 PM", false, 0, 2024, 3, 5, 1, 30, 0},  // 24-hour locale: no PM
      {kGerman, L"99.99.9999", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"1.1.10000", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"1.1.99999999999999999999", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"-5.3.2024", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"5.-3.2024", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"abc", false, -52, 0, 0, 0, 0, 0, 0},
      {kGerman, L"5.3.2024 10:00 x", false, -52, 0, 0, 0, 0, 0, 0},
      {kUsEnglish, L"3/5/2024", false, 0, 2024, 3, 5, 0, 0, 0},
      {kUsEnglish, L"3/5/2024 1:30 PM", false, 0, 2024, 3, 5, 13, 30, 0},
      {kUsEnglish, L"3/5/2024 1:30 pm", false, 0, 2024, 3, 5, 13, 30, 0},
      {kUsEnglish, L"3/5/2024 11:59:59 PM", false, 0, 2024, 3, 5, 23, 59, 59},
      {kUsEnglish, L"12:30 PM", false, 0, kToday, 0, 0, 12, 30, 0},
      {kUsEnglish, L"12:30 AM", false, 0, kToday, 0, 0, 12, 30, 0},
      {kUsEnglish, L"1:30 PM", false, 0, kToday, 0, 0, 13, 30, 0},
      {kUsEnglish, L"2/30/2024", false, -52, 0, 0, 0, 0, 0, 0},
      {kJapanese, L"2024/3/5 10:00", false, 0, 2024, 3, 5, 10, 0, 0},
      {kJapanese, L"2024/2/30", false, -52, 0, 0, 0, 0, 0, 0},
      {kUnknown, L"5.3.2024 10:00", false, 0, 2024, 3, 5, 10, 0, 0},  // defaults: d.M.y, ":"
  };
  SYSTEMTIME now;
  GetLocalTime(&now);
  clsDate tomorrow(now.wDay, now.wMonth, now.wYear);
  tomorrow.AddDays(1);
  for (const ParseCase& c : cases) {
    SYSTEMTIME t;
    memset(&t, 0xAB, sizeof t);
    int rc = SystemTimeFromLocaleText(c.lcid, c.text, &t, c.twoDigitYears);
    SCOPED_TRACE(testing::Message() << std::hex << c.lcid << " '" << std::string(c.text, c.text + wcslen(c.text))
                                    << "'");
    ASSERT_EQ(rc, c.rc);
    int year = c.year, month = c.month, day = c.day;
    if (c.year == kToday) year = now.wYear, month = now.wMonth, day = now.wDay;
    if (c.year == kTomorrow) year = tomorrow.Year(), month = tomorrow.Month(), day = tomorrow.Day();
    if (c.year == y) year = now.wYear;
    EXPECT_EQ(t.wYear, year);
    EXPECT_EQ(t.wMonth, month);
    EXPECT_EQ(t.wDay, day);
    EXPECT_EQ(t.wHour, c.hour);
    EXPECT_EQ(t.wMinute, c.minute);
    EXPECT_EQ(t.wSecond, c.second);
    EXPECT_EQ(t.wMilliseconds, 0);
    EXPECT_EQ(t.wDayOfWeek, 0);
  }
}

// The locale decides: what the platform writes for a locale reads back to the same time.
TEST(LocaleParse, PlatformTextOfSeveralLocalesReadsBack) {
  const SYSTEMTIME times[] = {{2024, 3, 2, 5, 14, 30, 15, 0}, {1999, 12, 5, 31, 23, 59, 58, 0}, {2031, 1, 3, 9, 8, 7, 6, 0}};
  for (LCID lcid : {kGerman, kUsEnglish, kJapanese, kBritish, kFrench, kHungarian}) {
    for (const SYSTEMTIME& st : times) {
      wchar_t date[80], clock[80];
      ASSERT_GT(GetDateFormatW(lcid, DATE_SHORTDATE, &st, nullptr, date, 80), 0);
      ASSERT_GT(GetTimeFormatW(lcid, 0, &st, nullptr, clock, 80), 0);
      std::wstring text = std::wstring(date) + L" " + clock;
      SCOPED_TRACE(testing::Message() << std::hex << lcid << " '" << std::string(text.begin(), text.end()) << "'");
      SYSTEMTIME back;
      ASSERT_EQ(SystemTimeFromLocaleText(lcid, text.c_str(), &back, false), 0);
      EXPECT_EQ(back.wYear, st.wYear);
      EXPECT_EQ(back.wMonth, st.wMonth);
      EXPECT_EQ(back.wDay, st.wDay);
      EXPECT_EQ(back.wHour, st.wHour);
      EXPECT_EQ(back.wMinute, st.wMinute);
      EXPECT_EQ(back.wSecond, st.wSecond);
    }
  }
}

TEST(LocaleParse, EmptyNullAndHostileTextsEndPromptly) {
  SYSTEMTIME now, t;
  GetLocalTime(&now);
  ASSERT_EQ(SystemTimeFromLocaleText(kGerman, nullptr, &t, false), 0);
  EXPECT_EQ(t.wYear, now.wYear);
  ASSERT_EQ(SystemTimeFromLocaleText(kGerman, L"   ", &t, false), 0);
  EXPECT_EQ(t.wYear, now.wYear);

  std::vector<std::wstring> hostile = {
      std::wstring(65536, L'7'),
      std::wstring(65536, L' ') + L"5.3.2024" + std::wstring(65536, L' '),  // trimmed: reads
  };
  std::wstring dots, blanks, times;
  for (int i = 0; i < 85; ++i) dots += L"1 . ";
  for (int i = 0; i < 120; ++i) blanks += L"1 ";
  for (int i = 0; i < 60; ++i) times += L"1: ";
  hostile.push_back(dots + L"x");
  hostile.push_back(blanks + L":");
  hostile.push_back(times + L"1 PMx");
  hostile.push_back(std::wstring(255, L'1') + L"x");
  std::wstring longDate;
  for (int i = 0; i < 8192; ++i) longDate += L"31.";
  hostile.push_back(longDate);
  for (size_t i = 0; i < hostile.size(); ++i) {
    memset(&t, 0xAB, sizeof t);
    int rc = SystemTimeFromLocaleText(kGerman, hostile[i].c_str(), &t, true);
    if (i == 1) {
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(t.wYear, 2024);
    } else {
      EXPECT_EQ(rc, kDateUnreadable) << i;
      EXPECT_EQ(t.wYear + t.wMonth + t.wDay + t.wHour, 0) << i;
    }
  }
}

TEST(LocaleParse, PatternsAreCompiledOncePerLocaleAndShared) {
  SYSTEMTIME t;
  ASSERT_EQ(SystemTimeFromLocaleText(kBritish, L"05/03/2024", &t, false), 0);  // compiles if new
  const long before = PatternsCompiledForTesting();
  for (int i = 0; i < 500; ++i) ASSERT_EQ(SystemTimeFromLocaleText(kBritish, L"05/03/2024 10:00", &t, false), 0);
  EXPECT_EQ(PatternsCompiledForTesting(), before);

  // Several threads and locales at once: every result right, few copies compiled.
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int n = 0; n < 4; ++n)
    threads.emplace_back([n, &failures] {
      const LCID lcid = n % 2 ? kGerman : kJapanese;
      const wchar_t* text = n % 2 ? L"5.3.2024 10:00" : L"2024/3/5 10:00";
      for (int i = 0; i < 2000; ++i) {
        SYSTEMTIME st;
        if (SystemTimeFromLocaleText(lcid, text, &st, false) != 0 || st.wDay != 5 || st.wMonth != 3 || st.wHour != 10)
          ++failures[n];
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
  EXPECT_LE(PatternsCompiledForTesting() - before, 4);
}

TEST(LocaleParse, SeparatorsAreLiteralInThePattern) {
  clsLocaleTimeInfo info(kGerman);
  info.dateSeparator = L"|";
  info.timeSeparator = L"(";
  clsRegEx re(LocaleDatePattern(info), clsRegEx::kCaseless);
  clsRegExMatchList m;
  ASSERT_TRUE(re.Exec(L"5|3|2024 10(30", &m));
  EXPECT_EQ(clsRegEx::Match(m, 3), L"2024");
  EXPECT_EQ(clsRegEx::Match(m, 5), L"30");
  EXPECT_FALSE(re.Exec(L"5x3", &m));
}
