#pragma once
// What the receiver's commands change, and what its settings replies (F2 86, F2 87) report.
// Defaults are the module's as it leaves the factory, with the line rate and output format it was
// started with; Set Factory Default (08h) returns to them.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_options.h"

namespace vetra::sim {

// NMEA sentence periods in the order of the Configure NMEA command and the system settings reply.
enum NmeaSentenceIndex { kRmc = 0, kVtg, kGga, kGsa, kGsv, kGll, kZda, kNmeaSentenceCount };

struct ModuleSettings {
  int baud = 9600;      // COM1, the port the host is on
  int com2Baud = 9600;  // COM2 is only remembered
  OutputFormat output = OutputFormat::Nmea;
  OutputFormat com2Output = OutputFormat::Disabled;
  bool nmeaChecksum = true;
  uint8_t periods[kNmeaSentenceCount] = {1, 1, 1, 1, 1, 0, 0};  // every n-th epoch, 0 never
  int updateRateHz = 1;

  uint8_t dopMaskMode = 1;  // 0 none, 1 GDOP, 2 PDOP, 3 HDOP
  uint8_t gdopLimit = 25, pdopLimit = 20, hdopLimit = 15;
  uint8_t elevationMaskDeg = 5;
  uint8_t dgps = 0;  // 0 disabled, 1 WAAS/EGNOS
  uint8_t ppsMode = 0, ppsWidthCode = 1, ppsMultiplier = 1;
  int16_t powerSaveSeconds = 0;
  bool deepSleep = false;

  int8_t zoneHours = 0, zoneMinutes = 0, zoneSeconds = 0, dstAdjustHours = 0;
  bool localizedTime = false;

  uint16_t ellipsoidIndex = 0;  // 0 WGS-84; kUserEllipsoid after Set Extended Datum
  double semiMajorAxisM = 6378137.0;
  double inverseFlattening = 298.257223563;
  int16_t datumDx = 0, datumDy = 0, datumDz = 0;

  uint32_t blockedSatellites = 0;  // bit n-1 for PRN n
  uint8_t ledSelect = 0;
  uint32_t ledPatterns[2][4] = {{0x00000003, 0x00300C03, 0x00000005, 0x00501405},
                                {0x00300C03, 0x0000000F, 0x00000000, 0x00000000}};
  uint32_t gpioMask = 0, gpioValue = 0;

  int32_t moduleIds[2] = {70012345, 0};  // production ID, user key ID
  std::string customizedId = "VETRA-SIM";
  uint16_t clockOffset = 0x5C41;
};

inline constexpr uint16_t kUserEllipsoid = 0xFF;

ModuleSettings DefaultSettings(const SimOptions& options);

// The baud-rate codes of Configure IO and of the system settings reply; -1 / 0 when unknown.
int BaudCode(int baud);
int BaudFromCode(int code);

// Ellipsoid by index (Set Datum); false for an index the receiver does not know.
bool EllipsoidOf(uint16_t index, double& semiMajorAxisM, double& inverseFlattening);

// The settings replies' payloads: navigation settings (18 bytes), system settings (48 bytes).
std::vector<uint8_t> NavigationSettingsPayload(const ModuleSettings& s);
std::vector<uint8_t> SystemSettingsPayload(const ModuleSettings& s);

}  // namespace vetra::sim
