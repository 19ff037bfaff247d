#include "commands/panel_rules.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "model/access_level.h"

namespace vetra {

std::vector<std::string> ConfigureIoBaudItems(int accessLevel) {
  const size_t count = OffersEveryBaudRate(accessLevel) ? kBaudItems.size() : 4;
  return {kBaudItems.begin(), kBaudItems.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::vector<std::string> BlockActionItems(Chip chip) {
  if (chip == Chip::K900) return {"Enable", "Disable", "Restart", "Restart EPHS", "Respoition"};
  return {"Enable", "Restart", "Disable"};
}

void ApplyAccessLevel(Panels& panels, int accessLevel) {
  panels.pnCfgIO.rgBaudItems = ConfigureIoBaudItems(accessLevel);
  if (panels.pnCfgIO.rgBaud >= static_cast<int>(panels.pnCfgIO.rgBaudItems.size())) {
    panels.pnCfgIO.rgBaud = 1;  // "4800", the panel's first choice
  }
  if (ListsChipBlockActions(accessLevel)) {
    panels.pnBlkSats.rgBlkActionItems = BlockActionItems(Chip::K700);
    panels.pnBlkSats.rgBlkAction = kNoChoice;
  }
}

void RebuildRestartModes(pnRestartPanel& panel, Chip chip) {
  auto& items = panel.SetStartModeItems;
  if (chip == Chip::K900 && items.size() <= 4) {
    if (items.size() > 3) items.erase(items.begin() + 3);
    for (const char* mode : {"TEST", "HOT wPos", "WARM wPos", "COLD deep"})
      items.emplace_back(mode);
  } else if (chip == Chip::K700 && items.size() > 4) {
    items.resize(3);
    items.emplace_back("COLD deep");
  }
  // A choice that no longer exists falls back to "HOT" rather than to no mode at all.
  if (panel.SetStartMode >= static_cast<int>(items.size()) || panel.SetStartMode < 0) {
    panel.SetStartMode = 0;
  }
}

int RestartModeColumns(const pnRestartPanel& panel) {
  return panel.SetStartModeItems.size() > 4 ? 2 : 1;
}

void ApplyChip(Panels& panels, Chip chip) {
  RebuildRestartModes(panels.pnRestart, chip);
  panels.pnBlkSats.rgBlkActionItems = BlockActionItems(chip);
  panels.pnBlkSats.rgBlkAction = kNoChoice;
}

uint8_t RestartModeCode(int position, Chip chip) {
  const int code = position + 1;
  if (chip == Chip::K700 && code == 4) return 7;
  return static_cast<uint8_t>(code);
}

LedPreset LedPresetFor(int ledPosition) {
  if (ledPosition == 1) return {{"00300C03", "0000000F", "00000000", "00000000"}};
  return {{"00000003", "00300C03", "00000005", "00501405"}};
}

void ApplyLedPreset(pnCustomizedLEDPanel& panel) {
  const LedPreset preset = LedPresetFor(panel.rgCustomizedLED);
  panel.lbCustomizedPtn1 = preset.patterns[0];
  panel.lbCustomizedPtn2 = preset.patterns[1];
  panel.lbCustomizedPtn3 = preset.patterns[2];
  panel.lbCustomizedPtn4 = preset.patterns[3];
}

bool ApplyIdKindRule(pnIDPanel& panel, int accessLevel, IMessages& messages) {
  if (MayChooseProductionId(accessLevel) || panel.rgID != kProductionId) return false;
  messages.Show(kModuleIdRefusedText, kModuleIdRefusedTitle, IMessages::Kind::Information);
  panel.rgID = kUserKeyId;
  return true;
}

void SelectAllSatellites(pnBlkSatsPanel& panel) { panel.cbPRN.fill(true); }
void UnselectAllSatellites(pnBlkSatsPanel& panel) { panel.cbPRN.fill(false); }

void FillRestartDateTime(pnRestartPanel& panel, int64_t utcSeconds) {
  using namespace std::chrono;
  const sys_seconds time{seconds{utcSeconds}};
  const auto day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  panel.RSTyear = std::to_string(static_cast<int>(date.year()));
  panel.RSTmonth = std::to_string(static_cast<unsigned>(date.month()));
  panel.RSTday = std::to_string(static_cast<unsigned>(date.day()));
  panel.RSThour = std::to_string(clock.hours().count());
  panel.RSTminute = std::to_string(clock.minutes().count());
  panel.RSTsecond = std::to_string(clock.seconds().count());
}

std::string DegreesToDegreesMinutes(double degrees) {
  const double magnitude = std::fabs(degrees);
  // Positions arrive as single-precision degrees: 123.1 is stored as 123.0999985, a ten-thousandth
  // of a minute short of 123 06'. A minute boundary closer than 1/1000 minute (under 2 m) counts
  // as reached, so the whole minutes come out as typed.
  const auto totalMinutes = static_cast<long long>(std::floor(magnitude * 60.0 + 1e-3));
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld%02lld", degrees < 0 ? "-" : "", totalMinutes / 60,
                totalMinutes % 60);
  return text;
}

SignedPosition PositionOf(const TNavRecord& record) {
  const auto signedDegrees = [](double exact, float magnitude, char hemisphere) {
    if (!std::isnan(exact)) return exact;
    const double degrees = magnitude;
    return hemisphere == 'S' || hemisphere == 'W' ? -degrees : degrees;
  };
  return {
      signedDegrees(record.exact.latitudeDeg, record.latitudeDeg, record.latitudeHemisphere),
      signedDegrees(record.exact.longitudeDeg, record.longitudeDeg, record.longitudeHemisphere)};
}

void SyncRestart(pnRestartPanel& panel, int64_t utcSeconds, double latitudeDeg,
                 double longitudeDeg) {
  FillRestartDateTime(panel, utcSeconds);
  panel.RSTLat = DegreesToDegreesMinutes(latitudeDeg);
  panel.RSTLong = DegreesToDegreesMinutes(longitudeDeg);
}

}  // namespace vetra
