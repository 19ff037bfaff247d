#pragma once
// Epochs as the epoch reader makes them, built by hand: a whole 3D fix of the receiver with every
// value given, which a test then takes values out of.

#include <string>

#include "epoch/epoch.h"

namespace vetra::testing {

inline EpochSatellite Satellite(GnssSystem system, int svid, int prn, double cn0, bool used) {
  EpochSatellite s;
  s.system = system;
  s.svid = svid;
  s.prn = prn;
  s.elevationDeg = 10 + svid;
  s.azimuthDeg = 100 + svid;
  s.cn0DbHz = cn0;
  s.used = used;
  return s;
}

// 2024-05-01 12:00:01.250, 3D DGPS fix at 49.2827 N 123.1207 W, 12.3 m MSL, separation -17.1 m.
inline Epoch WholeEpoch() {
  Epoch e;
  e.talker = "GN";
  e.timeOfDayMs = (12 * 3600 + 1) * 1000 + 250;
  e.date = UtcDate{2024, 5, 1};
  e.mode = FixMode::ThreeD;
  e.quality = FixQuality::Differential;
  e.latitudeDeg = 49 + 16.9620123 / 60;
  e.longitudeDeg = -(123 + 7.2420456 / 60);
  e.altitudeMslM = 12.3;
  e.geoidSeparationM = -17.1;
  e.speedMs = 9.9997;
  e.trackDeg = 93.1;
  e.climbMs = 0.2;
  e.hdop = 0.98, e.vdop = 1.31, e.pdop = 1.64;
  e.xdop = 0.7, e.ydop = 0.68, e.tdop = 0.9, e.gdop = 1.87;
  e.eph = 3.2, e.epv = 5.3, e.epx = 2.1, e.epy = 2.4, e.ept = 0.005;
  e.satellitesUsed = 2;
  e.satellites = {Satellite(GnssSystem::Gps, 3, 3, 31, true),
                  Satellite(GnssSystem::Gps, 4, 4, kNoValue, false)};
  e.hasSky = true;
  return e;
}

}  // namespace vetra::testing
