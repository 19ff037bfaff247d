#include "commands/catalogue.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vetra {
namespace {

// Uniform wrappers over the encoders, one per catalogue entry.
size_t Restart(int, Panels& p, EncodeContext& c, std::span<uint8_t> out) {
  return EncodeRestart(p.pnRestart, c.chip, out);
}
size_t CfgIO(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeCfgIO(p.pnCfgIO, out);
}
size_t SetDatum(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeSetDatum(p.pnSetDatum, out);
}
size_t CfgNmea(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeCfgNmea(p.pnCfgNmea, out);
}
size_t QueryRevision(int, Panels&, EncodeContext&, std::span<uint8_t> out) {
  return EncodeQueryRevision(out);
}
size_t ClkOff(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeClkOff(p.pnClkOff, out);
}
size_t BIT(int, Panels& p, EncodeContext& c, std::span<uint8_t> out) {
  return EncodeBIT(p.pnBIT, c.keptTestItem, out);
}
size_t FactoryDefault(int, Panels&, EncodeContext&, std::span<uint8_t> out) {
  return EncodeFactoryDefault(out);
}
size_t ReadEphs(int, Panels&, EncodeContext& c, std::span<uint8_t> out) {
  return EncodeReadEphs(c.stores, out);
}
size_t LoadEphs(int, Panels&, EncodeContext& c, std::span<uint8_t>) {
  return c.stores ? EncodeLoadEphs(c.stores->ephemeris, c.writer) : 0;
}
size_t ReadAlmc(int, Panels&, EncodeContext& c, std::span<uint8_t> out) {
  return EncodeReadAlmc(c.stores, out);
}
size_t LoadAlmc(int, Panels&, EncodeContext&, std::span<uint8_t>) { return EncodeLoadAlmc(); }
size_t SetID(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeSetID(p.pnID, out);
}
size_t QueryID(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeQueryID(p.pnID, out);
}
size_t DopMask(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeDopMask(p.pnDopMask, out);
}
size_t ElvMask(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeElvMask(p.pnElvMask, out);
}
size_t DgpsCtrl(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeDgpsCtrl(p.pnDgpsCtrl, out);
}
size_t OnePPS(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return Encode1PPS(p.pn1PPS, out);
}
size_t OutputFormat(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeOutputFormat(p.pnOutputFormat, out);
}
size_t PowerSave(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodePowerSave(p.pnPowerSave, out);
}
size_t CustomizedID(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeCustomizedID(p.pnCustomizedID, out);
}
size_t QueryNavSetting(int, Panels&, EncodeContext&, std::span<uint8_t> out) {
  return EncodeQueryNavSetting(out);
}
size_t QuerySysSetting(int, Panels&, EncodeContext&, std::span<uint8_t> out) {
  return EncodeQuerySysSetting(out);
}
size_t Locale(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeLocale(p.pnLocale, out);
}
size_t ExtDatum(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeExtDatum(p.pnSetDatum, out);
}
size_t CustomizedLED(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeCustomizedLED(p.pnCustomizedLED, out);
}
// The trace commands' panels and encoders belong to the trace logger, reached through the hook.
size_t Trace(int number, Panels&, EncodeContext& c, std::span<uint8_t> out) {
  return c.extension ? c.extension->Encode(number, out) : 0;
}
size_t UpdateRate(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeUpdateRate(p.pnUpdateRate, out);
}
size_t GPIO(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeGPIO(p.pnGPIO, out);
}
size_t BlkSats(int, Panels& p, EncodeContext&, std::span<uint8_t> out) {
  return EncodeBlkSats(p.pnBlkSats, out);
}
size_t UsrCommand1(int, Panels&, EncodeContext&, std::span<uint8_t> out) {
  return EncodeUsrCommand1(out);
}

using enum PanelId;
constexpr uint8_t F1 = kClassCommand;

constexpr CatalogueEntry kEntries[] = {
    {"", 0x00, F1, 0, pnNothing, nullptr},
    {"Restart(01h)", 0x01, F1, -1, pnRestart, Restart},
    {"Configure IO (02h)", 0x02, F1, -1, pnCfgIO, CfgIO},
    {"Set Datum (03h)", 0x03, F1, 0, pnSetDatum, SetDatum},
    {"Configure NMEA (04h)", 0x04, F1, 0, pnCfgNmea, CfgNmea},
    {"Query Firmware Revision (05h)", 0x05, F1, -1, pnRevision, QueryRevision},
    {"Clock Offset (06h)", 0x06, F1, 16, pnClkOff, ClkOff},
    {"Perform Built-In-Test (07h)", 0x07, F1, 5, pnBIT, BIT},
    {"Set Factory Default (08h)", 0x08, F1, -2, pnNothing, FactoryDefault},
    {"Read Ephemeris (09h)", 0x09, F1, 9, pnReadEphs, ReadEphs},
    {"Load Ephemeris (0Ah)", 0x0A, F1, 9, pnNothing, LoadEphs},
    {"Read Almanac (0Bh)", 0x0B, F1, 9, pnReadAlmc, ReadAlmc},
    {"Load Almanac (0Ch)", 0x0C, F1, 9, pnNothing, LoadAlmc},
    {"Set ID (0Dh)", 0x0D, F1, 5, pnID, SetID},
    {"Query ID (0Eh)", 0x0E, F1, 5, pnID, QueryID},
    {"Set DOP mask (0Fh)", 0x0F, F1, 5, pnDopMask, DopMask},
    {"Set Elevation Mask (10h)", 0x10, F1, 5, pnElvMask, ElvMask},
    {"DGPS Control (11h)", 0x11, F1, 5, pnDgpsCtrl, DgpsCtrl},
    {"1PPS Control (12h)", 0x12, F1, 5, pn1PPS, OnePPS},
    {"Set Output Format (13h)", 0x13, F1, 5, pnOutputFormat, OutputFormat},
    {"Power Save (14h)", 0x14, F1, 5, pnPowerSave, PowerSave},
    {"Adjust Week Number (15h)", 0x15, F1, 16, pnNothing, nullptr},
    {"Maintain Customized ID (16h)", 0x16, F1, 6, pnCustomizedID, CustomizedID},
    {"Query Navigation Setting (17h)", 0x17, F1, -1, pnShowText, QueryNavSetting},
    {"Query System Setting (18h)", 0x18, F1, -1, pnShowText, QuerySysSetting},
    {"Set Locale (19h)", 0x19, F1, 0, pnLocale, Locale},
    {"Set Extended Datum (1Bh)", 0x1B, F1, 1, pnSetDatum, ExtDatum},
    {"Customized LED (1Ch)", 0x1C, F1, 6, pnCustomizedLED, CustomizedLED},
    {"Record Trace (1Dh)", 0x1D, F1, 6, pnTraceRecord, Trace},
    {"Read Trace (1Eh)", 0x1E, F1, 6, pnTraceRead, Trace},
    {"Maintain Trace Buffer (1Fh)", 0x1F, F1, 6, pnMaintainTrace, Trace},
    {"Update Rate (20h)", 0x20, F1, 9, pnUpdateRate, UpdateRate},
    {"Set GPIO (21h)", 0x21, F1, 9, pnGPIO, GPIO},
    {"Block Sats(E1h)", 0xE1, F1, 16, pnBlkSats, BlkSats},
    {"Usr Command 1(E2h)", 0xE2, kClassUserCommand, 9, pnNothing, UsrCommand1},
};
static_assert(std::size(kEntries) == kCommandCount + 1, "34 commands and the placeholder");

constexpr std::string_view kPanelNames[] = {
    "pnNothing",       "pnRestart",      "pnCfgIO",     "pnSetDatum",
    "pnCfgNmea",       "pnRevision",     "pnClkOff",    "pnBIT",
    "pnReadEphs",      "pnReadAlmc",     "pnID",        "pnDopMask",
    "pnElvMask",       "pnDgpsCtrl",     "pn1PPS",      "pnOutputFormat",
    "pnPowerSave",     "pnCustomizedID", "pnShowText",  "pnLocale",
    "pnCustomizedLED", "pnTraceRecord",  "pnTraceRead", "pnMaintainTrace",
    "pnUpdateRate",    "pnGPIO",         "pnBlkSats",
};
static_assert(std::size(kPanelNames) == static_cast<size_t>(pnBlkSats) + 1);

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string_view PanelName(PanelId panel) { return kPanelNames[static_cast<size_t>(panel)]; }

std::span<const CatalogueEntry, kCommandCount + 1> Catalogue() {
  return std::span<const CatalogueEntry, kCommandCount + 1>(kEntries);
}

const CatalogueEntry& CatalogueEntryOf(int number) {
  return kEntries[number >= 1 && number <= kCommandCount ? number : 0];
}

std::optional<int> FindCommand(std::string_view text) {
  if (text.empty()) return std::nullopt;
  // Catalogue number.
  int number = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number, 10);
  if (ec == std::errc{} && end == text.data() + text.size()) {
    if (number >= 1 && number <= kCommandCount) return number;
    return std::nullopt;
  }
  // Message id: one or two hexadecimal digits and 'h'.
  if (text.size() >= 2 && text.size() <= 3 && (text.back() == 'h' || text.back() == 'H')) {
    unsigned id = 0;
    const char* last = text.data() + text.size() - 1;
    auto [idEnd, idEc] = std::from_chars(text.data(), last, id, 16);
    if (idEc == std::errc{} && idEnd == last) {
      for (int n = 1; n <= kCommandCount; ++n) {
        if (kEntries[n].id == id) return n;
      }
      return std::nullopt;
    }
  }
  // Tree text, exactly first, then without regard to letter case.
  for (int n = 1; n <= kCommandCount; ++n) {
    if (kEntries[n].treeText == text) return n;
  }
  for (int n = 1; n <= kCommandCount; ++n) {
    if (EqualNoCase(kEntries[n].treeText, text)) return n;
  }
  return std::nullopt;
}

}  // namespace vetra
