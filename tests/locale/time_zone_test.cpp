#include <gtest/gtest.h>

#include "locale/time_zone.h"
#include "locale/tz_functions.h"

using namespace ovut::locale;

namespace {

TIME_ZONE_INFORMATION Zone(LONG bias, SYSTEMTIME standard, SYSTEMTIME daylight) {
  TIME_ZONE_INFORMATION z = {};
  z.Bias = bias;
  z.StandardDate = standard;
  z.DaylightDate = daylight;
  z.DaylightBias = daylight.wMonth ? -60 : 0;
  return z;
}

// Central Europe: daylight from the last Sunday of March 02:00 to the last Sunday of October 03:00.
const TIME_ZONE_INFORMATION kBerlin = Zone(-60, {0, 10, 0, 5, 3, 0, 0, 0}, {0, 3, 0, 5, 2, 0, 0, 0});
// Eastern Australia: daylight from the first Sunday of October to the first Sunday of April.
const TIME_ZONE_INFORMATION kSydney = Zone(-600, {0, 4, 0, 1, 3, 0, 0, 0}, {0, 10, 0, 1, 2, 0, 0, 0});
const TIME_ZONE_INFORMATION kTokyo = Zone(-540, {}, {});

SYSTEMTIME At(int y, int mo, int d, int h, int mi) {
  SYSTEMTIME t = {};
  t.wYear = WORD(y), t.wMonth = WORD(mo), t.wDay = WORD(d), t.wHour = WORD(h), t.wMinute = WORD(mi);
  return t;
}

long long Stamp(const SYSTEMTIME& t) {
  return ((((t.wYear * 100LL + t.wMonth) * 100 + t.wDay) * 100 + t.wHour) * 100 + t.wMinute) * 100 + t.wSecond;
}

struct ZoneCase {
  const TIME_ZONE_INFORMATION* zone;
  bool toUtc;
  SYSTEMTIME in, out;
};

}  // namespace

// Around both changes of each hemisphere, through the system's functions and by hand.
TEST(TimeZone, ConversionsAroundDaylightSavingChanges) {
  const ZoneCase cases[] = {
      {&kBerlin, true, At(2024, 3, 31, 1, 59), At(2024, 3, 31, 0, 59)},
      {&kBerlin, true, At(2024, 3, 31, 3, 0), At(2024, 3, 31, 1, 0)},
      {&kBerlin, true, At(2024, 7, 1, 12, 0), At(2024, 7, 1, 10, 0)},
      {&kBerlin, true, At(2024, 10, 27, 3, 30), At(2024, 10, 27, 2, 30)},
      {&kBerlin, true, At(2024, 12, 31, 23, 30), At(2024, 12, 31, 22, 30)},
      {&kBerlin, false, At(2024, 3, 31, 0, 59), At(2024, 3, 31, 1, 59)},
      {&kBerlin, false, At(2024, 3, 31, 1, 0), At(2024, 3, 31, 3, 0)},
      {&kBerlin, false, At(2024, 10, 27, 0, 59), At(2024, 10, 27, 2, 59)},
      {&kBerlin, false, At(2024, 10, 27, 1, 0), At(2024, 10, 27, 2, 0)},
      {&kBerlin, false, At(2024, 12, 31, 23, 30), At(2025, 1, 1, 0, 30)},
      {&kSydney, true, At(2024, 1, 15, 12, 0), At(2024, 1, 15, 1, 0)},
      {&kSydney, true, At(2024, 7, 1, 12, 0), At(2024, 7, 1, 2, 0)},
      {&kSydney, true, At(2024, 12, 31, 23, 0), At(2024, 12, 31, 12, 0)},
      {&kSydney, false, At(2024, 4, 6, 15, 59), At(2024, 4, 7, 2, 59)},
      {&kSydney, false, At(2024, 4, 6, 16, 0), At(2024, 4, 7, 2, 0)},
      {&kSydney, false, At(2024, 10, 5, 15, 59), At(2024, 10, 6, 1, 59)},
      {&kSydney, false, At(2024, 10, 5, 16, 0), At(2024, 10, 6, 3, 0)},
      {&kTokyo, true, At(2024, 1, 1, 8, 0), At(2023, 12, 31, 23, 0)},
      {&kTokyo, false, At(2023, 12, 31, 23, 0), At(2024, 1, 1, 8, 0)},
  };
  for (bool useSystem : {false, true}) {
    if (useSystem && (!LocalToUtcFunction() || !UtcToLocalFunction())) continue;
    for (const ZoneCase& c : cases) {
      SYSTEMTIME t = c.in;
      ASSERT_TRUE(c.toUtc ? LocalToUtc(*c.zone, &t, useSystem) : UtcToLocal(*c.zone, &t, useSystem));
      EXPECT_EQ(Stamp(t), Stamp(c.out)) << (useSystem ? "system " : "by hand ") << (c.toUtc ? "to UTC " : "to local ")
                                        << Stamp(c.in) << " bias " << c.zone->Bias;
    }
  }
  SYSTEMTIME bad = At(2024, 2, 30, 10, 0);
  EXPECT_FALSE(LocalToUtc(kBerlin, &bad, false));
  EXPECT_EQ(bad.wDay, 30);
}

