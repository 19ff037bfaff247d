#include "monitor/fix_sample.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

bool DateKnown(const FixSample& s) {
  return s.year > 0 && s.month >= 1 && s.month <= 12 && s.day >= 1 && s.day <= 31;
}

}  // namespace

double FixSample::EllipsoidHeightM() const {
  return altitudeMslM + (std::isnan(geoidSeparationM) ? 0.0 : geoidSeparationM);
}

double FixSample::UtcSeconds() const {
  const double ofDay =
      hour * 3600.0 + minute * 60.0 + second + (millisecond > 0 ? millisecond / 1000.0 : 0.0);
  if (!DateKnown(*this)) return ofDay;
  return static_cast<double>(DaysFromCivil(year, month, day)) * 86400.0 + ofDay;
}

bool FixSample::SameEpoch(const FixSample& o) const {
  return hour == o.hour && minute == o.minute && second == o.second && millisecond == o.millisecond;
}

std::optional<FixSample> FixSampleOf(const TNavRecord& r) {
  if (r.fixMode < 1 || r.fixMode > 3) return std::nullopt;
  if (std::isnan(r.exact.latitudeDeg) || std::isnan(r.exact.longitudeDeg)) return std::nullopt;
  FixSample s;
  s.year = r.year;
  s.month = r.month;
  s.day = r.day;
  s.hour = r.hour;
  s.minute = r.minute;
  s.second = r.second;
  s.millisecond = r.exact.millisecond;
  s.fixMode = r.fixMode;
  s.latitudeDeg = r.exact.latitudeDeg;
  s.longitudeDeg = r.exact.longitudeDeg;
  s.altitudeMslM = r.exact.altitudeMslM;
  s.geoidSeparationM = r.exact.geoidSeparationM;
  s.satellitesUsed = r.satellitesUsed;
  s.hdop = r.hdop;
  // The pairing the C/N0 bars show: the i-th PRN of the list with the i-th channel entry.
  const int inView = std::clamp(r.satellitesInView, 0, kChannelCount);
  for (int i = 0; i < inView; ++i) {
    const int32_t prn = r.prnList[i];
    if (prn < 1 || prn > kSatelliteCount) continue;
    s.cn0ByPrn[prn - 1] = static_cast<uint8_t>(std::clamp(r.channels[i].cn0, 0, 255));
  }
  return s;
}

std::string UtcText(const FixSample& s) {
  char text[48];
  if (s.millisecond >= 0) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", s.year, s.month, s.day,
                  s.hour, s.minute, s.second, s.millisecond);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", s.year, s.month, s.day,
                  s.hour, s.minute, s.second);
  }
  return text;
}

const char* FixModeName(int32_t fixMode) {
  switch (fixMode) {
    case 1:
      return "2D";
    case 2:
      return "3D";
    case 3:
      return "3D+";
    default:
      return "";
  }
}

void FixSeries::Add(const FixSample& sample) {
  if (!samples_.empty() && samples_.back().SameEpoch(sample)) {
    samples_.back() = sample;
  } else {
    samples_.push_back(sample);
  }
}

}  // namespace vetra
