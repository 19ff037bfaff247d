#pragma once
// The command catalogue: the receiver commands the View page offers, in tree order. The catalogue
// number (1 to 34) is a command's position here, not its message id; 0 means no command.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "commands/encoders.h"
#include "link/frame.h"

namespace vetra {

// The panels of the View page's parameter area.
enum class PanelId {
  pnNothing,
  pnRestart,
  pnCfgIO,
  pnSetDatum,
  pnCfgNmea,
  pnRevision,
  pnClkOff,
  pnBIT,
  pnReadEphs,
  pnReadAlmc,
  pnID,
  pnDopMask,
  pnElvMask,
  pnDgpsCtrl,
  pn1PPS,
  pnOutputFormat,
  pnPowerSave,
  pnCustomizedID,
  pnShowText,
  pnLocale,
  pnCustomizedLED,
  pnTraceRecord,
  pnTraceRead,
  pnMaintainTrace,
  pnUpdateRate,
  pnGPIO,
  pnBlkSats,
};
std::string_view PanelName(PanelId panel);

struct CatalogueEntry {
  std::string_view treeText;  // exactly as the tree shows it
  uint8_t id = 0;             // message id, the byte after the class byte
  uint8_t frameClass = kClassCommand;
  int minLevel = 0;  // listed when minLevel <= access level
  PanelId panel = PanelId::pnNothing;
  Encoder encode = nullptr;  // nullptr: the command sends nothing
};

inline constexpr int kCommandCount = 34;

// Entries 0 (the empty placeholder) to 34.
std::span<const CatalogueEntry, kCommandCount + 1> Catalogue();
const CatalogueEntry& CatalogueEntryOf(int number);  // 0 for a number outside 1..34

// Catalogue numbers of the commands that need more than their encoder from the send path.
inline constexpr int kCmdRestart = 1;
inline constexpr int kCmdSetDatum = 3;
inline constexpr int kCmdQueryRevision = 5;
inline constexpr int kCmdClockOffset = 6;
inline constexpr int kCmdBuiltInTest = 7;
inline constexpr int kCmdLoadEphemeris = 10;
inline constexpr int kCmdAdjustWeek = 21;
inline constexpr int kCmdExtDatum = 26;
inline constexpr int kCmdTraceRecord = 28;
inline constexpr int kCmdTraceRead = 29;
inline constexpr int kCmdTraceMaintain = 30;

// Finds a command by its catalogue number ("5"), message id ("05h", any letter case) or tree text.
std::optional<int> FindCommand(std::string_view text);

// The About box.
inline constexpr const char* kAboutTitle = "About";
inline constexpr const char* kAboutText =
    "      Vetra Viewer 1.0.0.6\n\n\n"
    "Receiver evaluation, configuration and service tool\n"
    "by the Vetra Viewer developers";

}  // namespace vetra
