#pragma once
// Two logs of one drive with known answers: a reference receiver ("$GN", 10 Hz, RTK fixed) going
// round a circle of 1 km radius at 5 m/s, and a receiver under test ("$GP", 1 Hz) whose positions
// are the reference's at the same time plus known east/north/up errors (and the lever arm, when
// given, turned by the track). The drive starts at 23:55 UTC and crosses midnight; the test log
// starts with three epochs without a fix and sends nothing from 200 to 209 s; the reference has
// no epoch at 100.0 s (the test epoch there is interpolated) and none from 400.1 to 402.4 s
// (2.5 s: the test epochs at 401 and 402 s have no reference).

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "support/nmea_epoch_log.h"

namespace vetra::test {

struct DriveOptions {
  int seconds = 600;
  double forwardM = 0, rightM = 0, upM = 0;  // the test antenna from the reference antenna
};

struct KnownError {
  int second = 0;
  bool compared = false;
  double eastM = 0, northM = 0, upM = 0, alongM = 0, crossM = 0;
};

struct DriveLogs {
  std::string test, reference;
  std::vector<KnownError> known;  // one per test epoch
};

inline constexpr double kDriveStartS = 23 * 3600 + 55 * 60;

inline GeodeticDeg DrivePosition(double t) {
  static const GeodeticDeg centre{48.137, 11.575, 520.0};
  const double angle = 5.0 * t / 1000.0;
  GeodeticDeg p = OffsetPosition(centre, 1000 * std::cos(angle), 1000 * std::sin(angle), 0);
  p.heightM = 520 + 2 * std::sin(0.01 * t);
  return p;
}

// The track in the position's own frame, from where the drive is a moment later.
inline double DriveTrackDeg(double t) {
  const EnuOffset ahead = EnuFrom(DrivePosition(t), GeodeticToEcef(DrivePosition(t + 0.001)));
  const double track = std::atan2(ahead.eastM, ahead.northM) * 180 / std::numbers::pi;
  return track < 0 ? track + 360 : track;
}

inline LogEpoch DriveEpoch(double t, const GeodeticDeg& position, bool fix) {
  LogEpoch e;
  const double utc = kDriveStartS + t;
  e.timeOfDayS = std::fmod(utc, 86400);
  if (utc >= 86400) e.day = 8;
  e.fix = fix;
  e.position = position;
  e.speedMs = 5;
  e.trackDeg = DriveTrackDeg(t);
  return e;
}

inline DriveLogs Drive(const DriveOptions& options = {}) {
  DriveLogs logs;
  for (int i = 0; i < options.seconds * 10; ++i) {
    if (i == 1000 || (i > 4000 && i < 4025)) continue;
    LogEpoch e = DriveEpoch(i / 10.0, DrivePosition(i / 10.0), true);
    e.ggaQuality = 4;
    logs.reference += NmeaEpoch("GN", e);
  }
  for (int s = 0; s < options.seconds; ++s) {
    if (s >= 200 && s < 210) continue;
    KnownError k;
    k.second = s;
    k.eastM = 0.3 + 0.8 * std::cos(0.7 * s);
    k.northM = -0.2 + 0.5 * std::sin(1.3 * s);
    k.upM = 0.5 + 1.0 * std::sin(0.37 * s);
    const double track = DriveTrackDeg(s) * std::numbers::pi / 180;
    k.alongM = k.eastM * std::sin(track) + k.northM * std::cos(track);
    k.crossM = k.eastM * std::cos(track) - k.northM * std::sin(track);
    const double leverEast = options.forwardM * std::sin(track) + options.rightM * std::cos(track);
    const double leverNorth = options.forwardM * std::cos(track) - options.rightM * std::sin(track);
    const bool fix = s >= 3;
    k.compared = fix && s != 401 && s != 402;
    const GeodeticDeg position = OffsetPosition(DrivePosition(s), k.eastM + leverEast,
                                                k.northM + leverNorth, k.upM + options.upM);
    logs.test += NmeaEpoch("GP", DriveEpoch(s, position, fix));
    logs.known.push_back(k);
  }
  return logs;
}

}  // namespace vetra::test
