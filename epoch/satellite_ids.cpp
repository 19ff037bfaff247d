#include "epoch/satellite_ids.h"

namespace vetra {

namespace {

SatelliteId Id(GnssSystem system, int svid, int prn) { return {system, svid, prn}; }

// The numbers every talker shares: GPS, SBAS, GLONASS and the ranges of NMEA 4.11 and gpsd.
std::optional<SatelliteId> ByNumber(int n) {
  if (n >= 1 && n <= 32) return Id(GnssSystem::Gps, n, n);
  if (n >= 33 && n <= 64) return Id(GnssSystem::Sbas, n + 87, n);
  if (n >= 65 && n <= 96) return Id(GnssSystem::Glonass, n - 64, n);
  if (n >= 120 && n <= 158) return Id(GnssSystem::Sbas, n, n);
  if (n >= 193 && n <= 200) return Id(GnssSystem::Qzss, n - 192, n);
  if (n >= 201 && n <= 263) return Id(GnssSystem::Beidou, n - 200, n + 200);
  if (n >= 301 && n <= 336) return Id(GnssSystem::Galileo, n - 300, n);
  if (n >= 401 && n <= 463) return Id(GnssSystem::Beidou, n - 400, n);
  return std::nullopt;
}

}  // namespace

std::optional<SatelliteId> SatelliteFromNmea(int n, std::optional<GnssSystem> system) {
  if (n <= 0) return std::nullopt;
  if (!system) return ByNumber(n);
  switch (*system) {
    case GnssSystem::Glonass:
      if (n <= 32) return Id(GnssSystem::Glonass, n, n + 64);
      break;
    case GnssSystem::Galileo:
      if (n <= 36) return Id(GnssSystem::Galileo, n, n + 300);
      break;
    case GnssSystem::Beidou:
      if (n <= 63) return Id(GnssSystem::Beidou, n, n + 400);
      if (n >= 201 && n <= 263) return Id(GnssSystem::Beidou, n - 200, n + 200);
      break;
    case GnssSystem::Qzss:
      if (n <= 10) return Id(GnssSystem::Qzss, n, n + 192);
      break;
    case GnssSystem::Navic:
      if (n <= 14) return Id(GnssSystem::Navic, n, n + 800);
      break;
    default:
      break;
  }
  return ByNumber(n);
}

std::optional<GnssSystem> SystemOfNmeaId(int systemId) {
  switch (systemId) {
    case 1:
      return GnssSystem::Gps;
    case 2:
      return GnssSystem::Glonass;
    case 3:
      return GnssSystem::Galileo;
    case 4:
      return GnssSystem::Beidou;
    case 5:
      return GnssSystem::Qzss;
    case 6:
      return GnssSystem::Navic;
    default:
      return std::nullopt;
  }
}

}  // namespace vetra
