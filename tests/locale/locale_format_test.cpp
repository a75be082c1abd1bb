#include <gtest/gtest.h>

#include <string>

#include "locale/locale_date.h"
#include "locale/system_time_text.h"

using namespace ovut::locale;

namespace {

std::wstring PlatformDate(LCID lcid, const SYSTEMTIME* t, DWORD flags = DATE_SHORTDATE) {
  wchar_t buf[80] = L"";
  GetDateFormatW(lcid, flags, t, nullptr, buf, 80);
  return buf;
}

std::wstring PlatformTime(LCID lcid, const SYSTEMTIME* t, DWORD flags = 0) {
  wchar_t buf[80] = L"";
  GetTimeFormatW(lcid, flags, t, nullptr, buf, 80);
  return buf;
}

std::wstring ShortDatePicture(LCID lcid) {
  wchar_t buf[80] = L"";
  GetLocaleInfoW(lcid, LOCALE_SSHORTDATE, buf, 80);
  return buf;
}

}  // namespace

TEST(LocaleFormat, ShortDateAndTimeOfTheLocale) {
  const SYSTEMTIME afternoon = {2024, 3, 2, 5, 14, 30, 15, 0}, midnight = {2024, 3, 2, 5, 0, 0, 0, 0};
  for (LCID lcid : {0x0407u, 0x0409u, 0x0411u, 0x0402u}) {
    EXPECT_EQ(std::wstring(LocaleTextFromSystemTime(lcid, &afternoon)),
              PlatformDate(lcid, &afternoon) + L" " + PlatformTime(lcid, &afternoon));
    EXPECT_EQ(std::wstring(LocaleTextFromSystemTime(lcid, &midnight)), PlatformDate(lcid, &midnight));
  }
  // Wine's German short date is "d.M.yyyy".
  if (ShortDatePicture(0x0407) == L"d.M.yyyy") { EXPECT_EQ(LocaleTextFromSystemTime(0x0407, &midnight), L"5.3.2024"); }
  // Null: now.
  std::wstring now(LocaleTextFromSystemTime(0x0407, nullptr));
  EXPECT_EQ(now.compare(0, PlatformDate(0x0407, nullptr).size(), PlatformDate(0x0407, nullptr)), 0);
}

TEST(LocaleFormat, YearsBeforeThePlatformRangeUseThePicture) {
  const SYSTEMTIME early = {1500, 3, 0, 5, 10, 30, 0, 0}, earlyMidnight = {1500, 3, 0, 5, 0, 0, 0, 0};
  for (LCID lcid : {0x0407u, 0x0409u, 0x0402u}) {
    std::wstring picture = ShortDatePicture(lcid);
    std::wstring expected(FormatDatePicture(picture.c_str(), early));
    EXPECT_NE(expected.find(L"1500"), std::wstring::npos) << std::hex << lcid;
    EXPECT_EQ(std::wstring(LocaleTextFromSystemTime(lcid, &earlyMidnight)), expected);
  }
  if (ShortDatePicture(0x0407) == L"d.M.yyyy") { EXPECT_EQ(LocaleTextFromSystemTime(0x0407, &earlyMidnight), L"5.3.1500"); }
}

