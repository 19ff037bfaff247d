#pragma once
// The command panels of the View page as plain values: each struct holds what its controls hold
// (texts as typed, choice positions with -1 for "no choice", check states) and starts with the
// form's defaults. Member names are the controls' names. The desktop program copies its widgets
// into these structs before a Send and back afterwards (some encoders change their panel: Maintain
// Customized ID empties edCID, Block Sats unchecks its boxes and colours their captions); the
// terminal sets them from NAME=VALUE arguments.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/chip.h"

namespace vetra {

inline constexpr int kNoChoice = -1;

// Fixed item lists of the choices, position 0 first.
inline constexpr std::array<std::string_view, 2> kComPortItems{"COM 1", "COM 2"};
inline constexpr std::array<std::string_view, 7> kBaudItems{"2400",  "4800",  "9600",  "19200",
                                                            "38400", "57600", "115200"};
inline constexpr std::array<std::string_view, 2> kIdKindItems{"Production ID", "User Key ID"};
inline constexpr int kProductionId = 0;
inline constexpr int kUserKeyId = 1;
inline constexpr std::array<std::string_view, 4> kDopMaskItems{"No Dop Mask", "GDOP", "PDOP",
                                                               "HDOP"};
inline constexpr std::array<std::string_view, 2> kDgpsItems{"Disable", "WAAS/EGNOS"};
inline constexpr std::array<std::string_view, 2> k1ppsItems{"Disable 1PPS", "Enable 1PPS"};
inline constexpr std::array<std::string_view, 4> kOutputFormatItems{"Disable", "NMEA", "Binary",
                                                                    "Binary (Saved)"};
inline constexpr std::array<std::string_view, 2> kCustomizedIdItems{"Read Customized ID",
                                                                    "Set Customized ID"};
inline constexpr std::array<std::string_view, 2> kGmtSignItems{"GMT + (plus)", "GMT - (minus)"};
inline constexpr std::array<std::string_view, 2> kLedItems{"Status LED", "POI LED"};

inline constexpr int kCustomizedIdMaxLength = 32;  // edCID
inline constexpr int kSatelliteBoxes = 32;         // cbPRN01 .. cbPRN32

struct pnRestartPanel {
  // Items depend on the chip and on its history (see panel_rules.h); the panels start with K700's.
  std::vector<std::string> SetStartModeItems{"HOT", "WARM", "COLD", "COLD Deep"};
  int SetStartMode = 0;  // "HOT"
  std::string RSTyear = "1980";
  std::string RSTmonth = "1";
  std::string RSTday = "1";
  std::string RSThour = "0";
  std::string RSTminute = "0";
  std::string RSTsecond = "0";
  std::string RSTLat = "4913";     // degrees and minutes run together, DDMM
  std::string RSTLong = "-12306";  // DDDMM
};

struct pnCfgIOPanel {
  int rgPort = 0;  // "COM 1"
  // At access level 0 only the first four rates are offered (same positions).
  std::vector<std::string> rgBaudItems{kBaudItems.begin(), kBaudItems.end()};
  int rgBaud = 1;  // "4800"
};

// Shared by Set Datum (03h: ellipsoid index shown) and Set Extended Datum (1Bh: semi-major axis
// and inverse flattening shown).
struct pnSetDatumPanel {
  std::string lbEdIdx = "0";
  std::string lbElpA;
  std::string lbElpF;
  std::string lbDx = "0";
  std::string lbDy = "0";
  std::string lbDz = "0";
};

struct pnCfgNmeaPanel {
  std::string lbGGA = "1";
  std::string lbGSA = "1";
  std::string lbGSV = "1";
  std::string lbRMC = "1";
  std::string lbVTG = "0";
  std::string lbGLL = "0";
  std::string lbZDA = "0";
  bool cbChkSumd = true;  // hidden in the window, always checked
};

struct pnClkOffPanel {
  std::string lbClockOffSet;  // also where the reply's offset is shown
};

struct pnBITPanel {
  std::string lbItem = "2";
};

struct pnIDPanel {
  int rgID = kUserKeyId;
  std::string edModuleID;  // also where the Query ID reply is shown
};

struct pnDopMaskPanel {
  int rgDopMask = 1;  // "GDOP"
  std::string edGdop = "25";
  std::string edPdop = "20";
  std::string edHdop = "15";
};

struct pnElvMaskPanel {
  std::string edElvMask = "5";
};

struct pnDgpsCtrlPanel {
  int rgSelDgps = kNoChoice;  // nothing chosen when the program starts
};

struct pn1PPSPanel {
  int rg1PPS = 0;  // "Disable 1PPS"
  std::string ed1ppsBW = "1";
  std::string ed1ppsMul = "1";
};

struct pnOutputFormatPanel {
  int rgOutputFormat = 1;   // COM0, "NMEA"
  int rgOutputFormat2 = 0;  // COM1, "Disable"; hidden below access level 16
};

struct pnPowerSavePanel {
  std::string lePowerSave = "1";
  bool chbDeepSleep = false;
};

struct pnCustomizedIDPanel {
  int rgCID = 0;      // "Read Customized ID"
  std::string edCID;  // UTF-8, as typed; sent one byte per character (each U+0000..U+00FF)
};

struct pnLocalePanel {
  std::string lbZoneHour;
  std::string lbZoneMinute;
  std::string lbZoneSecond;
  std::string lbDstAdjust;
  int rgGMTsign = 0;  // "GMT + (plus)"
  bool cbUpdateSTime = false;
};

struct pnCustomizedLEDPanel {
  int rgCustomizedLED = 0;  // "Status LED"
  std::string lbCustomizedPtn1 = "00000003";
  std::string lbCustomizedPtn2 = "00300C03";
  std::string lbCustomizedPtn3 = "00000005";
  std::string lbCustomizedPtn4 = "00501405";
};

struct pnUpdateRatePanel {
  std::string lbUpdateRate = "1";
};

struct pnGPIOPanel {
  std::string lbGpioMask = "FFFFFFFF";
  std::string lbGpioValue = "0";
};

struct pnBlkSatsPanel {
  // The form's list; replaced at start-up at access level 16 and on every chip change.
  std::vector<std::string> rgBlkActionItems{"Enable", "Disable", "Restart", "Restart Ephs",
                                            "Reposition"};
  int rgBlkAction = kNoChoice;
  std::array<bool, kSatelliteBoxes> cbPRN{};     // [prn - 1]: cbPRN01 .. cbPRN32 checked
  std::array<bool, kSatelliteBoxes> cbPRNRed{};  // caption colour: red (true) or black
};

// Every command panel of the View page (the trace panels belong to the trace logger).
struct Panels {
  pnRestartPanel pnRestart;
  pnCfgIOPanel pnCfgIO;
  pnSetDatumPanel pnSetDatum;
  pnCfgNmeaPanel pnCfgNmea;
  pnClkOffPanel pnClkOff;
  pnBITPanel pnBIT;
  pnIDPanel pnID;
  pnDopMaskPanel pnDopMask;
  pnElvMaskPanel pnElvMask;
  pnDgpsCtrlPanel pnDgpsCtrl;
  pn1PPSPanel pn1PPS;
  pnOutputFormatPanel pnOutputFormat;
  pnPowerSavePanel pnPowerSave;
  pnCustomizedIDPanel pnCustomizedID;
  pnLocalePanel pnLocale;
  pnCustomizedLEDPanel pnCustomizedLED;
  pnUpdateRatePanel pnUpdateRate;
  pnGPIOPanel pnGPIO;
  pnBlkSatsPanel pnBlkSats;
};

}  // namespace vetra
