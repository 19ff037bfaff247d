#pragma once
// Satellite identities across systems, in gpsd's conventions (gpsd_json(5), checked against
// gpsdecode): a satellite is its system ("gnssid") and its number within the system ("svid"), and
// it also has one "PRN" across all systems:
//   GPS 1-32 -> PRN 1-32                 SBAS (NMEA 33-64) -> PRN 33-64, svid 120-151
//   SBAS 120-158 -> PRN and svid 120-158  GLONASS (NMEA 65-96, or 1-32 on a GL talker) -> PRN 65-96
//   Galileo (GA talker 1-36, 301-336) -> PRN 301-336
//   BeiDou (GB/BD talker 1-63, 201-263, 401-463) -> PRN 401-463
//   QZSS (NMEA 193-200, GQ talker 1-10) -> PRN 193-202, svid 1-10
// 201 and 202 are BeiDou on any talker (a "$GNGSA" lists BeiDou as 201-235), as gpsd reads them.
//   NavIC (GI talker 1-14) -> PRN 801-814
// The NMEA number alone is ambiguous (33 is SBAS in a GPS sentence); the talker or the system id
// of NMEA 4.10 settles it.

#include <optional>

#include "epoch/epoch.h"

namespace vetra {

struct SatelliteId {
  GnssSystem system = GnssSystem::Gps;
  int svid = 0;
  int prn = 0;
  bool operator==(const SatelliteId&) const = default;
};

// A satellite as a GSV or GSA numbers it; system: the talker's system or the sentence's system id
// (nullopt for "GN", where the number alone decides). nullopt for a number no system has.
std::optional<SatelliteId> SatelliteFromNmea(int number, std::optional<GnssSystem> system);

// The system of an NMEA 4.10 system id (1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou, 5 QZSS, 6 NavIC).
std::optional<GnssSystem> SystemOfNmeaId(int systemId);

}  // namespace vetra
