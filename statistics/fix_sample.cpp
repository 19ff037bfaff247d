#include "statistics/fix_sample.h"

#include <cmath>
#include <cstdio>

#include "util/utc_time.h"

namespace vetra {

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool Plausible(const UtcDate& d) {
  return d.year > 0 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31;
}

}  // namespace

double FixSample::UtcSeconds() const {
  const double ofDay = timeOfDayMs < 0 ? 0.0 : static_cast<double>(timeOfDayMs) / 1000.0;
  if (!date || !Plausible(*date)) return ofDay;
  return static_cast<double>(DaysFromCivil(date->year, date->month, date->day)) * 86400.0 + ofDay;
}

std::optional<FixSample> FixSampleOf(const Epoch& e) {
  if (!e.hasFix() || std::isnan(e.longitudeDeg)) return std::nullopt;
  FixSample s;
  s.timeOfDayMs = e.timeOfDayMs;
  s.date = e.date;
  s.fix = {e.mode, e.quality};
  s.latitudeDeg = e.latitudeDeg;
  s.longitudeDeg = e.longitudeDeg;
  s.altitudeMslM = e.altitudeMslM;
  s.geoidSeparationM = e.geoidSeparationM;
  s.satellitesUsed = e.satellitesUsed;
  if (s.satellitesUsed < 0 && e.hasSky) {
    s.satellitesUsed = 0;
    for (const EpochSatellite& satellite : e.satellites) s.satellitesUsed += satellite.used;
  }
  s.hdop = static_cast<float>(e.hdop);
  return s;
}

std::optional<FixSample> FixSampleOf(const TNavRecord& r) {
  const std::optional<FixKind> fix = FixOfRecordMode(r.fixMode);
  if (!fix || fix->mode == FixMode::None) return std::nullopt;
  if (std::isnan(r.exact.latitudeDeg) || std::isnan(r.exact.longitudeDeg)) return std::nullopt;
  FixSample s;
  s.timeOfDayMs = ((r.hour * 60LL + r.minute) * 60 + r.second) * 1000 +
                  (r.exact.millisecond > 0 ? r.exact.millisecond : 0);
  if (r.year > 0) s.date = UtcDate{r.year, r.month, r.day};
  s.fix = *fix;
  s.latitudeDeg = r.exact.latitudeDeg;
  s.longitudeDeg = r.exact.longitudeDeg;
  s.altitudeMslM = r.exact.altitudeMslM;
  s.geoidSeparationM = r.exact.geoidSeparationM;
  s.satellitesUsed = r.satellitesUsed;
  s.hdop = r.hdop;
  return s;
}

std::string UtcText(const FixSample& s) {
  if (s.timeOfDayMs < 0) return {};
  const int64_t ms = s.timeOfDayMs % 1000;
  const int64_t seconds = s.timeOfDayMs / 1000;
  char text[48];
  if (s.date) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", s.date->year,
                  s.date->month, s.date->day, static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(ms));
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03dZ", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(ms));
  }
  return text;
}

}  // namespace vetra
