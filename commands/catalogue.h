#pragma once
// The command catalogue: the receiver commands the View page offers, in tree order, one row each
// (commands/command_descriptor.h). The catalogue number (1 to 34) is a command's position here,
// not its message id; 0 means no command. Each message id is written here and nowhere else: the
// encoders take it from their row, the trace logger's frames from theirs.

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "commands/command_descriptor.h"
#include "commands/encoders.h"
#include "commands/panel_control_rows.h"

namespace vetra {

std::string_view PanelName(PanelId panel);

inline constexpr int kCommandCount = 34;

// Catalogue numbers of the commands other parts of the program name.
inline constexpr int kCmdRestart = 1;
inline constexpr int kCmdSetDatum = 3;
inline constexpr int kCmdQueryRevision = 5;
inline constexpr int kCmdClockOffset = 6;
inline constexpr int kCmdBuiltInTest = 7;
inline constexpr int kCmdFactoryDefault = 8;
inline constexpr int kCmdReadEphemeris = 9;
inline constexpr int kCmdLoadEphemeris = 10;
inline constexpr int kCmdReadAlmanac = 11;
inline constexpr int kCmdLoadAlmanac = 12;
inline constexpr int kCmdSetId = 13;
inline constexpr int kCmdAdjustWeek = 21;
inline constexpr int kCmdExtDatum = 26;
inline constexpr int kCmdTraceRecord = 28;
inline constexpr int kCmdTraceRead = 29;
inline constexpr int kCmdTraceMaintain = 30;

namespace catalogue_rows {

using enum PanelId;
using Kind = ExpectedReply::Kind;
using namespace panel_control_rows;

// Minimum levels of the receiver's own catalogue that are no level a user can have: Set Factory
// Default is listed at every level, host mode included; the store commands, Update Rate, Set GPIO
// and Usr Command 1 only at the engineer level.
inline constexpr int kEveryLevel = -2;
inline constexpr int kAboveProductionLevel = 9;

inline constexpr ExpectedReply kAck{};
constexpr ExpectedReply Reply(uint8_t id) { return {Kind::Reply, id}; }
constexpr ExpectedReply StoreRead(uint8_t id) { return {Kind::StoreRead, id}; }
// Maintain Customized ID answers its read with the ID, its set with the ACK alone.
inline bool ReadsCustomizedId(const Panels& panels) { return panels.pnCustomizedID.rgCID == 0; }

inline constexpr uint8_t F1 = kClassCommand;
inline constexpr std::span<const ControlDescriptor> kNone{};

inline constexpr CommandDescriptor kRows[] = {
    {"", F1, 0x00, kEveryLevel, pnNothing, kNone, nullptr, kAck},
    {"Restart(01h)", F1, 0x01, kHostLevel, pnRestart, kRestartControls, EncodeRestart, kAck},
    {"Configure IO (02h)", F1, 0x02, kHostLevel, pnCfgIO, kCfgIOControls, EncodeCfgIO, kAck},
    {"Set Datum (03h)", F1, 0x03, kUserLevel, pnSetDatum, kSetDatumControls, EncodeSetDatum, kAck},
    {"Configure NMEA (04h)", F1, 0x04, kUserLevel, pnCfgNmea, kCfgNmeaControls, EncodeCfgNmea,
     kAck},
    {"Query Firmware Revision (05h)", F1, 0x05, kHostLevel, pnRevision, kNone, EncodeQueryRevision,
     Reply(0x80)},
    {"Clock Offset (06h)", F1, 0x06, kEngineerLevel, pnClkOff, kClkOffControls, EncodeClkOff,
     Reply(0x82)},
    {"Perform Built-In-Test (07h)", F1, 0x07, kServiceLevel, pnBIT, kBITControls, EncodeBIT,
     Reply(0x81)},
    {"Set Factory Default (08h)", F1, 0x08, kEveryLevel, pnNothing, kNone, EncodeFactoryDefault,
     kAck},
    {"Read Ephemeris (09h)", F1, 0x09, kAboveProductionLevel, pnReadEphs, kNone, EncodeReadEphs,
     StoreRead(0x83)},
    {"Load Ephemeris (0Ah)", F1, 0x0A, kAboveProductionLevel, pnNothing, kNone, EncodeLoadEphs,
     kAck},
    {"Read Almanac (0Bh)", F1, 0x0B, kAboveProductionLevel, pnReadAlmc, kNone, EncodeReadAlmc,
     StoreRead(0x84)},
    {"Load Almanac (0Ch)", F1, 0x0C, kAboveProductionLevel, pnNothing, kNone, EncodeLoadAlmc, kAck},
    {"Set ID (0Dh)", F1, 0x0D, kServiceLevel, pnID, kIDControls, EncodeSetID, kAck},
    {"Query ID (0Eh)", F1, 0x0E, kServiceLevel, pnID, kIDControls, EncodeQueryID, Reply(0x85)},
    {"Set DOP mask (0Fh)", F1, 0x0F, kServiceLevel, pnDopMask, kDopMaskControls, EncodeDopMask,
     kAck},
    {"Set Elevation Mask (10h)", F1, 0x10, kServiceLevel, pnElvMask, kElvMaskControls,
     EncodeElvMask, kAck},
    {"DGPS Control (11h)", F1, 0x11, kServiceLevel, pnDgpsCtrl, kDgpsCtrlControls, EncodeDgpsCtrl,
     kAck},
    {"1PPS Control (12h)", F1, 0x12, kServiceLevel, pn1PPS, k1PPSControls, Encode1PPS, kAck},
    {"Set Output Format (13h)", F1, 0x13, kServiceLevel, pnOutputFormat, kOutputFormatControls,
     EncodeOutputFormat, kAck},
    {"Power Save (14h)", F1, 0x14, kServiceLevel, pnPowerSave, kPowerSaveControls, EncodePowerSave,
     kAck},
    {"Adjust Week Number (15h)", F1, 0x15, kEngineerLevel, pnNothing, kNone, nullptr, kAck},
    {"Maintain Customized ID (16h)",
     F1,
     0x16,
     kTraceLevel,
     pnCustomizedID,
     kCustomizedIDControls,
     EncodeCustomizedID,
     {Kind::Reply, 0x8D, ReadsCustomizedId}},
    {"Query Navigation Setting (17h)", F1, 0x17, kHostLevel, pnShowText, kNone,
     EncodeQueryNavSetting, Reply(0x86)},
    {"Query System Setting (18h)", F1, 0x18, kHostLevel, pnShowText, kNone, EncodeQuerySysSetting,
     Reply(0x87)},
    {"Set Locale (19h)", F1, 0x19, kUserLevel, pnLocale, kLocaleControls, EncodeLocale, kAck},
    {"Set Extended Datum (1Bh)", F1, 0x1B, kDatumLevel, pnSetDatum, kExtDatumControls,
     EncodeExtDatum, kAck},
    {"Customized LED (1Ch)", F1, 0x1C, kTraceLevel, pnCustomizedLED, kCustomizedLEDControls,
     EncodeCustomizedLED, kAck},
    {"Record Trace (1Dh)", F1, 0x1D, kTraceLevel, pnTraceRecord, kNone, nullptr, kAck, kEveryChip,
     true},
    {"Read Trace (1Eh)", F1, 0x1E, kTraceLevel, pnTraceRead, kNone, nullptr, kAck, kEveryChip,
     true},
    {"Maintain Trace Buffer (1Fh)", F1, 0x1F, kTraceLevel, pnMaintainTrace, kNone, nullptr, kAck,
     kEveryChip, true},
    {"Update Rate (20h)", F1, 0x20, kAboveProductionLevel, pnUpdateRate, kUpdateRateControls,
     EncodeUpdateRate, kAck},
    {"Set GPIO (21h)", F1, 0x21, kAboveProductionLevel, pnGPIO, kGPIOControls, EncodeGPIO, kAck},
    {"Block Sats(E1h)", F1, 0xE1, kEngineerLevel, pnBlkSats, kBlkSatsControls, EncodeBlkSats, kAck},
    {"Usr Command 1(E2h)", kClassUserCommand, 0xE2, kAboveProductionLevel, pnNothing, kNone,
     EncodeUsrCommand1, kAck},
};
static_assert(std::size(kRows) == kCommandCount + 1, "34 commands and the placeholder");

}  // namespace catalogue_rows

// Rows 0 (the empty placeholder) to 34.
constexpr std::span<const CommandDescriptor, kCommandCount + 1> Catalogue() {
  return std::span<const CommandDescriptor, kCommandCount + 1>(catalogue_rows::kRows);
}
// Row 0 for a number outside 1..34.
constexpr const CommandDescriptor& CatalogueEntryOf(int number) {
  return catalogue_rows::kRows[number >= 1 && number <= kCommandCount ? number : 0];
}

// Finds a command by its catalogue number ("5"), message id ("05h", any letter case) or tree text.
std::optional<int> FindCommand(std::string_view text);

// The About box.
inline constexpr const char* kAboutTitle = "About";
inline constexpr const char* kAboutText =
    "      Vetra Viewer 1.0.0.6\n\n\n"
    "Receiver evaluation, configuration and service tool\n"
    "by the Vetra Viewer developers";

}  // namespace vetra
