// Every frame the receiver's command set is documented with, built through the catalogue's
// encoders exactly as the Send button builds it.
#include <gtest/gtest.h>

#include <functional>

#include "command_test_support.h"
#include "commands/conversions.h"
#include "commands/encoders.h"
#include "commands/panel_rules.h"

namespace vetra {
namespace {

using test::Encode;
using test::Hex;

struct FrameCase {
  const char* what;
  int command;
  std::function<void(Panels&)> edit;
  Chip chip;
  const char* bytes;
};

void Defaults(Panels&) {}

const FrameCase kFrames[] = {
    {"Restart, defaults, HOT, K700", 1, Defaults, Chip::K700,
     "25 25 f1 01 00 01 bc 07 01 01 00 00 00 00 39 13 ea cf 00 00 45 0d 0a"},
    {"Restart, COLD Deep on K700 sends mode 7", 1, [](Panels& p) { p.pnRestart.SetStartMode = 3; },
     Chip::K700, "25 25 f1 01 01 07 bc 07 01 01 00 00 00 00 39 13 ea cf 00 00 42 0d 0a"},
    {"Configure IO, COM 1, 4800", 2, Defaults, Chip::K700,
     "25 25 f1 02 00 00 00 00 00 00 00 00 f3 0d 0a"},
    {"Configure IO, 2400 sends code 6", 2, [](Panels& p) { p.pnCfgIO.rgBaud = 0; }, Chip::K700,
     "25 25 f1 02 00 06 00 00 00 00 00 00 f5 0d 0a"},
    {"Set Datum, Delta X -100", 3, [](Panels& p) { p.pnSetDatum.lbDx = "-100"; }, Chip::K700,
     "25 25 f1 03 00 00 9c ff 00 00 00 00 91 0d 0a"},
    {"Set Datum, Delta X 12 then letters", 3, [](Panels& p) { p.pnSetDatum.lbDx = "12ab"; },
     Chip::K700, "25 25 f1 03 00 00 0c 00 00 00 00 00 fe 0d 0a"},
    {"Configure NMEA, defaults", 4, Defaults, Chip::K700,
     "25 25 f1 04 01 01 00 01 01 01 00 00 f4 0d 0a"},
    {"Query Firmware Revision", 5, Defaults, Chip::K700, "25 25 f1 05 01 01 f4 0d 0a"},
    {"Set Factory Default", 8, Defaults, Chip::K700, "25 25 f1 08 4d 58 54 52 ea 0d 0a"},
    {"Set ID, User Key ID, empty ID", 13, Defaults, Chip::K700,
     "25 25 f1 0d 01 00 00 00 00 00 00 00 00 fd 0d 0a"},
    {"Query ID, User Key ID", 14, Defaults, Chip::K700, "25 25 f1 0e 01 fe 0d 0a"},
    {"Set DOP mask, defaults", 15, Defaults, Chip::K700, "25 25 f1 0f 01 19 14 0f fd 0d 0a"},
    {"Set DOP mask, empty GDOP falls back to 25", 15, [](Panels& p) { p.pnDopMask.edGdop = ""; },
     Chip::K700, "25 25 f1 0f 01 19 14 0f fd 0d 0a"},
    {"Set Elevation Mask, not a number", 16, [](Panels& p) { p.pnElvMask.edElvMask = "x"; },
     Chip::K700, "25 25 f1 10 05 e4 0d 0a"},
    {"DGPS Control, no choice", 17, Defaults, Chip::K700, "25 25 f1 11 ff 00 1f 0d 0a"},
    {"DGPS Control, WAAS/EGNOS", 17, [](Panels& p) { p.pnDgpsCtrl.rgSelDgps = 1; }, Chip::K700,
     "25 25 f1 11 01 00 e1 0d 0a"},
    {"1PPS Control, enabled, defaults", 18, [](Panels& p) { p.pn1PPS.rg1PPS = 1; }, Chip::K700,
     "25 25 f1 12 02 01 01 e1 0d 0a"},
    {"Set Output Format, defaults", 19, Defaults, Chip::K700, "25 25 f1 13 01 e3 0d 0a"},
    {"Set Output Format, COM1 Binary, COM0 NMEA", 19,
     [](Panels& p) { p.pnOutputFormat.rgOutputFormat2 = 2; }, Chip::K700,
     "25 25 f1 13 21 c3 0d 0a"},
    {"Power Save, sleep forever, deep", 20,
     [](Panels& p) {
       p.pnPowerSave.lePowerSave = "-1";
       p.pnPowerSave.chbDeepSleep = true;
     },
     Chip::K700, "25 25 f1 14 ff ff 01 00 e4 0d 0a"},
    {"Maintain Customized ID, read", 22, Defaults, Chip::K700,
     "25 25 f1 16 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 e7 0d 0a"},
    {"Maintain Customized ID, set AB", 22,
     [](Panels& p) {
       p.pnCustomizedID.rgCID = 1;
       p.pnCustomizedID.edCID = "AB";
     },
     Chip::K700,
     "25 25 f1 16 01 02 41 42 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 e7 0d 0a"},
    {"Query Navigation Setting", 23, Defaults, Chip::K700, "25 25 f1 17 00 e6 0d 0a"},
    {"Query System Setting", 24, Defaults, Chip::K700, "25 25 f1 18 00 e9 0d 0a"},
    {"Set Locale, GMT -8:30, DST 1", 25,
     [](Panels& p) {
       p.pnLocale.lbZoneHour = "8";
       p.pnLocale.lbZoneMinute = "30";
       p.pnLocale.rgGMTsign = 1;
       p.pnLocale.lbDstAdjust = "1";
     },
     Chip::K700, "25 25 f1 19 00 f8 e2 00 01 f3 0d 0a"},
    {"Customized LED, Status LED defaults", 27, Defaults, Chip::K700,
     "25 25 f1 1c 00 03 00 00 00 03 0c 30 00 05 00 00 00 05 14 50 00 95 0d 0a"},
    {"Set GPIO, defaults", 32, Defaults, Chip::K700,
     "25 25 f1 21 ff ff ff ff 00 00 00 00 d0 0d 0a"},
    {"Block Sats, PRN 1 and 32, Enable", 33,
     [](Panels& p) {
       p.pnBlkSats.rgBlkAction = 0;
       p.pnBlkSats.cbPRN[0] = p.pnBlkSats.cbPRN[31] = true;
     },
     Chip::K700, "25 25 f1 e1 00 01 00 00 80 91 0d 0a"},
    {"Block Sats, nothing chosen", 33, Defaults, Chip::K700, "25 25 f1 e1 ff 00 00 00 00 ef 0d 0a"},
    {"Usr Command 1", 34, Defaults, Chip::K700, "25 25 f3 e2 11 0d 0a"},
};

class KnownFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(KnownFrames, EncoderBuildsTheDocumentedBytes) {
  const FrameCase& c = GetParam();
  Panels panels;
  c.edit(panels);
  EncodeContext context;
  context.chip = c.chip;
  context.accessLevel = 16;
  EXPECT_EQ(Encode(c.command, panels, context), Hex(c.bytes)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(CommandSet, KnownFrames, ::testing::ValuesIn(kFrames));

TEST(Frames, RestartModesOnK900SendTheirPositionPlusOne) {
  Panels panels;
  ApplyChip(panels, Chip::K900);
  EncodeContext context{.chip = Chip::K900};
  for (int position = 0; position < 7; ++position) {
    panels.pnRestart.SetStartMode = position;
    const auto frame = Encode(kCmdRestart, panels, context);
    ASSERT_EQ(frame.size(), 23u);
    EXPECT_EQ(frame[5], position + 1) << panels.pnRestart.SetStartModeItems[position];
    EXPECT_EQ(frame[4], position == 0 ? 0 : 1);
  }
}

TEST(Frames, RestartPositionArithmeticTruncatesTowardZero) {
  struct Row {
    const char* typed;
    int16_t hundredths;
  };
  for (Row row : {Row{"4913", 4921}, Row{"-12306", -12310}, Row{"-0030", -50}, Row{"4959", 4998},
                  Row{"0", 0}, Row{"-59", -98}}) {
    Panels panels;
    panels.pnRestart.RSTLat = row.typed;
    EncodeContext context;
    const auto frame = Encode(kCmdRestart, panels, context);
    ASSERT_EQ(frame.size(), 23u);
    EXPECT_EQ(static_cast<int16_t>(frame[14] | frame[15] << 8), row.hundredths) << row.typed;
  }
}

TEST(Frames, RestartKeepsLowBitsOfValuesOutOfRange) {
  Panels panels;
  panels.pnRestart.RSTmonth = "13";
  panels.pnRestart.RSTyear = "65537";
  EncodeContext context;
  const auto frame = Encode(kCmdRestart, panels, context);
  EXPECT_EQ(frame[6], 0x01);
  EXPECT_EQ(frame[7], 0x00);
  EXPECT_EQ(frame[8], 0x0D);
}

TEST(Frames, RestartWithAnEmptyBoxThrowsBeforeAnythingIsBuilt) {
  Panels panels;
  panels.pnRestart.RSTday = "";
  EncodeContext context;
  try {
    Encode(kCmdRestart, panels, context);
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
}

TEST(Frames, ExtendedDatumCarriesIeeeDoubles) {
  Panels panels;
  panels.pnSetDatum.lbElpA = "6378137";
  panels.pnSetDatum.lbElpF = "298.257223563";
  EncodeContext context;
  const auto frame = Encode(kCmdExtDatum, panels, context);
  ASSERT_EQ(frame.size(), 29u);
  EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 4, frame.begin() + 12),
            Hex("00 00 00 40 a6 54 58 41"));
  EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 20, frame.begin() + 26), Hex("00 00 00 00 00 00"));
  EXPECT_EQ(frame[3], 0x1B);
}

TEST(Frames, ExtendedDatumNeedsBothEllipsoidValues) {
  Panels panels;
  panels.pnSetDatum.lbElpA = "6378137";
  EncodeContext context;
  EXPECT_THROW(Encode(kCmdExtDatum, panels, context), ConversionError);
  panels.pnSetDatum.lbElpF = "abc";
  try {
    Encode(kCmdExtDatum, panels, context);
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
  }
}

TEST(Frames, SetDatumReadsDeltasLenientlyExtendedDatumStrictlyWithDefault) {
  Panels panels;
  panels.pnSetDatum.lbDx = "12ab";
  panels.pnSetDatum.lbElpA = "1";
  panels.pnSetDatum.lbElpF = "1";
  EncodeContext context;
  EXPECT_EQ(Encode(kCmdSetDatum, panels, context)[6], 12);
  EXPECT_EQ(Encode(kCmdExtDatum, panels, context)[20], 0);  // "12ab" is no integer: default 0
}

TEST(Frames, EveryFrameFitsItsDocumentedLength) {
  // Lengths from the command descriptions, indexed by catalogue number (0: sends nothing here).
  constexpr size_t kLengths[] = {0,  23, 15, 15, 15, 9, 11, 8,  11, 8,  0, 8, 0, 16, 8,  11, 8, 9,
                                 10, 8,  11, 0,  41, 8, 8,  12, 29, 24, 0, 0, 0, 8,  15, 12, 7};
  static_assert(std::size(kLengths) == kCommandCount + 1);
  Panels panels;
  panels.pnSetDatum.lbElpA = panels.pnSetDatum.lbElpF = "1";
  for (int n = 1; n <= kCommandCount; ++n) {
    EncodeContext context;
    const auto frame = Encode(n, panels, context);
    EXPECT_EQ(frame.size(), kLengths[n]) << CatalogueEntryOf(n).treeText;
    if (frame.empty()) continue;
    EXPECT_EQ(frame[2], CatalogueEntryOf(n).frameClass);
    EXPECT_EQ(frame[3], CatalogueEntryOf(n).id);
  }
}

TEST(Frames, CustomizedIdReadEmptiesTheBoxAndSetKeepsIt) {
  Panels panels;
  panels.pnCustomizedID.edCID = "OLD";
  EncodeContext context;
  Encode(22, panels, context);
  EXPECT_EQ(panels.pnCustomizedID.edCID, "");
  panels.pnCustomizedID.rgCID = 1;
  panels.pnCustomizedID.edCID = std::string(40, 'x');  // longer than the box takes
  const auto frame = Encode(22, panels, context);
  ASSERT_EQ(frame.size(), 41u);
  EXPECT_EQ(frame[5], 32);
  EXPECT_EQ(panels.pnCustomizedID.edCID.size(), 40u);
}

TEST(Frames, LenientFieldsReadOnlyTheCharactersTheEditTakes) {
  Panels panels;
  panels.pnGPIO.lbGpioValue = "0000000001F";    // 11 characters: the eleventh is not read
  panels.pnPowerSave.lePowerSave = "00000123";  // 8 characters: the sleep time takes 7
  EncodeContext context;
  EXPECT_EQ(Encode(32, panels, context)[8], 0x01);
  EXPECT_EQ(Encode(20, panels, context)[4], 12);
}

TEST(Frames, TraceCommandsGoThroughTheExtension) {
  struct Extension : ICommandExtension {
    std::vector<ControlRef> Controls(int, int) override { return {}; }
    Encoded Encode(const EncodeInput& input) override { return {{{input.command.id}}, {}}; }
  } extension;
  Panels panels;
  EncodeContext context;
  EXPECT_TRUE(Encode(kCmdTraceRead, panels, context).empty());
  context.extension = &extension;
  EXPECT_EQ(Encode(kCmdTraceRead, panels, context), std::vector<uint8_t>{0x1E});
}

// Encoders touch nothing but their panel: what else a command needs is declared.
TEST(Frames, StoreCommandsDeclareTheirEffects) {
  Panels panels;
  EncodeContext context;
  const Encoded read = EncodeCommand(kCmdReadEphemeris, panels, context);
  EXPECT_TRUE(read.effects.clearEphemerisStore);
  EXPECT_EQ(read.frames, std::vector<FrameBytes>{Hex("25 25 f1 09 00 f8 0d 0a")});
  const Encoded load = EncodeCommand(kCmdLoadEphemeris, panels, context);
  EXPECT_TRUE(load.effects.loadEphemerisStore);
  EXPECT_TRUE(load.frames.empty());
  EXPECT_FALSE(load.effects.clearEphemerisStore);
}

TEST(Frames, LoadEphemerisBuildsOneFramePerValidSlotInPrnOrder) {
  EphemerisStore::Snapshot store;
  store.slots[16].fill(0);
  store.slots[16][0] = 0x01;
  store.slots[16][119] = 0x5A;
  store.slots[4].fill(0xFE);  // bit 0 clear: not valid, not sent
  store.slots[2] = store.slots[16];
  store.slots[2][119] = 0x33;
  const auto frames = LoadEphemerisFrames(CatalogueEntryOf(kCmdLoadEphemeris), store);
  ASSERT_EQ(frames.size(), 2u);
  for (const auto& frame : frames) {
    ASSERT_EQ(frame.size(), 129u);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 4), Hex("25 25 f1 0a"));
    EXPECT_EQ(frame[5], 0x00);
    EXPECT_EQ(frame[6], 0x01);
    uint8_t sum = 0;
    for (size_t i = 2; i < 126; ++i) sum ^= frame[i];
    EXPECT_EQ(frame[126], sum);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 127, frame.end()), Hex("0d 0a"));
  }
  EXPECT_EQ(frames[0][4], 3);
  EXPECT_EQ(frames[0][125], 0x33);
  EXPECT_EQ(frames[1][4], 17);
  EXPECT_EQ(frames[1][125], 0x5A);
  EXPECT_TRUE(LoadEphemerisFrames(CatalogueEntryOf(kCmdLoadEphemeris), {}).empty());
}

}  // namespace
}  // namespace vetra
