#include "epoch/epoch.h"

#include <chrono>
#include <cstdio>

namespace vetra {

double Epoch::UtcSeconds() const {
  if (!hasTime()) return kNoValue;
  const double ofDay = static_cast<double>(timeOfDayMs) / 1000.0;
  if (!date) return ofDay;
  using namespace std::chrono;
  const sys_days days{year{date->year} / month{static_cast<unsigned>(date->month)} /
                      day{static_cast<unsigned>(date->day)}};
  return static_cast<double>(days.time_since_epoch().count()) * 86400.0 + ofDay;
}

std::string Epoch::UtcText() const {
  if (!hasTime()) return {};
  const int64_t ms = timeOfDayMs % 1000;
  int64_t s = timeOfDayMs / 1000;
  // A leap second (23:59:60) is the day's 86,400th second: it keeps its own name.
  const bool leap = s >= 86'400;
  if (leap) s = 86'399;
  char text[40];
  if (date) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", date->year, date->month,
                  date->day, static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60 + leap), static_cast<int>(ms));
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03dZ", static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60 + leap),
                  static_cast<int>(ms));
  }
  return text;
}

const char* FixModeText(FixMode mode) {
  switch (mode) {
    case FixMode::TwoD:
      return "2D";
    case FixMode::ThreeD:
      return "3D";
    case FixMode::None:
      break;
  }
  return "no fix";
}

const char* FixQualityText(FixQuality quality) {
  switch (quality) {
    case FixQuality::Invalid:
      return "no fix";
    case FixQuality::Autonomous:
      return "autonomous";
    case FixQuality::Differential:
      return "DGPS";
    case FixQuality::RtkFloat:
      return "RTK float";
    case FixQuality::RtkFixed:
      return "RTK fixed";
    case FixQuality::DeadReckoning:
      return "dead reckoning";
    case FixQuality::Manual:
      return "manual";
    case FixQuality::Simulated:
      return "simulated";
  }
  return "no fix";
}

std::string FixText(FixMode mode, FixQuality quality) {
  std::string text = FixModeText(mode);
  if (mode != FixMode::None && quality != FixQuality::Autonomous &&
      quality != FixQuality::Invalid) {
    text += ' ';
    text += FixQualityText(quality);
  }
  return text;
}

int GpsdMode(FixMode mode) {
  switch (mode) {
    case FixMode::TwoD:
      return 2;
    case FixMode::ThreeD:
      return 3;
    case FixMode::None:
      break;
  }
  return 1;
}

int GpsdStatus(FixQuality quality) {
  switch (quality) {
    case FixQuality::Differential:
      return 2;
    case FixQuality::RtkFixed:
      return 3;
    case FixQuality::RtkFloat:
      return 4;
    case FixQuality::DeadReckoning:
      return 5;
    case FixQuality::Simulated:
      return 8;
    default:
      return 0;
  }
}

}  // namespace vetra
