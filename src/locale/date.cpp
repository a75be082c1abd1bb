#include "locale/date.h"

namespace {

// Years outside this range are refused: the day number must fit 32 bits and the arithmetic
// below needs a positive shifted year.
constexpr int kMinYear = -4712;  // day number 0 is 1 January 4713 BC (Julian)
constexpr int kMaxYear = 1000000;

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

int64_t DayNumberOf(int day, int month, int year) {
  const int64_t a = (14 - month) / 12;
  const int64_t y = int64_t(year) + 4800 - a;
  const int64_t m = month + 12 * a - 3;
  const bool gregorian = year > 1582 || (year == 1582 && (month > 10 || (month == 10 && day >= 15)));
  int64_t n = day + (153 * m + 2) / 5 + 365 * y + y / 4;
  return gregorian ? n - y / 100 + y / 400 - 32045 : n - 32083;
}

}  // namespace

clsDate::clsDate() noexcept {
  SYSTEMTIME now;
  GetLocalTime(&now);
  *this = clsDate(now.wDay, now.wMonth, now.wYear);
}

clsDate::clsDate(int day, int month, int year) noexcept {
  int64_t y = int64_t(year) + FloorDiv(int64_t(month) - 1, 12);
  int64_t m = int64_t(month) - 1 - FloorDiv(int64_t(month) - 1, 12) * 12 + 1;
  if (y < kMinYear || y > kMaxYear || day < -1000 || day > 1000) {
    Invalidate();
    return;
  }
  SetFromDayNumber(DayNumberOf(day, static_cast<int>(m), static_cast<int>(y)));
  if (IsValid() && (day_ != day || month_ != m || year_ != y)) Invalidate();
}

clsDate clsDate::FromDayNumber(int32_t dayNumber) noexcept {
  clsDate d(1, 1, 2000);
  d.SetFromDayNumber(dayNumber);
  return d;
}

clsDate& clsDate::AddDays(int64_t days) noexcept {
  if (IsValid()) SetFromDayNumber(int64_t(dayNumber_) + days);
  return *this;
}

int clsDate::DaysInMonth(int month, int year) noexcept {
  clsDate first(1, month, year), next(1, month + 1, year);
  return first.IsValid() && next.IsValid() ? next.dayNumber_ - first.dayNumber_ : 0;
}

void clsDate::SetFromDayNumber(int64_t n) noexcept {
  if (n < DayNumberOf(1, 1, kMinYear) || n > DayNumberOf(31, 12, kMaxYear)) {
    Invalidate();
    return;
  }
  int64_t b, c;
  if (n >= kFirstGregorianDay) {
    const int64_t a = n + 32044;
    b = (4 * a + 3) / 146097;
    c = a - 146097 * b / 4;
  } else {
    b = 0;
    c = n + 32082;
  }
  const int64_t d = (4 * c + 3) / 1461;
  const int64_t e = c - 1461 * d / 4;
  const int64_t m = (5 * e + 2) / 153;
  day_ = static_cast<int>(e - (153 * m + 2) / 5 + 1);
  month_ = static_cast<int>(m + 3 - 12 * (m / 10));
  year_ = static_cast<int>(100 * b + d - 4800 + m / 10);
  dayNumber_ = static_cast<int32_t>(n);
  dayOfWeek_ = static_cast<int>(n % 7) + 1;  // day 0 was a Monday
}

void clsDate::Invalidate() noexcept {
  dayNumber_ = kInvalid;
  year_ = month_ = day_ = dayOfWeek_ = 0;
}
