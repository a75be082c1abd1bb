// clsDate: a calendar date held as its Julian day number. Gregorian from 15 October 1582 (day
// number 2,299,161) on, Julian before, as the calendars were actually used in that year.
#pragma once
#include <windows.h>

#include <cstdint>

class clsDate {
 public:
  static constexpr int32_t kFirstGregorianDay = 2299161;
  static constexpr int32_t kInvalid = -1;

  clsDate() noexcept;  // today's local date
  // Months outside 1-12 are carried into the year first; the day is not carried.
  clsDate(int day, int month, int year) noexcept;
  static clsDate FromDayNumber(int32_t dayNumber) noexcept;

  // True when the day number converts back to the day, month and year it was made from.
  bool IsValid() const noexcept { return dayNumber_ != kInvalid; }
  int32_t DayNumber() const noexcept { return dayNumber_; }
  int Year() const noexcept { return year_; }
  int Month() const noexcept { return month_; }
  int Day() const noexcept { return day_; }
  int DayOfWeek() const noexcept { return dayOfWeek_; }   // 1 = Monday ... 7 = Sunday
  int FirstDayOfWeek() const noexcept { return 1; }
  WORD SystemDayOfWeek() const noexcept { return static_cast<WORD>(dayOfWeek_ % 7); }  // 0 = Sunday

  // Moves by whole days; a date that leaves the supported range becomes invalid.
  clsDate& AddDays(int64_t days) noexcept;

  static int DaysInMonth(int month, int year) noexcept;

 private:
  void SetFromDayNumber(int64_t dayNumber) noexcept;
  void Invalidate() noexcept;

  int32_t dayNumber_ = kInvalid;
  int year_ = 0, month_ = 0, day_ = 0, dayOfWeek_ = 0;
};
