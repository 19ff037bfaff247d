#pragma once
// The access level: a signed number fixed at start-up ("Host" and "Engineer" in the settings file,
// app/access_controls.h) that decides which commands the tree lists and which controls are shown.
// Every rule that depends on it is one of the named predicates below; nothing else compares a
// level with a number.

#include <algorithm>
#include <array>

namespace vetra {

// The levels that exist, lowest first, named after what each one adds.
inline constexpr int kHostLevel = -1;       // host mode: the six commands a host needs
inline constexpr int kUserLevel = 0;        // an ordinary user: datum, NMEA, locale
inline constexpr int kDatumLevel = 1;       // adds Set Extended Datum
inline constexpr int kServiceLevel = 5;     // adds the self-test, the IDs and the receiver options
inline constexpr int kTraceLevel = 6;       // adds the customized ID and LED, the trace commands
inline constexpr int kProductionLevel = 8;  // may also set the production module ID
inline constexpr int kEngineerLevel = 16;   // every command and control
inline constexpr std::array<int, 7> kAccessLevels{kHostLevel,    kUserLevel,  kDatumLevel,
                                                  kServiceLevel, kTraceLevel, kProductionLevel,
                                                  kEngineerLevel};

constexpr bool IsAccessLevel(int level) {
  return std::find(kAccessLevels.begin(), kAccessLevels.end(), level) != kAccessLevels.end();
}

// A command is listed in the tree when its minimum level is at most the access level.
constexpr bool ListsCommand(int accessLevel, int minLevel) { return minLevel <= accessLevel; }

// Restart panel: the date, time and position boxes and the Sync button.
constexpr bool ShowsRestartTimeFields(int accessLevel) { return accessLevel >= kEngineerLevel; }
// Set Output Format: the COM1 choice rgOutputFormat2 and its label.
constexpr bool ShowsSecondOutputFormat(int accessLevel) { return accessLevel >= kEngineerLevel; }
// View page: the large signal label lbBigSNR.
constexpr bool ShowsBigSnr(int accessLevel) { return accessLevel >= kEngineerLevel; }
// The sent-frame field lbSentence is narrowed below the engineer level.
constexpr bool NarrowsSentenceField(int accessLevel) { return accessLevel < kEngineerLevel; }
// Configure IO offers 2400 to 115200; an ordinary user only 2400 to 19200.
constexpr bool OffersEveryBaudRate(int accessLevel) { return accessLevel != kUserLevel; }
// Block Sats (listed only at the engineer level) takes its actions from the chip.
constexpr bool ListsChipBlockActions(int accessLevel) { return accessLevel >= kEngineerLevel; }
// "Production ID" may be chosen in the ID panel.
constexpr bool MayChooseProductionId(int accessLevel) { return accessLevel >= kProductionLevel; }
// A control the window keeps hidden at every level (Configure NMEA's checksum box).
// The K900 grid's health column in words ("GOOD") instead of the bare code.
constexpr bool ShowsHealthWords(int accessLevel) { return accessLevel >= kEngineerLevel; }
constexpr bool NeverShown(int) { return false; }

}  // namespace vetra
