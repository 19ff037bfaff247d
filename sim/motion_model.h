#pragma once
// The virtual receiver's world: where its antenna is and which satellites it could see, as pure
// functions of the time since power-on. Everything repeats exactly for the same seed.
//
// The antenna drives a circle around the start point at a steady speed; where it is on the circle
// is a function of the UTC time, so that two virtual receivers started at different moments are
// on one antenna, as two receivers on a splitter are. What the receiver reports is the antenna
// plus its own error, drawn from the seed: a constant bias (up to 1.5 m horizontally, 1.5 m up or
// down), a slow wander (about half a metre over minutes) and a jitter of a few centimetres from
// epoch to epoch, so that two receivers with different seeds differ as two real ones do. The sky
// holds 24 satellites on evenly staggered passes, so that 10 or 11 are above the horizon at any
// moment; each rises at its own azimuth, culminates at its own elevation and sets about 180 degrees
// away, fast enough (a pass lasts about 17 minutes) that the sky view visibly moves. C/N0 follows
// the elevation with a slow wobble.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vetra::sim {

struct SatelliteView {
  int prn = 0;
  double elevationDeg = 0;
  double azimuthDeg = 0;    // 0..360, clockwise from north
  double cn0DbHz = 0;       // what a tracking channel would measure
  double rangeM = 0;        // geometric range to the satellite
  double rangeRateMps = 0;  // positive when the satellite moves away
};

struct AntennaPosition {
  double latitudeDeg = 0;   // signed, north positive
  double longitudeDeg = 0;  // signed, east positive
  double altitudeM = 0;
  double speedKmh = 0;
  double headingDeg = 0;  // 0..360, clockwise from north
};

class MotionModel {
 public:
  static constexpr int kConstellationSize = 24;

  MotionModel(uint32_t seed, double startLatitudeDeg, double startLongitudeDeg, double speedKmh);

  // The reported position at utcSeconds (seconds since 1970): the antenna plus the seed's error.
  AntennaPosition PositionAt(double utcSeconds) const;
  // The satellites above the horizon at that time, in ascending PRN order.
  std::vector<SatelliteView> SkyAt(double seconds) const;
  // The PRNs of the whole constellation (the almanac's satellites), ascending.
  std::vector<int> ConstellationPrns() const;

 private:
  struct Orbit {
    int prn;
    double phaseOffsetS;  // where in its cycle the satellite is at time 0
    double riseAzimuthDeg;
    double sweepDeg;  // azimuth travelled from rise to set
    double maxElevationDeg;
    double wobblePhase;  // C/N0 wobble
  };
  // Elevation and azimuth at time t; false when below the horizon.
  bool Place(const Orbit& orbit, double seconds, double& elevationDeg, double& azimuthDeg) const;

  // The receiver's position error in metres along east, north and up.
  struct Wander {
    double amplitudeM, periodS, phase;
  };
  struct AxisError {
    double biasM;
    std::array<Wander, 2> wander;
  };
  double ErrorAt(size_t axisIndex, double utcSeconds) const;

  std::array<Orbit, kConstellationSize> orbits_{};
  std::array<AxisError, 3> error_{};  // east, north, up
  double startLatitudeDeg_;
  double startLongitudeDeg_;
  double speedMps_;
  uint32_t seed_;
};

// A small deterministic generator (xorshift32) for everything the receiver draws from its seed.
class SeededRandom {
 public:
  explicit SeededRandom(uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // Uniform in [low, high).
  double Uniform(double low, double high) { return low + (high - low) * (Next() / 4294967296.0); }

 private:
  uint32_t state_;
};

}  // namespace vetra::sim