TEST(LocaleFormat, PictureRules) {
  const SYSTEMTIME t = {1500, 3, 0, 5, 0, 0, 0, 0};
  struct {
    const wchar_t* picture;
    const wchar_t* text;
  } cases[] = {
      {L"d.M.yyyy", L"5.3.1500"},
      {L"d.MM.yyyy 'г'.", L"5.03.1500 г."},  // single quotes are the picture's quotes
      {L"dd/MM/yy", L"05/03/00"},
      {L"DD-mm-YYYY", L"05-03-1500"},
      {L"'it''s' d", L"it's 5"},
      {L"d '' M", L"5 ' 3"},
      {L"\"d\" M", L"\"5\" 3"},  // a double quote is an ordinary character
      {L"dddd, d. MMM yyyyy", L", 5. 03 1500"},
      {L"'unclosed d", L"unclosed d"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDatePicture(c.picture, t), c.text) << c.picture;
  EXPECT_EQ(FormatDatePicture(nullptr, t), L"");
  std::wstring huge(5000, L'd');
  huge += L'x';
  EXPECT_EQ(FormatDatePicture(huge.c_str(), t), L"x");
}

TEST(LocaleFormat, CompactTextToLocaleText) {
  SYSTEMTIME t = {2024, 3, 2, 5, 14, 30, 15, 0};
  const std::wstring date = PlatformDate(LOCALE_USER_DEFAULT, &t);
  const std::wstring full = date + L" " + PlatformTime(LOCALE_USER_DEFAULT, &t);
  t.wSecond = 0;
  t.wMinute = 0;
  const std::wstring hour = date + L" " + PlatformTime(LOCALE_USER_DEFAULT, &t);
  struct {
    const wchar_t* compact;
    bool ok;
    std::wstring text;
  } cases[] = {
      {L"20240305143015", true, full},
      {L" 20240305143015 ", true, full},
      {L"2024030514", true, hour},
      {L"20240305", true, date},
      {L"", true, L""},
      {nullptr, true, L""},
      {L"abcdefgh", false, L""},  // not a date: no "0/0/0000"
      {L"2024o305", false, L""},
      {L"20240231", false, L""},
      {L"20240005", false, L""},
      {L"2024030", false, L""},
      {L"20240305250000", false, L""},
      {L"20240305146000", false, L""},
      {L"202403051430150", false, L""},
      {L"-2024030", false, L""},
  };
  for (const auto& c : cases) {
    String out(L"stale");
    EXPECT_EQ(CompactToLocaleText(c.compact, &out), c.ok) << (c.compact ? c.compact : L"(null)");
    EXPECT_EQ(std::wstring(out), c.text);
  }
}

TEST(LocaleFormat, LocaleTextToCompact) {
  const SYSTEMTIME t = {2024, 3, 2, 5, 14, 30, 0, 0};
  const std::wstring text = PlatformDate(LOCALE_USER_DEFAULT, &t) + L" " + PlatformTime(LOCALE_USER_DEFAULT, &t);
  struct {
    const wchar_t* text;
    bool ok;
    const wchar_t* compact;
  } cases[] = {
      {text.c_str(), true, L"20240305143000"},
      {L"20240131", true, L"20240131000000"},  // already compact: not read as a date
      {L"20241399", true, L"20241399000000"},
      {L"20240131123456", true, L"20240131123456"},
      {L"garbage", false, L""},
      {nullptr, false, L""},
  };
  for (const auto& c : cases) {
    String out(L"stale");
    EXPECT_EQ(LocaleTextToCompact(c.text, false, &out), c.ok) << (c.text ? c.text : L"(null)");
    EXPECT_EQ(out, c.compact);
  }
}

TEST(LocaleFormat, DisplayTextOfASystemTime) {
  SYSTEMTIME t = {2024, 3, 2, 5, 14, 30, 15, 0};
  std::wstring date = PlatformDate(LOCALE_USER_DEFAULT, &t, DATE_SHORTDATE);
  std::wstring clock = PlatformTime(LOCALE_USER_DEFAULT, &t, TIME_NOSECONDS);
  wchar_t tuesday[80];
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME2, tuesday, 80);
  EXPECT_EQ(std::wstring(SystemTimeDisplayText(t)), date + L", " + clock + L" (" + tuesday + L")");
  t.wDayOfWeek = 0xFFFF;
  EXPECT_EQ(std::wstring(SystemTimeDisplayText(t)), date + L", " + clock);
  t.wHour = 25;
  std::wstring invalid(SystemTimeDisplayText(t));
  EXPECT_EQ(invalid.rfind(L"[time 25:30:15.000 is invalid: ", 0), 0u) << std::string(invalid.begin(), invalid.end());
  EXPECT_EQ(invalid.substr(invalid.size() - 2), L"]\n");
}
