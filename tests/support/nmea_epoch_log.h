#pragma once
// Logs of any receiver written by the tests: one epoch as GGA, GSA and RMC of a chosen talker
// ("GP", "GN" ...), with correct checksums, the position's minutes with seven decimals (a fifth of
// a millimetre) and heights with four, so that figures computed from the log can be held to a
// millimetre. Also the position at a known east/north/up offset from another, by the ECEF
// rotation of the geodesy module (decode/geodesy.h).

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "decode/geodesy.h"
#include "support/static_log.h"

namespace vetra::test {

struct LogEpoch {
  double timeOfDayS = 0;  // a tenth of a second at most
  int year = 2026, month = 12, day = 7;
  bool fix = true;
  GeodeticDeg position;  // height above the ellipsoid
  double geoidSeparationM = 47.25;
  double speedMs = 0, trackDeg = 0;
  int ggaQuality = 1;  // 1 GPS, 2 DGPS, 4 RTK fixed, 5 RTK float
};

// The position east/north/up metres from the given one (in its local frame).
inline GeodeticDeg OffsetPosition(const GeodeticDeg& from, double eastM, double northM,
                                  double upM) {
  const double lat = from.latitudeDeg * std::numbers::pi / 180;
  const double lon = from.longitudeDeg * std::numbers::pi / 180;
  const double sinLat = std::sin(lat), cosLat = std::cos(lat);
  const double sinLon = std::sin(lon), cosLon = std::cos(lon);
  std::array<double, 3> ecef = GeodeticToEcef(from);
  ecef[0] += -sinLon * eastM - sinLat * cosLon * northM + cosLat * cosLon * upM;
  ecef[1] += cosLon * eastM - sinLat * sinLon * northM + cosLat * sinLon * upM;
  ecef[2] += cosLat * northM + sinLat * upM;
  return EcefToGeodeticDeg(ecef);
}

inline std::string NmeaEpoch(const std::string& talker, const LogEpoch& e) {
  const long long tenths = std::llround(e.timeOfDayS * 10);
  char time[48];
  std::snprintf(time, sizeof time, "%02lld%02lld%02lld.%01lld", tenths / 36000, tenths / 600 % 60,
                tenths / 10 % 60, tenths % 10);
  char date[32];
  std::snprintf(date, sizeof date, "%02d%02d%02d", e.day, e.month, e.year % 100);
  std::string position = ",,,";
  if (e.fix) {
    double written = 0;
    const double lat = e.position.latitudeDeg, lon = e.position.longitudeDeg;
    position = AngleText(std::fabs(lat), 2, written) + (lat < 0 ? ",S," : ",N,") +
               AngleText(std::fabs(lon), 3, written) + (lon < 0 ? ",W" : ",E");
  }
  char tail[96];
  if (e.fix) {
    std::snprintf(tail, sizeof tail, ",%d,10,0.8,%.4f,M,%.4f,M,,", e.ggaQuality,
                  e.position.heightM - e.geoidSeparationM, e.geoidSeparationM);
  } else {
    std::snprintf(tail, sizeof tail, ",0,00,,,M,,M,,");
  }
  std::string log = NmeaSentence(talker + "GGA," + time + "," + position + tail);
  log += NmeaSentence(talker + (e.fix ? "GSA,A,3,02,05,09,12,15,18,21,25,,,,,1.5,0.8,1.2"
                                      : "GSA,A,1,,,,,,,,,,,,,,,"));
  char motion[48];
  std::snprintf(motion, sizeof motion, ",%.3f,%.2f,", e.speedMs * 3600 / 1852, e.trackDeg);
  log += NmeaSentence(talker + "RMC," + time + (e.fix ? ",A," : ",V,") + position +
                      (e.fix ? std::string(motion) : std::string(",,,")) + date + ",,");
  return log;
}

}  // namespace vetra::test
