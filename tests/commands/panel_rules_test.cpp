#include "commands/panel_rules.h"

#include <gtest/gtest.h>

#include "command_test_support.h"

namespace vetra {
namespace {

using Items = std::vector<std::string>;

TEST(PanelRules, RestartModesFollowTheChipAndRememberTheRoundTrip) {
  Panels panels;
  EXPECT_EQ(panels.pnRestart.SetStartModeItems, (Items{"HOT", "WARM", "COLD", "COLD Deep"}));
  ApplyChip(panels, Chip::K700);  // already K700's list: unchanged
  EXPECT_EQ(panels.pnRestart.SetStartModeItems.back(), "COLD Deep");
  ApplyChip(panels, Chip::K900);
  const Items k900{"HOT", "WARM", "COLD", "TEST", "HOT wPos", "WARM wPos", "COLD deep"};
  EXPECT_EQ(panels.pnRestart.SetStartModeItems, k900);
  EXPECT_EQ(RestartModeColumns(panels.pnRestart), 2);
  ApplyChip(panels, Chip::K900);  // a second K900 click changes nothing
  EXPECT_EQ(panels.pnRestart.SetStartModeItems, k900);
  panels.pnRestart.SetStartMode = 6;
  ApplyChip(panels, Chip::K700);
  EXPECT_EQ(panels.pnRestart.SetStartModeItems, (Items{"HOT", "WARM", "COLD", "COLD deep"}));
  EXPECT_EQ(RestartModeColumns(panels.pnRestart), 1);
  EXPECT_EQ(panels.pnRestart.SetStartMode, 0);  // the K900-only mode is gone: back to HOT
}

TEST(PanelRules, RestartModeCodes) {
  EXPECT_EQ(RestartModeCode(0, Chip::K700), 1);
  EXPECT_EQ(RestartModeCode(2, Chip::K700), 3);
  EXPECT_EQ(RestartModeCode(3, Chip::K700), 7);
  EXPECT_EQ(RestartModeCode(3, Chip::K900), 4);
  EXPECT_EQ(RestartModeCode(6, Chip::K900), 7);
}

TEST(PanelRules, BlockActionsByAccessLevelAndChip) {
  Panels below;
  ApplyAccessLevel(below, 8);
  EXPECT_EQ(below.pnBlkSats.rgBlkActionItems,
            (Items{"Enable", "Disable", "Restart", "Restart Ephs", "Reposition"}));
  Panels top;
  ApplyAccessLevel(top, 16);
  EXPECT_EQ(top.pnBlkSats.rgBlkActionItems, (Items{"Enable", "Restart", "Disable"}));
  top.pnBlkSats.rgBlkAction = 1;
  ApplyChip(top, Chip::K900);
  EXPECT_EQ(top.pnBlkSats.rgBlkActionItems,
            (Items{"Enable", "Disable", "Restart", "Restart EPHS", "Respoition"}));
  EXPECT_EQ(top.pnBlkSats.rgBlkAction, kNoChoice);
}

TEST(PanelRules, ConfigureIoOffersFourRatesAtLevelZero) {
  Panels panels;
  ApplyAccessLevel(panels, 0);
  EXPECT_EQ(panels.pnCfgIO.rgBaudItems, (Items{"2400", "4800", "9600", "19200"}));
  EXPECT_EQ(panels.pnCfgIO.rgBaud, 1);
  EXPECT_EQ(ConfigureIoBaudItems(-1).size(), 7u);
  EXPECT_EQ(ConfigureIoBaudItems(1).size(), 7u);
}

TEST(PanelRules, ProductionIdIsRefusedUpToLevel7) {
  for (int level : {-1, 0, 5, 6, 7}) {
    test::RecordingMessages messages;
    pnIDPanel panel;
    panel.rgID = kProductionId;
    EXPECT_TRUE(ApplyIdKindRule(panel, level, messages));
    EXPECT_EQ(panel.rgID, kUserKeyId);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Module ID need preliviledge!");
    EXPECT_EQ(messages.shown[0].kind, IMessages::Kind::Information);
  }
  for (int level : {8, 16}) {
    test::RecordingMessages messages;
    pnIDPanel panel;
    panel.rgID = kProductionId;
    EXPECT_FALSE(ApplyIdKindRule(panel, level, messages));
    EXPECT_EQ(panel.rgID, kProductionId);
    EXPECT_TRUE(messages.shown.empty());
  }
  test::RecordingMessages messages;
  pnIDPanel userKey;
  EXPECT_FALSE(ApplyIdKindRule(userKey, 0, messages));
  EXPECT_TRUE(messages.shown.empty());
}

TEST(PanelRules, LedPresetsReplaceWhatWasTyped) {
  pnCustomizedLEDPanel panel;
  panel.lbCustomizedPtn3 = "typed";
  panel.rgCustomizedLED = 1;
  ApplyLedPreset(panel);
  EXPECT_EQ(panel.lbCustomizedPtn1, "00300C03");
  EXPECT_EQ(panel.lbCustomizedPtn2, "0000000F");
  EXPECT_EQ(panel.lbCustomizedPtn3, "00000000");
  EXPECT_EQ(panel.lbCustomizedPtn4, "00000000");
  panel.rgCustomizedLED = 0;
  ApplyLedPreset(panel);
  EXPECT_EQ(panel.lbCustomizedPtn1, "00000003");
  EXPECT_EQ(panel.lbCustomizedPtn2, "00300C03");
  EXPECT_EQ(panel.lbCustomizedPtn3, "00000005");
  EXPECT_EQ(panel.lbCustomizedPtn4, "00501405");
}

TEST(PanelRules, BlockSatsSendUnchecksAndColoursByTheActionAtPositionTwo) {
  Panels panels;
  ApplyAccessLevel(panels, 16);
  panels.pnBlkSats.rgBlkAction = 2;  // K700 "Disable"
  panels.pnBlkSats.cbPRN[4] = panels.pnBlkSats.cbPRN[9] = true;
  EncodeContext context;
  const auto frame = test::Encode(33, panels, context);
  EXPECT_EQ(frame[5], 0x10);
  EXPECT_EQ(frame[6], 0x02);
  EXPECT_FALSE(panels.pnBlkSats.cbPRN[4]);
  EXPECT_FALSE(panels.pnBlkSats.cbPRN[9]);
  EXPECT_TRUE(panels.pnBlkSats.cbPRNRed[4]);
  EXPECT_TRUE(panels.pnBlkSats.cbPRNRed[9]);
  EXPECT_FALSE(panels.pnBlkSats.cbPRNRed[5]);

  // Enabling PRN 5 again turns its caption black; PRN 10 was not sent and stays red.
  panels.pnBlkSats.rgBlkAction = 0;
  panels.pnBlkSats.cbPRN[4] = true;
  test::Encode(33, panels, context);
  EXPECT_FALSE(panels.pnBlkSats.cbPRNRed[4]);
  EXPECT_TRUE(panels.pnBlkSats.cbPRNRed[9]);

  // Select All / Reset All change the boxes only.
  SelectAllSatellites(panels.pnBlkSats);
  for (bool checked : panels.pnBlkSats.cbPRN) EXPECT_TRUE(checked);
  UnselectAllSatellites(panels.pnBlkSats);
  for (bool checked : panels.pnBlkSats.cbPRN) EXPECT_FALSE(checked);
  EXPECT_TRUE(panels.pnBlkSats.cbPRNRed[9]);
}

TEST(PanelRules, DegreesToDegreesAndMinutes) {
  EXPECT_EQ(DegreesToDegreesMinutes(49.2167), "4913");
  EXPECT_EQ(DegreesToDegreesMinutes(-123.1), "-12306");
  EXPECT_EQ(DegreesToDegreesMinutes(static_cast<float>(-123.1)), "-12306");
  EXPECT_EQ(DegreesToDegreesMinutes(-0.5), "-030");
  EXPECT_EQ(DegreesToDegreesMinutes(0.0), "000");
  EXPECT_EQ(DegreesToDegreesMinutes(5.999), "559");
}

TEST(PanelRules, SyncFillsDateTimeAndPositionThatTheEncoderReadsBack) {
  Panels panels;
  SyncRestart(panels.pnRestart, 951'782'400 + 3723, 49.2167, -123.1);  // 2000-02-29 01:02:03
  EXPECT_EQ(panels.pnRestart.RSTyear, "2000");
  EXPECT_EQ(panels.pnRestart.RSTmonth, "2");
  EXPECT_EQ(panels.pnRestart.RSTday, "29");
  EXPECT_EQ(panels.pnRestart.RSThour, "1");
  EXPECT_EQ(panels.pnRestart.RSTminute, "2");
  EXPECT_EQ(panels.pnRestart.RSTsecond, "3");
  EXPECT_EQ(panels.pnRestart.RSTLat, "4913");
  EXPECT_EQ(panels.pnRestart.RSTLong, "-12306");
  EncodeContext context;
  const auto frame = test::Encode(kCmdRestart, panels, context);
  EXPECT_EQ(frame[6] | frame[7] << 8, 2000);
  EXPECT_EQ(frame[8], 2);
  EXPECT_EQ(frame[9], 29);
}

}  // namespace
}  // namespace vetra
