// Peer process for the time-zone tests: started with the TZ environment variable naming a zone,
// it converts times around that zone's daylight-saving changes through the DLL's exports.
// Usage: locale_zone_peer berlin|sydney. Exit code 0 when every conversion was right, 77 when
// the process did not get the zone, 10 + n for the first wrong case n.
#include <windows.h>

#include <cwchar>

#include "ovut19.h"

namespace {

struct Case {
  bool toUtc;
  SYSTEMTIME in, out;
};

SYSTEMTIME At(int y, int mo, int d, int h, int mi) {
  SYSTEMTIME t = {};
  t.wYear = WORD(y), t.wMonth = WORD(mo), t.wDay = WORD(d), t.wHour = WORD(h), t.wMinute = WORD(mi);
  return t;
}

bool Same(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const bool berlin = _wcsicmp(argv[1], L"berlin") == 0;
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  if (zone.Bias != (berlin ? -60 : -600) || zone.DaylightDate.wMonth == 0) return 77;

  const Case berlinCases[] = {
      {true, At(2024, 3, 31, 1, 59), At(2024, 3, 31, 0, 59)},
      {true, At(2024, 3, 31, 3, 0), At(2024, 3, 31, 1, 0)},
      {true, At(2024, 10, 27, 3, 30), At(2024, 10, 27, 2, 30)},
      {false, At(2024, 3, 31, 1, 0), At(2024, 3, 31, 3, 0)},
      {false, At(2024, 10, 27, 0, 59), At(2024, 10, 27, 2, 59)},
      {false, At(2024, 10, 27, 1, 0), At(2024, 10, 27, 2, 0)},
  };
  const Case sydneyCases[] = {
      {true, At(2024, 1, 15, 12, 0), At(2024, 1, 15, 1, 0)},
      {true, At(2024, 7, 1, 12, 0), At(2024, 7, 1, 2, 0)},
      {false, At(2024, 4, 6, 15, 59), At(2024, 4, 7, 2, 59)},
      {false, At(2024, 4, 6, 16, 0), At(2024, 4, 7, 2, 0)},
      {false, At(2024, 10, 5, 16, 0), At(2024, 10, 6, 3, 0)},
  };
  const Case* cases = berlin ? berlinCases : sydneyCases;
  const int count = berlin ? 6 : 5;
  for (int i = 0; i < count; ++i) {
    SYSTEMTIME t = cases[i].in;
    int rc = cases[i].toUtc ? UtilLocConvertLocalTimeToUTCTime(&t) : UtilLocConvertUTCTimeToLocalTime(&t);
    if (rc != 0 || !Same(t, cases[i].out)) return 10 + i;
  }
  SYSTEMTIME start, end;
  if (UtilLocGetDSTStartAndEndInUTC(2024, &start, &end) != 0) return 40;
  const SYSTEMTIME wantStart = berlin ? At(2024, 3, 31, 1, 0) : At(2024, 10, 5, 16, 0);
  const SYSTEMTIME wantEnd = berlin ? At(2024, 10, 27, 1, 0) : At(2024, 4, 6, 16, 0);
  if (!Same(start, wantStart)) return 41;
  if (!Same(end, wantEnd)) return 42;
  return 0;
}
