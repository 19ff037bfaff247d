#pragma once
// The controls of each command panel of the View page, as the catalogue's rows hold them: name
// (the widget's objectName), kind, the field the value goes into and the values a user may give
// it. Limits narrower than the field come from what the field means: months 1..12, days 1..31,
// hours 0..23, minutes and seconds 0..59, a DDMM latitude within +-90 degrees and a DDDMM
// longitude within +-180 degrees, the ranges the captions name (1PPS width 0..3, multiplier 1..16,
// update rate 1..5 Hz, sleep time -1..3600 s), an elevation mask 0..90 degrees, a time zone of
// 0..23 hours, an ellipsoid of the Earth's size.
//
// The trace logger's three panels are declared the same way in trace/trace_command_extension.cpp.

#include <array>
#include <string_view>
#include <utility>

#include "commands/command_descriptor.h"
#include "commands/conversions.h"
#include "commands/panels.h"

namespace vetra::panel_control_rows {

template <auto Panel, auto Member>
inline constexpr BindValue kField = &bind::Field<Panel, Member>;

template <auto Member>
inline constexpr BindValue kRestart = kField<&Panels::pnRestart, Member>;
inline constexpr ControlDescriptor kRestartControls[] = {
    ChoiceControl("SetStartMode",
                  &bind::ChoiceWithItems<&Panels::pnRestart, &pnRestartPanel::SetStartMode,
                                         &pnRestartPanel::SetStartModeItems>),
    IntegerControl("RSTyear", kRestart<&pnRestartPanel::RSTyear>, kU16, 1980, 65535)
        .ShownWhen(ShowsRestartTimeFields),
    IntegerControl("RSTmonth", kRestart<&pnRestartPanel::RSTmonth>, kU8, 1, 12)
        .ShownWhen(ShowsRestartTimeFields),
    IntegerControl("RSTday", kRestart<&pnRestartPanel::RSTday>, kU8, 1, 31)
        .ShownWhen(ShowsRestartTimeFields),
    IntegerControl("RSThour", kRestart<&pnRestartPanel::RSThour>, kU8, 0, 23)
        .ShownWhen(ShowsRestartTimeFields),
    IntegerControl("RSTminute", kRestart<&pnRestartPanel::RSTminute>, kU8, 0, 59)
        .ShownWhen(ShowsRestartTimeFields),
    IntegerControl("RSTsecond", kRestart<&pnRestartPanel::RSTsecond>, kU8, 0, 59)
        .ShownWhen(ShowsRestartTimeFields),
    IntegerControl("RSTLat", kRestart<&pnRestartPanel::RSTLat>, kS16, -9000, 9000)
        .DegreesMinutes()
        .ShownWhen(ShowsRestartTimeFields),
    IntegerControl("RSTLong", kRestart<&pnRestartPanel::RSTLong>, kS16, -18000, 18000)
        .DegreesMinutes()
        .ShownWhen(ShowsRestartTimeFields),
};

inline constexpr ControlDescriptor kCfgIOControls[] = {
    ChoiceControl("rgPort", kField<&Panels::pnCfgIO, &pnCfgIOPanel::rgPort>, kComPortItems),
    // At the user level only the first four rates are offered: the panel holds the list.
    ChoiceControl("rgBaud", &bind::ChoiceWithItems<&Panels::pnCfgIO, &pnCfgIOPanel::rgBaud,
                                                   &pnCfgIOPanel::rgBaudItems>),
};

// Set Datum reads the three shifts leniently, Set Extended Datum as integers with a default: the
// same edits, so the same limits (metres, signed 16 bits).
template <auto Member>
inline constexpr BindValue kDatum = kField<&Panels::pnSetDatum, Member>;
inline constexpr ControlDescriptor kSetDatumControls[] = {
    IntegerControl("lbEdIdx", kDatum<&pnSetDatumPanel::lbEdIdx>, kU16).MaxLength(kLenientMaxLength),
    IntegerControl("lbDx", kDatum<&pnSetDatumPanel::lbDx>, kS16).MaxLength(kLenientMaxLength),
    IntegerControl("lbDy", kDatum<&pnSetDatumPanel::lbDy>, kS16).MaxLength(kLenientMaxLength),
    IntegerControl("lbDz", kDatum<&pnSetDatumPanel::lbDz>, kS16).MaxLength(kLenientMaxLength),
};
inline constexpr ControlDescriptor kExtDatumControls[] = {
    // Semi-major axis in metres and inverse flattening: every reference ellipsoid in use lies
    // well inside (6,377,000 m .. 6,378,400 m; 290 .. 301).
    RealControl("lbElpA", kDatum<&pnSetDatumPanel::lbElpA>, 6.0e6, 7.0e6),
    RealControl("lbElpF", kDatum<&pnSetDatumPanel::lbElpF>, 250, 350),
    kSetDatumControls[1],
    kSetDatumControls[2],
    kSetDatumControls[3],
};

template <auto Member>
inline constexpr BindValue kNmea = kField<&Panels::pnCfgNmea, Member>;
inline constexpr ControlDescriptor kCfgNmeaControls[] = {
    IntegerControl("lbGGA", kNmea<&pnCfgNmeaPanel::lbGGA>, kU8).MaxLength(kLenientMaxLength),
    IntegerControl("lbGSA", kNmea<&pnCfgNmeaPanel::lbGSA>, kU8).MaxLength(kLenientMaxLength),
    IntegerControl("lbGSV", kNmea<&pnCfgNmeaPanel::lbGSV>, kU8).MaxLength(kLenientMaxLength),
    IntegerControl("lbRMC", kNmea<&pnCfgNmeaPanel::lbRMC>, kU8).MaxLength(kLenientMaxLength),
    IntegerControl("lbVTG", kNmea<&pnCfgNmeaPanel::lbVTG>, kU8).MaxLength(kLenientMaxLength),
    IntegerControl("lbGLL", kNmea<&pnCfgNmeaPanel::lbGLL>, kU8).MaxLength(kLenientMaxLength),
    IntegerControl("lbZDA", kNmea<&pnCfgNmeaPanel::lbZDA>, kU8).MaxLength(kLenientMaxLength),
    CheckControl("cbChkSumd", kField<&Panels::pnCfgNmea, &pnCfgNmeaPanel::cbChkSumd>)
        .ShownWhen(NeverShown),
};

inline constexpr ControlDescriptor kClkOffControls[] = {
    IntegerControl("lbClockOffSet", kField<&Panels::pnClkOff, &pnClkOffPanel::lbClockOffSet>, kS32),
};

inline constexpr ControlDescriptor kBITControls[] = {
    IntegerControl("lbItem", kField<&Panels::pnBIT, &pnBITPanel::lbItem>, kU8),
};

// Set ID and Query ID share the panel; Query ID's answer is shown in edModuleID.
inline constexpr ControlDescriptor kIDControls[] = {
    ChoiceControl("rgID", kField<&Panels::pnID, &pnIDPanel::rgID>, kIdKindItems),
    IntegerControl("edModuleID", kField<&Panels::pnID, &pnIDPanel::edModuleID>, kS32),
};

template <auto Member>
inline constexpr BindValue kDop = kField<&Panels::pnDopMask, Member>;
inline constexpr ControlDescriptor kDopMaskControls[] = {
    ChoiceControl("rgDopMask", kDop<&pnDopMaskPanel::rgDopMask>, kDopMaskItems),
    IntegerControl("edGdop", kDop<&pnDopMaskPanel::edGdop>, kU8),
    IntegerControl("edPdop", kDop<&pnDopMaskPanel::edPdop>, kU8),
    IntegerControl("edHdop", kDop<&pnDopMaskPanel::edHdop>, kU8),
};

inline constexpr ControlDescriptor kElvMaskControls[] = {
    IntegerControl("edElvMask", kField<&Panels::pnElvMask, &pnElvMaskPanel::edElvMask>, kU8, 0, 90),
};

inline constexpr ControlDescriptor kDgpsCtrlControls[] = {
    ChoiceControl("rgSelDgps", kField<&Panels::pnDgpsCtrl, &pnDgpsCtrlPanel::rgSelDgps>,
                  kDgpsItems),
};

inline constexpr ControlDescriptor k1PPSControls[] = {
    ChoiceControl("rg1PPS", kField<&Panels::pn1PPS, &pn1PPSPanel::rg1PPS>, k1ppsItems),
    IntegerControl("ed1ppsBW", kField<&Panels::pn1PPS, &pn1PPSPanel::ed1ppsBW>, kU8, 0, 3),
    IntegerControl("ed1ppsMul", kField<&Panels::pn1PPS, &pn1PPSPanel::ed1ppsMul>, kU8, 1, 16),
};

inline constexpr ControlDescriptor kOutputFormatControls[] = {
    ChoiceControl("rgOutputFormat",
                  kField<&Panels::pnOutputFormat, &pnOutputFormatPanel::rgOutputFormat>,
                  kOutputFormatItems),
    ChoiceControl("rgOutputFormat2",
                  kField<&Panels::pnOutputFormat, &pnOutputFormatPanel::rgOutputFormat2>,
                  kOutputFormatItems)
        .ShownWhen(ShowsSecondOutputFormat),
};

inline constexpr ControlDescriptor kPowerSaveControls[] = {
    // "0: disable", "1~3600", "-1: sleep forever"
    IntegerControl("lePowerSave", kField<&Panels::pnPowerSave, &pnPowerSavePanel::lePowerSave>,
                   kS16, -1, 3600)
        .MaxLength(kSleepTimeMaxLength),
    CheckControl("chbDeepSleep", kField<&Panels::pnPowerSave, &pnPowerSavePanel::chbDeepSleep>),
};

inline constexpr ControlDescriptor kCustomizedIDControls[] = {
    ChoiceControl("rgCID", kField<&Panels::pnCustomizedID, &pnCustomizedIDPanel::rgCID>,
                  kCustomizedIdItems),
    TextControl("edCID", kField<&Panels::pnCustomizedID, &pnCustomizedIDPanel::edCID>,
                kCustomizedIdMaxLength),
};

// The zone's hour, minute and second are sent negated for "GMT - (minus)": typed without a sign.
template <auto Member>
inline constexpr BindValue kLocale = kField<&Panels::pnLocale, Member>;
inline constexpr ControlDescriptor kLocaleControls[] = {
    IntegerControl("lbZoneHour", kLocale<&pnLocalePanel::lbZoneHour>, kS8, 0, 23),
    IntegerControl("lbZoneMinute", kLocale<&pnLocalePanel::lbZoneMinute>, kS8, 0, 59),
    IntegerControl("lbZoneSecond", kLocale<&pnLocalePanel::lbZoneSecond>, kS8, 0, 59),
    IntegerControl("lbDstAdjust", kLocale<&pnLocalePanel::lbDstAdjust>, kU8, 0, 23),
    ChoiceControl("rgGMTsign", kLocale<&pnLocalePanel::rgGMTsign>, kGmtSignItems),
    CheckControl("cbUpdateSTime", kLocale<&pnLocalePanel::cbUpdateSTime>),
};

template <auto Member>
inline constexpr BindValue kLed = kField<&Panels::pnCustomizedLED, Member>;
inline constexpr ControlDescriptor kCustomizedLEDControls[] = {
    ChoiceControl("rgCustomizedLED", kLed<&pnCustomizedLEDPanel::rgCustomizedLED>, kLedItems),
    HexControl("lbCustomizedPtn1", kLed<&pnCustomizedLEDPanel::lbCustomizedPtn1>, kU32)
        .MaxLength(kLenientMaxLength),
    HexControl("lbCustomizedPtn2", kLed<&pnCustomizedLEDPanel::lbCustomizedPtn2>, kU32)
        .MaxLength(kLenientMaxLength),
    HexControl("lbCustomizedPtn3", kLed<&pnCustomizedLEDPanel::lbCustomizedPtn3>, kU32)
        .MaxLength(kLenientMaxLength),
    HexControl("lbCustomizedPtn4", kLed<&pnCustomizedLEDPanel::lbCustomizedPtn4>, kU32)
        .MaxLength(kLenientMaxLength),
};

inline constexpr ControlDescriptor kUpdateRateControls[] = {
    IntegerControl("lbUpdateRate", kField<&Panels::pnUpdateRate, &pnUpdateRatePanel::lbUpdateRate>,
                   kU8, 1, 5),
};

inline constexpr ControlDescriptor kGPIOControls[] = {
    HexControl("lbGpioMask", kField<&Panels::pnGPIO, &pnGPIOPanel::lbGpioMask>, kU32)
        .MaxLength(kLenientMaxLength),
    HexControl("lbGpioValue", kField<&Panels::pnGPIO, &pnGPIOPanel::lbGpioValue>, kU32)
        .MaxLength(kLenientMaxLength),
};

inline constexpr std::array<std::string_view, kSatelliteBoxes> kSatelliteBoxNames{
    "cbPRN01", "cbPRN02", "cbPRN03", "cbPRN04", "cbPRN05", "cbPRN06", "cbPRN07", "cbPRN08",
    "cbPRN09", "cbPRN10", "cbPRN11", "cbPRN12", "cbPRN13", "cbPRN14", "cbPRN15", "cbPRN16",
    "cbPRN17", "cbPRN18", "cbPRN19", "cbPRN20", "cbPRN21", "cbPRN22", "cbPRN23", "cbPRN24",
    "cbPRN25", "cbPRN26", "cbPRN27", "cbPRN28", "cbPRN29", "cbPRN30", "cbPRN31", "cbPRN32"};
template <size_t... Box>
constexpr std::array<ControlDescriptor, 1 + sizeof...(Box)> BlockSatsControls(
    std::index_sequence<Box...>) {
  return {ChoiceControl("rgBlkAction",
                        &bind::ChoiceWithItems<&Panels::pnBlkSats, &pnBlkSatsPanel::rgBlkAction,
                                               &pnBlkSatsPanel::rgBlkActionItems>),
          CheckControl(kSatelliteBoxNames[Box],
                       &bind::Element<&Panels::pnBlkSats, &pnBlkSatsPanel::cbPRN, Box>)...};
}
inline constexpr auto kBlkSatsControls =
    BlockSatsControls(std::make_index_sequence<kSatelliteBoxes>{});

}  // namespace vetra::panel_control_rows
