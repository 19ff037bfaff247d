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
      speedMps_(speedKmh / 3.6),
      seed_(seed) {
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
  // Drawn after the sky, so that a seed keeps the sky it always had.
  const double biasM = random.Uniform(0.3, 1.5);
  const double biasDirection = random.Uniform(0, 2 * kPi);
  error_[0].biasM = biasM * std::sin(biasDirection);
  error_[1].biasM = biasM * std::cos(biasDirection);
  error_[2].biasM = random.Uniform(-1.5, 1.5);
  for (AxisError& axis : error_) {
    for (Wander& w : axis.wander) {
      w = {random.Uniform(0.1, 0.4), random.Uniform(40, 300), random.Uniform(0, 2 * kPi)};
    }
  }
}

double MotionModel::ErrorAt(size_t axisIndex, double utcSeconds) const {
  const AxisError& axis = error_[axisIndex];
  double errorM = axis.biasM;
  for (const Wander& w : axis.wander) {
    errorM += w.amplitudeM * std::sin(2 * kPi * utcSeconds / w.periodS + w.phase);
  }
  // The jitter: fresh for every tenth of a second (the fastest epoch rate), the same when asked
  // again for the same time.
  const auto tenth = static_cast<uint32_t>(static_cast<int64_t>(std::floor(utcSeconds * 10.0)));
  SeededRandom jitter(tenth * 2654435761u ^
                      (seed_ * 40503u + static_cast<uint32_t>(axisIndex) * 97u + 1u));
  jitter.Next();
  return errorM + jitter.Uniform(-0.05, 0.05);
}

AntennaPosition MotionModel::PositionAt(double utcSeconds) const {
  AntennaPosition p;
  const double omega = speedMps_ / kCircleRadiusM;
  // The lap in progress, so that the angle keeps its precision.
  const double lapS = omega > 0 ? 2 * kPi / omega : 1.0;
  const double theta = omega * std::fmod(utcSeconds, lapS);
  const double eastM = kCircleRadiusM * std::sin(theta) + ErrorAt(0, utcSeconds);
  const double northM = kCircleRadiusM * (std::cos(theta) - 1.0) + ErrorAt(1, utcSeconds);
  p.latitudeDeg = startLatitudeDeg_ + northM / kMetresPerDegree;
  p.longitudeDeg =
      startLongitudeDeg_ + eastM / (kMetresPerDegree * std::cos(startLatitudeDeg_ * kDegToRad));
  p.altitudeM =
      70.0 + 5.0 * std::sin(std::fmod(utcSeconds, 120 * kPi) / 60.0) + ErrorAt(2, utcSeconds);
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
