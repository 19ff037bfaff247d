#include "sim/motion_model.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vetra::sim {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kEarthRadiusM = 6371000.0;
constexpr double kOrbitRadiusM = 26560000.0;
constexpr double kMetresPerDegree = 111320.0;
// 24 passes staggered by 100 s over a 2400 s cycle, each 1050 s long: 10 or 11 in view.
constexpr double kCycleS = 2400.0;
constexpr double kPassS = 1050.0;
constexpr double kCircleRadiusM = 500.0;
// A real pass lasts about six hours; this sky runs about 20 times faster so that the sky view
// moves. Range rates (and so Doppler) are scaled back to what the real sky would give.
constexpr double kSkySpeedup = 20.0;

double RangeAt(double elevationDeg) {
  const double s = std::sin(elevationDeg * kDegToRad);
  const double c = std::cos(elevationDeg * kDegToRad);
  return std::sqrt(kOrbitRadiusM * kOrbitRadiusM - kEarthRadiusM * kEarthRadiusM * c * c) -
         kEarthRadiusM * s;
}
}  // namespace

MotionModel::MotionModel(uint32_t seed, double startLatitudeDeg, double startLongitudeDeg,
                         double speedKmh)
    : startLatitudeDeg_(startLatitudeDeg),
      startLongitudeDeg_(startLongitudeDeg),
      speedMps_(speedKmh / 3.6) {
  SeededRandom random(seed);
  std::array<int, 32> prns{};
  std::iota(prns.begin(), prns.end(), 1);
  for (int i = 31; i > 0; --i) std::swap(prns[i], prns[random.Next() % (i + 1)]);
  for (int k = 0; k < kConstellationSize; ++k) {
    Orbit& o = orbits_[k];
    o.prn = prns[k];
    // Start part-way into the cycle so that satellites are already up at power-on.
    o.phaseOffsetS = k * (kCycleS / kConstellationSize) + random.Uniform(0, 5);
    o.riseAzimuthDeg = random.Uniform(0, 360);
    o.sweepDeg = random.Uniform(120, 240);
    o.maxElevationDeg = random.Uniform(25, 88);
    o.wobblePhase = random.Uniform(0, 2 * kPi);
  }
}

AntennaPosition MotionModel::PositionAt(double seconds) const {
  AntennaPosition p;
  const double omega = speedMps_ / kCircleRadiusM;
  const double theta = omega * seconds;
  const double eastM = kCircleRadiusM * std::sin(theta);
  const double northM = kCircleRadiusM * (std::cos(theta) - 1.0);
  p.latitudeDeg = startLatitudeDeg_ + northM / kMetresPerDegree;
  p.longitudeDeg =
      startLongitudeDeg_ + eastM / (kMetresPerDegree * std::cos(startLatitudeDeg_ * kDegToRad));
  p.altitudeM = 70.0 + 5.0 * std::sin(seconds / 60.0);
  p.speedKmh = speedMps_ * 3.6;
  if (speedMps_ > 0) {
    double heading = std::atan2(std::cos(theta), -std::sin(theta)) / kDegToRad;
    if (heading < 0) heading += 360.0;
    p.headingDeg = heading;
  }
  return p;
}

bool MotionModel::Place(const Orbit& o, double seconds, double& elevationDeg,
                        double& azimuthDeg) const {
  double phase = std::fmod(seconds + o.phaseOffsetS, kCycleS);
  if (phase < 0) phase += kCycleS;
  if (phase >= kPassS) return false;
  const double u = phase / kPassS;  // 0 at rise, 1 at set
  elevationDeg = o.maxElevationDeg * std::sin(kPi * u);
  azimuthDeg = std::fmod(o.riseAzimuthDeg + o.sweepDeg * u, 360.0);
  return true;
}

std::vector<SatelliteView> MotionModel::SkyAt(double seconds) const {
  std::vector<SatelliteView> sky;
  for (const Orbit& o : orbits_) {
    double elevation = 0;
    double azimuth = 0;
    if (!Place(o, seconds, elevation, azimuth)) continue;
    SatelliteView v;
    v.prn = o.prn;
    v.elevationDeg = elevation;
    v.azimuthDeg = azimuth;
    v.cn0DbHz = 28.0 + 20.0 * std::sin(elevation * kDegToRad) +
                2.5 * std::sin(2 * kPi * seconds / 97.0 + o.wobblePhase) +
                1.2 * std::sin(2 * kPi * seconds / 13.0 + 2 * o.wobblePhase);
    v.rangeM = RangeAt(elevation);
    double laterElevation = elevation;
    double laterAzimuth = azimuth;
    if (Place(o, seconds + 1.0, laterElevation, laterAzimuth)) {
      v.rangeRateMps = (RangeAt(laterElevation) - v.rangeM) / kSkySpeedup;
    } else {
      v.rangeRateMps = (RangeAt(0.0) - v.rangeM) / kSkySpeedup;  // setting within the second
    }
    sky.push_back(v);
  }
  std::sort(sky.begin(), sky.end(),
            [](const SatelliteView& a, const SatelliteView& b) { return a.prn < b.prn; });
  return sky;
}

std::vector<int> MotionModel::ConstellationPrns() const {
  std::vector<int> prns;
  for (const Orbit& o : orbits_) prns.push_back(o.prn);
  std::sort(prns.begin(), prns.end());
  return prns;
}

}  // namespace vetra::sim
