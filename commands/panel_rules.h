#pragma once
// What the command panels do by themselves, apart from sending: the choice lists that follow the
// access level and the chip, the LED pattern presets, the refusal of "Production ID" to ordinary
// users, the Block Sats Select All / Reset All buttons and the Restart panel's date, time and
// position fills. Pure functions of the panel values (time and position come as arguments).

#include <cstdint>
#include <string>
#include <vector>

#include "commands/panels.h"
#include "model/nav_record.h"
#include "util/messages.h"

namespace vetra {

// --- Access level and chip -------------------------------------------------------------------

// Start-up rules of the panels for an access level: rgBaud reduced to 2400..19200 for an ordinary
// user; at the engineer level (the only one that lists Block Sats) the Block Sats actions become
// the K700 list. Call once, after the panels were created with their defaults.
void ApplyAccessLevel(Panels& panels, int accessLevel);

// Baud items of Configure IO at an access level.
std::vector<std::string> ConfigureIoBaudItems(int accessLevel);

// The Block Sats action items of a chip, position 0 first.
std::vector<std::string> BlockActionItems(Chip chip);

// The chip choice was clicked: the restart modes are rebuilt when the chip's list is not there yet
// (the K700 form item "COLD Deep" becomes "COLD deep" after a round trip through K900); the block
// actions are rebuilt every time and no action is chosen afterwards.
void ApplyChip(Panels& panels, Chip chip);
void RebuildRestartModes(pnRestartPanel& panel, Chip chip);
// Columns of the restart mode choice: two for the seven K900 modes, one otherwise.
int RestartModeColumns(const pnRestartPanel& panel);

// The restart mode code sent for the chosen item: position + 1, except K700's fourth item (7).
uint8_t RestartModeCode(int position, Chip chip);

// --- Panel events ------------------------------------------------------------------------------

// rgCustomizedLEDClick: the preset of the chosen LED replaces the four patterns.
void ApplyLedPreset(pnCustomizedLEDPanel& panel);
struct LedPreset {
  const char* patterns[4];
};
LedPreset LedPresetFor(int ledPosition);

// rgIDClick (also wired to rgCID): below the production level "Production ID" is refused with an
// information box and the choice returns to "User Key ID". Returns whether it refused.
bool ApplyIdKindRule(pnIDPanel& panel, int accessLevel, IMessages& messages);
inline constexpr const char* kModuleIdRefusedText = "Module ID need preliviledge!";
inline constexpr const char* kModuleIdRefusedTitle = "Vetra Viewer";

// btSelectAllClick / btUnSelectAllClick: check or uncheck every box; colours stay.
void SelectAllSatellites(pnBlkSatsPanel& panel);
void UnselectAllSatellites(pnBlkSatsPanel& panel);

// --- Restart panel fills -----------------------------------------------------------------------

// The six date and time boxes from a UTC time (seconds since the epoch), as plain decimals.
// pnRestartResize does this when the panel is first placed; the Sync button does it too.
void FillRestartDateTime(pnRestartPanel& panel, int64_t utcSeconds);
// btSyncTimeClick: date and time as above, and the last position (signed decimal degrees) in the
// DDMM / DDDMM forms that the Restart encoder reads back.
void SyncRestart(pnRestartPanel& panel, int64_t utcSeconds, double latitudeDeg,
                 double longitudeDeg);
// "-" for a negative value, the whole degrees, then the whole minutes as exactly two digits:
// 49.2167 -> "4913", -123.1 -> "-12306".
std::string DegreesToDegreesMinutes(double degrees);

// The position Sync takes from a navigation record, in signed decimal degrees: the receiver's own
// digits where it gave them, else the record's magnitudes with their hemisphere letters.
struct SignedPosition {
  double latitudeDeg = 0;
  double longitudeDeg = 0;
};
SignedPosition PositionOf(const TNavRecord& record);

}  // namespace vetra