TEST(TimeZone, DaylightBoundsAndTransitionRules) {
  SYSTEMTIME start, end;
  DaylightBoundsUtc(kBerlin, 2024, &start, &end);
  EXPECT_EQ(Stamp(start), Stamp(At(2024, 3, 31, 1, 0)));
  EXPECT_EQ(Stamp(end), Stamp(At(2024, 10, 27, 1, 0)));
  EXPECT_EQ(start.wDayOfWeek, 0);
  DaylightBoundsUtc(kSydney, 2024, &start, &end);
  EXPECT_EQ(Stamp(start), Stamp(At(2024, 10, 5, 16, 0)));
  EXPECT_EQ(Stamp(end), Stamp(At(2024, 4, 6, 16, 0)));
  memset(&start, 0xAB, sizeof start);
  memset(&end, 0xAB, sizeof end);
  DaylightBoundsUtc(kTokyo, 2024, &start, &end);
  const SYSTEMTIME zero = {};
  EXPECT_EQ(memcmp(&start, &zero, sizeof zero), 0);
  EXPECT_EQ(memcmp(&end, &zero, sizeof zero), 0);

  struct {
    SYSTEMTIME rule;
    WORD year;
    int day;  // 0: no transition
  } rules[] = {
      {{0, 3, 0, 5, 2, 0, 0, 0}, 2024, 31},  // last Sunday, which is the 31st
      {{0, 3, 0, 5, 2, 0, 0, 0}, 2023, 26},  // March 2023 has four Sundays from the 5th
      {{0, 10, 0, 1, 2, 0, 0, 0}, 2024, 6},
      {{0, 2, 4, 5, 0, 0, 0, 0}, 2024, 29},  // last Thursday of a leap February
      {{0, 11, 1, 2, 0, 0, 0, 0}, 2024, 11},
      {{1999, 4, 0, 12, 1, 0, 0, 0}, 2024, 12},  // absolute date: only the year changes
      {{0, 0, 0, 1, 2, 0, 0, 0}, 2024, 0},
      {{0, 3, 0, 6, 2, 0, 0, 0}, 2024, 0},
  };
  for (const auto& r : rules) {
    SYSTEMTIME out;
    EXPECT_EQ(TransitionInYear(r.rule, r.year, &out), r.day != 0) << r.rule.wMonth << "/" << r.rule.wDay;
    EXPECT_EQ(out.wDay, r.day);
    if (r.day) {
      EXPECT_EQ(out.wYear, r.year);
      EXPECT_EQ(out.wHour, r.rule.wHour);
    }
  }
}
