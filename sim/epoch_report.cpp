#include "sim/epoch_report.h"

namespace vetra::sim {

namespace {
constexpr int64_t kMsPerDay = 86'400'000;
// 1980-01-06 00:00:00 UTC in seconds since 1970, and the leap seconds GPS time is ahead.
constexpr int64_t kGpsEpochUnixS = 315'964'800;
constexpr int64_t kGpsLeapSeconds = 18;
constexpr int64_t kSecondsPerWeek = 604'800;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
}  // namespace

UtcTime UtcFromMs(int64_t utcMs) {
  const int64_t days = FloorDiv(utcMs, kMsPerDay);
  int64_t msOfDay = utcMs - days * kMsPerDay;
  // Civil date from a day count (proleptic Gregorian calendar, era-based).
  const int64_t z = days + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  UtcTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(msOfDay / 3'600'000);
  msOfDay %= 3'600'000;
  t.minute = static_cast<int>(msOfDay / 60'000);
  msOfDay %= 60'000;
  t.second = static_cast<int>(msOfDay / 1000);
  t.millisecond = static_cast<int>(msOfDay % 1000);
  return t;
}

GpsTime GpsFromUtcMs(int64_t utcMs) {
  const int64_t gpsMs = utcMs - kGpsEpochUnixS * 1000 + kGpsLeapSeconds * 1000;
  GpsTime g;
  const int64_t week = FloorDiv(gpsMs, kSecondsPerWeek * 1000);
  g.week = static_cast<int>(week);
  g.secondsOfWeek = static_cast<double>(gpsMs - week * kSecondsPerWeek * 1000) / 1000.0;
  return g;
}

}  // namespace vetra::sim
