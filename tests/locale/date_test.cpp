#include <gtest/gtest.h>

#include "locale/date.h"

TEST(Date, DayNumbersAcrossTheCalendarChange) {
  struct Case {
    int day, month, year;
    int32_t number;  // -1: invalid
  } cases[] = {
      {1, 1, 2000, 2451545},    {15, 10, 1582, 2299161}, {4, 10, 1582, 2299160},  // last Julian day
      {10, 10, 1582, -1},       {29, 2, 2024, 2460370},  {29, 2, 2023, -1},
      {29, 2, 1900, -1},        {29, 2, 1500, 2268992},  {1, 1, -4712, 0},  // Julian leap year
      {31, 4, 2024, -1},        {0, 1, 2024, -1},        {1, 1, 2000000, -1},
  };
  for (const Case& c : cases) {
    clsDate d(c.day, c.month, c.year);
    EXPECT_EQ(d.DayNumber(), c.number) << c.day << "." << c.month << "." << c.year;
    EXPECT_EQ(d.IsValid(), c.number != -1);
    if (c.number >= 0) {
      clsDate back = clsDate::FromDayNumber(c.number);
      EXPECT_EQ(back.Day(), c.day);
      EXPECT_EQ(back.Month(), c.month);
      EXPECT_EQ(back.Year(), c.year);
    }
  }
  clsDate invalid(31, 2, 2024);
  EXPECT_EQ(invalid.Year() + invalid.Month() + invalid.Day(), 0);
}

TEST(Date, MonthsCarryIntoTheYearAndDaysRollOver) {
  clsDate carried(1, 13, 2024);
  EXPECT_EQ(carried.Year(), 2025);
  EXPECT_EQ(carried.Month(), 1);
  clsDate back(31, 0, 2024);
  EXPECT_EQ(back.Year(), 2023);
  EXPECT_EQ(back.Month(), 12);

  clsDate d(31, 12, 2024);
  d.AddDays(1);
  EXPECT_EQ(d.Year() * 10000 + d.Month() * 100 + d.Day(), 20250101);
  d.AddDays(-366 - 365);
  EXPECT_EQ(d.Year() * 10000 + d.Month() * 100 + d.Day(), 20230101);
  clsDate gap(4, 10, 1582);
  gap.AddDays(1);
  EXPECT_EQ(gap.Day(), 15);

  EXPECT_EQ(clsDate(5, 3, 2024).DayOfWeek(), 2);  // Tuesday, Monday = 1
  EXPECT_EQ(clsDate(5, 3, 2024).SystemDayOfWeek(), 2);
  EXPECT_EQ(clsDate(3, 3, 2024).DayOfWeek(), 7);
  EXPECT_EQ(clsDate(3, 3, 2024).SystemDayOfWeek(), 0);
  EXPECT_EQ(clsDate(3, 3, 2024).FirstDayOfWeek(), 1);
  EXPECT_EQ(clsDate::DaysInMonth(2, 2024), 29);
  EXPECT_EQ(clsDate::DaysInMonth(2, 1900), 28);

  SYSTEMTIME now;
  GetLocalTime(&now);
  clsDate today;
  EXPECT_EQ(today.Year(), now.wYear);
  EXPECT_EQ(today.Month(), now.wMonth);
}
