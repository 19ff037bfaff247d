#include "decode/geodesy.h"

#include <cmath>
#include <numbers>

namespace vetra {

namespace {

// WGS-84, with the exact values the receiver's tools use. The semi-major axis is held in single
// precision (6378137 is exact in a float, so the value does not change).
constexpr float kSemiMajor = 6378137.0f;
constexpr double kSemiMinor = 6356752.314245179;
constexpr double kEccentricitySq = 0.006694379990141317;
constexpr double kSecondEccSqTimesB = 42841.31151331357;
constexpr double kEccSqTimesA = 42697.67270717997;
constexpr double kAxisThresholdSq = 1e-10;  // square metres
constexpr double kQuarterTurn = 1.5707963267949;

}  // namespace

void ecefToGeodetic(const double ecef[3], double out[3]) {
  const double x = ecef[0];
  const double y = ecef[1];
  const double z = ecef[2];
  const double a = kSemiMajor;
  const double s = x * x + y * y;
  if (s > kAxisThresholdSq) {
    const double p = std::sqrt(s);
    const double u = a * z;
    const double v = kSemiMinor * p;
    const double r = std::sqrt(u * u + v * v);
    const double sinTheta = u / r;
    const double cosTheta = v / r;
    const double latitude = std::atan((z + kSecondEccSqTimesB * sinTheta * sinTheta * sinTheta) /
                                      (p - kEccSqTimesA * cosTheta * cosTheta * cosTheta));
    const double sinLat = std::sin(latitude);
    const double n = a / std::sqrt(1 - kEccentricitySq * sinLat * sinLat);
    out[0] = latitude;
    out[1] = std::atan2(y, x);
    out[2] = p / std::cos(latitude) - n;
  } else {
    // On the polar axis the longitude has no meaning and Bowring's step would divide by zero.
    out[0] = z >= 0 ? kQuarterTurn : -kQuarterTurn;
    out[1] = 0;
    out[2] = std::fabs(z) - kSemiMinor;
  }
}

std::array<double, 3> ecefToGeodetic(const std::array<double, 3>& ecef) {
  std::array<double, 3> out{};
  ecefToGeodetic(ecef.data(), out.data());
  return out;
}

namespace {
constexpr double kRadiansPerDegree = std::numbers::pi / 180;
}

std::array<double, 3> GeodeticToEcef(const GeodeticDeg& position) {
  const double lat = position.latitudeDeg * kRadiansPerDegree;
  const double lon = position.longitudeDeg * kRadiansPerDegree;
  const double sinLat = std::sin(lat);
  const double cosLat = std::cos(lat);
  const double n = kSemiMajor / std::sqrt(1 - kEccentricitySq * sinLat * sinLat);
  const double h = position.heightM;
  return {(n + h) * cosLat * std::cos(lon), (n + h) * cosLat * std::sin(lon),
          (n * (1 - kEccentricitySq) + h) * sinLat};
}

GeodeticDeg EcefToGeodeticDeg(const std::array<double, 3>& ecef) {
  const std::array<double, 3> g = ecefToGeodetic(ecef);
  return {g[0] / kRadiansPerDegree, g[1] / kRadiansPerDegree, g[2]};
}

EnuOffset EnuFrom(const GeodeticDeg& reference, const std::array<double, 3>& pointEcef) {
  const std::array<double, 3> origin = GeodeticToEcef(reference);
  const double dx = pointEcef[0] - origin[0];
  const double dy = pointEcef[1] - origin[1];
  const double dz = pointEcef[2] - origin[2];
  const double lat = reference.latitudeDeg * kRadiansPerDegree;
  const double lon = reference.longitudeDeg * kRadiansPerDegree;
  const double sinLat = std::sin(lat), cosLat = std::cos(lat);
  const double sinLon = std::sin(lon), cosLon = std::cos(lon);
  return {-sinLon * dx + cosLon * dy, -sinLat * cosLon * dx - sinLat * sinLon * dy + cosLat * dz,
          cosLat * cosLon * dx + cosLat * sinLon * dy + sinLat * dz};
}

}  // namespace vetra
