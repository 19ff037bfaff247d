#include "commands/panel_controls.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "commands/catalogue.h"
#include "commands/conversions.h"

namespace vetra {
namespace {

template <size_t N>
std::vector<std::string> Items(const std::array<std::string_view, N>& items) {
  return {items.begin(), items.end()};
}

ControlRef Text(std::string name, std::string& text, size_t maxLength = 0) {
  ControlRef c;
  c.name = std::move(name);
  c.text = &text;
  c.maxLength = maxLength;
  return c;
}

ControlRef Choice(std::string name, int& choice, std::vector<std::string> items) {
  ControlRef c;
  c.name = std::move(name);
  c.kind = ControlKind::Choice;
  c.choice = &choice;
  c.items = std::move(items);
  return c;
}

ControlRef Check(std::string name, bool& check) {
  ControlRef c;
  c.name = std::move(name);
  c.kind = ControlKind::Check;
  c.check = &check;
  return c;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

// Some item texts end in a blank ("Clear log "); nobody types it.
std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<ControlRef> PanelControls(Panels& panels, int number, int accessLevel) {
  std::vector<ControlRef> c;
  const bool below16 = accessLevel < 16;
  switch (CatalogueEntryOf(number).panel) {
    case PanelId::pnRestart: {
      auto& p = panels.pnRestart;
      c.push_back(Choice("SetStartMode", p.SetStartMode, p.SetStartModeItems));
      for (auto [name, text] : {std::pair{"RSTyear", &p.RSTyear},
                                {"RSTmonth", &p.RSTmonth},
                                {"RSTday", &p.RSTday},
                                {"RSThour", &p.RSThour},
                                {"RSTminute", &p.RSTminute},
                                {"RSTsecond", &p.RSTsecond},
                                {"RSTLat", &p.RSTLat},
                                {"RSTLong", &p.RSTLong}}) {
        c.push_back(Text(name, *text));
        c.back().hidden = below16;
      }
      break;
    }
    case PanelId::pnCfgIO:
      c.push_back(Choice("rgPort", panels.pnCfgIO.rgPort, Items(kComPortItems)));
      c.push_back(Choice("rgBaud", panels.pnCfgIO.rgBaud, panels.pnCfgIO.rgBaudItems));
      break;
    case PanelId::pnSetDatum: {
      auto& p = panels.pnSetDatum;
      const bool extended = number == kCmdExtDatum;
      c.push_back(Text("lbEdIdx", p.lbEdIdx, kLenientMaxLength));
      c.back().hidden = extended;
      c.push_back(Text("lbElpA", p.lbElpA));
      c.back().hidden = !extended;
      c.push_back(Text("lbElpF", p.lbElpF));
      c.back().hidden = !extended;
      c.push_back(Text("lbDx", p.lbDx, kLenientMaxLength));
      c.push_back(Text("lbDy", p.lbDy, kLenientMaxLength));
      c.push_back(Text("lbDz", p.lbDz, kLenientMaxLength));
      break;
    }
    case PanelId::pnCfgNmea: {
      auto& p = panels.pnCfgNmea;
      for (auto [name, text] : {std::pair{"lbGGA", &p.lbGGA},
                                {"lbGSA", &p.lbGSA},
                                {"lbGSV", &p.lbGSV},
                                {"lbRMC", &p.lbRMC},
                                {"lbVTG", &p.lbVTG},
                                {"lbGLL", &p.lbGLL},
                                {"lbZDA", &p.lbZDA}}) {
        c.push_back(Text(name, *text, kLenientMaxLength));
      }
      c.push_back(Check("cbChkSumd", p.cbChkSumd));
      c.back().hidden = true;
      break;
    }
    case PanelId::pnClkOff:
      c.push_back(Text("lbClockOffSet", panels.pnClkOff.lbClockOffSet));
      break;
    case PanelId::pnBIT:
      c.push_back(Text("lbItem", panels.pnBIT.lbItem));
      break;
    case PanelId::pnID:
      c.push_back(Choice("rgID", panels.pnID.rgID, Items(kIdKindItems)));
      c.push_back(Text("edModuleID", panels.pnID.edModuleID));
      break;
    case PanelId::pnDopMask: {
      auto& p = panels.pnDopMask;
      c.push_back(Choice("rgDopMask", p.rgDopMask, Items(kDopMaskItems)));
      c.push_back(Text("edGdop", p.edGdop));
      c.push_back(Text("edPdop", p.edPdop));
      c.push_back(Text("edHdop", p.edHdop));
      break;
    }
    case PanelId::pnElvMask:
      c.push_back(Text("edElvMask", panels.pnElvMask.edElvMask));
      break;
    case PanelId::pnDgpsCtrl:
      c.push_back(Choice("rgSelDgps", panels.pnDgpsCtrl.rgSelDgps, Items(kDgpsItems)));
      break;
    case PanelId::pn1PPS:
      c.push_back(Choice("rg1PPS", panels.pn1PPS.rg1PPS, Items(k1ppsItems)));
      c.push_back(Text("ed1ppsBW", panels.pn1PPS.ed1ppsBW));
      c.push_back(Text("ed1ppsMul", panels.pn1PPS.ed1ppsMul));
      break;
    case PanelId::pnOutputFormat:
      c.push_back(Choice("rgOutputFormat", panels.pnOutputFormat.rgOutputFormat,
                         Items(kOutputFormatItems)));
      c.push_back(Choice("rgOutputFormat2", panels.pnOutputFormat.rgOutputFormat2,
                         Items(kOutputFormatItems)));
      c.back().hidden = below16;
      break;
    case PanelId::pnPowerSave:
      c.push_back(Text("lePowerSave", panels.pnPowerSave.lePowerSave, kSleepTimeMaxLength));
      c.push_back(Check("chbDeepSleep", panels.pnPowerSave.chbDeepSleep));
      break;
    case PanelId::pnCustomizedID:
      c.push_back(Choice("rgCID", panels.pnCustomizedID.rgCID, Items(kCustomizedIdItems)));
      c.push_back(Text("edCID", panels.pnCustomizedID.edCID, kCustomizedIdMaxLength));
      break;
    case PanelId::pnLocale: {
      auto& p = panels.pnLocale;
      c.push_back(Text("lbZoneHour", p.lbZoneHour));
      c.push_back(Text("lbZoneMinute", p.lbZoneMinute));
      c.push_back(Text("lbZoneSecond", p.lbZoneSecond));
      c.push_back(Text("lbDstAdjust", p.lbDstAdjust));
      c.push_back(Choice("rgGMTsign", p.rgGMTsign, Items(kGmtSignItems)));
      c.push_back(Check("cbUpdateSTime", p.cbUpdateSTime));
      break;
    }
    case PanelId::pnCustomizedLED: {
      auto& p = panels.pnCustomizedLED;
      c.push_back(Choice("rgCustomizedLED", p.rgCustomizedLED, Items(kLedItems)));
      c.push_back(Text("lbCustomizedPtn1", p.lbCustomizedPtn1, kLenientMaxLength));
      c.push_back(Text("lbCustomizedPtn2", p.lbCustomizedPtn2, kLenientMaxLength));
      c.push_back(Text("lbCustomizedPtn3", p.lbCustomizedPtn3, kLenientMaxLength));
      c.push_back(Text("lbCustomizedPtn4", p.lbCustomizedPtn4, kLenientMaxLength));
      break;
    }
    case PanelId::pnUpdateRate:
      c.push_back(Text("lbUpdateRate", panels.pnUpdateRate.lbUpdateRate));
      break;
    case PanelId::pnGPIO:
      c.push_back(Text("lbGpioMask", panels.pnGPIO.lbGpioMask, kLenientMaxLength));
      c.push_back(Text("lbGpioValue", panels.pnGPIO.lbGpioValue, kLenientMaxLength));
      break;
    case PanelId::pnBlkSats: {
      auto& p = panels.pnBlkSats;
      c.push_back(Choice("rgBlkAction", p.rgBlkAction, p.rgBlkActionItems));
      for (int i = 0; i < kSatelliteBoxes; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "cbPRN%02d", i + 1);
        c.push_back(Check(name, p.cbPRN[i]));
      }
      break;
    }
    default:
      break;
  }
  return c;
}

std::optional<std::string> SetControl(const ControlRef& control, std::string_view value) {
  switch (control.kind) {
    case ControlKind::Text:
      if (control.maxLength != 0 && value.size() > control.maxLength) {
        return control.name + " takes at most " + std::to_string(control.maxLength) + " characters";
      }
      *control.text = std::string(value);
      return std::nullopt;
    case ControlKind::Choice: {
      const auto& items = control.items;
      auto found = std::find(items.begin(), items.end(), value);
      if (found == items.end()) {
        found = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
          return Lower(Trim(item)) == Lower(Trim(value));
        });
      }
      if (found != items.end()) {
        *control.choice = static_cast<int>(found - items.begin());
        return std::nullopt;
      }
      int position = 0;
      auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), position);
      if (ec == std::errc{} && end == value.data() + value.size() && position >= 0 &&
          position < static_cast<int>(items.size())) {
        *control.choice = position;
        return std::nullopt;
      }
      std::string known;
      for (size_t i = 0; i < items.size(); ++i) {
        known += (i ? ", \"" : "\"") + items[i] + "\" (" + std::to_string(i) + ")";
      }
      return control.name + " has no item '" + std::string(value) + "'; its items: " + known;
    }
    case ControlKind::Check: {
      const std::string v = Lower(value);
      if (v == "on" || v == "1" || v == "true") {
        *control.check = true;
      } else if (v == "off" || v == "0" || v == "false") {
        *control.check = false;
      } else {
        return control.name + " is a check box: on or off, not '" + std::string(value) + "'";
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace vetra
