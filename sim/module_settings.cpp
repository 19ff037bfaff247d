#include "sim/module_settings.h"

#include <iterator>

#include "sim/payload_fields.h"

namespace vetra::sim {

namespace {
struct BaudCodeRow {
  int code;
  int baud;
};
constexpr BaudCodeRow kBaudCodes[] = {{0, 4800},  {1, 9600},   {2, 19200}, {3, 38400},
                                      {4, 57600}, {5, 115200}, {6, 2400}};

struct Ellipsoid {
  double semiMajorAxisM;
  double inverseFlattening;
};
// WGS-84, GRS-80, Clarke 1866, International 1924, Bessel 1841, Airy 1830, Krassovsky 1940.
constexpr Ellipsoid kEllipsoids[] = {{6378137.0, 298.257223563}, {6378137.0, 298.257222101},
                                     {6378206.4, 294.9786982},   {6378388.0, 297.0},
                                     {6377397.155, 299.1528128}, {6377563.396, 299.3249646},
                                     {6378245.0, 298.3}};
}  // namespace

ModuleSettings DefaultSettings(const SimOptions& options) {
  ModuleSettings s;
  s.baud = options.baud;
  s.output = options.binaryOutput ? OutputFormat::Binary : OutputFormat::Nmea;
  return s;
}

int BaudCode(int baud) {
  for (const BaudCodeRow& row : kBaudCodes) {
    if (row.baud == baud) return row.code;
  }
  return -1;
}

int BaudFromCode(int code) {
  for (const BaudCodeRow& row : kBaudCodes) {
    if (row.code == code) return row.baud;
  }
  return 0;
}

bool EllipsoidOf(uint16_t index, double& semiMajorAxisM, double& inverseFlattening) {
  if (index >= std::size(kEllipsoids)) return false;
  semiMajorAxisM = kEllipsoids[index].semiMajorAxisM;
  inverseFlattening = kEllipsoids[index].inverseFlattening;
  return true;
}

std::vector<uint8_t> NavigationSettingsPayload(const ModuleSettings& s) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.U8(static_cast<uint8_t>(s.updateRateHz));
  w.U8(s.dopMaskMode);
  w.U8(s.gdopLimit);
  w.U8(s.pdopLimit);
  w.U8(s.hdopLimit);
  w.U8(s.elevationMaskDeg);
  w.U8(s.dgps);
  w.U8(s.ppsMode);
  w.U8(s.ppsWidthCode);
  w.U8(s.ppsMultiplier);
  w.I16(s.powerSaveSeconds);
  w.Zeros(6);
  return p;
}

std::vector<uint8_t> SystemSettingsPayload(const ModuleSettings& s) {
  std::vector<uint8_t> p;
  PayloadWriter w(p);
  w.I8(static_cast<int8_t>(BaudCode(s.baud)));
  w.I8(static_cast<int8_t>(BaudCode(s.com2Baud)));
  w.U8(s.nmeaChecksum ? 1 : 0);
  for (uint8_t period : s.periods) w.U8(period);  // RMC, VTG, GGA, GSA, GSV, GLL, ZDA
  w.U8(static_cast<uint8_t>(s.output));
  w.I8(s.zoneHours);
  w.I8(s.zoneMinutes);
  w.I8(s.zoneSeconds);
  w.I8(s.dstAdjustHours);
  w.U8(s.localizedTime ? 1 : 0);
  w.U16(s.ellipsoidIndex);
  w.F64(s.semiMajorAxisM);
  w.F64(s.inverseFlattening);
  w.I16(s.datumDx);
  w.I16(s.datumDy);
  w.I16(s.datumDz);
  w.Zeros(8);
  return p;
}

}  // namespace vetra::sim
