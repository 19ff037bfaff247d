// The command panels: every named control with its caption, choices and default, the panel
// events (LED presets, the ID kind rule, Select All / Reset All, the maintain panel's groups) and
// the reply fields the receiver's answers fill.

#include <QGroupBox>
#include <QPlainTextEdit>

#include "command_test_fixture.h"
#include "commands/catalogue.h"
#include "ui/command_binding.h"
#include "ui/command_panels.h"

namespace vetra::ui {
namespace {

TEST_F(CommandAreaTest, EveryNamedPanelControlExists) {
  MakeWindow("Engineer=BRAMBLEX");
  const char* names[] = {
      "pnNothing", "pnRestart", "pnCfgIO", "pnSetDatum", "pnCfgNmea", "pnRevision", "pnClkOff",
      "pnBIT", "pnReadEphs", "pnReadAlmc", "pnID", "pnDopMask", "pnElvMask", "pnDgpsCtrl", "pn1PPS",
      "pnOutputFormat", "pnPowerSave", "pnCustomizedID", "pnShowText", "pnLocale",
      "pnCustomizedLED", "pnTraceRecord", "pnTraceRead", "pnMaintainTrace", "pnUpdateRate",
      "pnGPIO", "pnBlkSats",
      // controls that no encoder reads: buttons, reply fields, progress
      "btSyncTime", "lbRevision", "lbRevDate", "lbRevTime", "lbCRC", "lbResult1", "lbResult2",
      "lbResult3", "lbResult4", "lbBitResult", "pbReadEphs", "lbReadEphs", "lbEphsSV", "lbEphsWn",
      "lbEphsToe", "btEphsSave", "pbReadAlmc", "lbReadAlmc", "lbAlmcSV", "lbAlmcWn", "btSaveAlmc",
      "moShowText", "lbOutput2", "btSelectAll", "btUnSelectAll", "gbTrcStatus", "gbTrcSetup",
      "lbTraceStatus", "lbTraceNum", "lbTraceUsed", "moTraceCfg"};
  for (const char* name : names) EXPECT_NE(window_->findChild<QWidget*>(name), nullptr) << name;

  // Every control a catalogue row (or the trace logger's) names has its widget, by objectName, in
  // the panel of its command.
  const CommandPanels& panels = area().widgets();
  for (int n = 1; n <= kCommandCount; ++n) {
    QWidget* panel = panels.panel(CatalogueEntryOf(n).panel);
    EXPECT_EQ(panel->objectName().toStdString(), PanelName(CatalogueEntryOf(n).panel)) << n;
    const auto missing = MissingControls(panel, area().Controls(n));
    EXPECT_TRUE(missing.empty()) << "command " << n << " lacks " << missing.front();
  }
  EXPECT_NE(Find<QCheckBox>("cbPRN01"), nullptr);
  EXPECT_EQ(Find<QCheckBox>("cbPRN32")->text(), "32");
}

TEST_F(CommandAreaTest, PanelsStartWithTheFormsDefaults) {
  MakeWindow("Engineer=BRAMBLEX");
  const std::pair<const char*, const char*> texts[] = {{"RSTyear", "1980"},
                                                       {"RSTLat", "4913"},
                                                       {"RSTLong", "-12306"},
                                                       {"lbEdIdx", "0"},
                                                       {"lbElpA", ""},
                                                       {"lbDz", "0"},
                                                       {"lbGGA", "1"},
                                                       {"lbRMC", "1"},
                                                       {"lbVTG", "0"},
                                                       {"lbZDA", "0"},
                                                       {"lbClockOffSet", ""},
                                                       {"lbItem", "2"},
                                                       {"edModuleID", ""},
                                                       {"edGdop", "25"},
                                                       {"edPdop", "20"},
                                                       {"edHdop", "15"},
                                                       {"edElvMask", "5"},
                                                       {"ed1ppsBW", "1"},
                                                       {"ed1ppsMul", "1"},
                                                       {"lePowerSave", "1"},
                                                       {"edCID", ""},
                                                       {"lbZoneHour", ""},
                                                       {"lbDstAdjust", ""},
                                                       {"lbCustomizedPtn1", "00000003"},
                                                       {"lbCustomizedPtn2", "00300C03"},
                                                       {"lbCustomizedPtn4", "00501405"},
                                                       {"lbUpdateRate", "1"},
                                                       {"lbGpioMask", "FFFFFFFF"},
                                                       {"lbGpioValue", "0"},
                                                       {"lbTraceDistance", "0"},
                                                       {"lbTracePeriod", "0"},
                                                       {"lbTraceSpeed", "0"}};
  for (const auto& [name, text] : texts) EXPECT_EQ(EditText(name), text) << name;

  const std::pair<const char*, const char*> choices[] = {{"SetStartMode", "HOT"},
                                                         {"rgPort", "COM 1"},
                                                         {"rgBaud", "4800"},
                                                         {"rgID", "User Key ID"},
                                                         {"rgDopMask", "GDOP"},
                                                         {"rg1PPS", "Disable 1PPS"},
                                                         {"rgOutputFormat", "NMEA"},
                                                         {"rgOutputFormat2", "Disable"},
                                                         {"rgCID", "Read Customized ID"},
                                                         {"rgGMTsign", "GMT + (plus)"},
                                                         {"rgCustomizedLED", "Status LED"},
                                                         {"rgTraceRecordAction", "Start log"},
                                                         {"rgTraceReadAction", "start"},
                                                         {"rgTraceBaud", "115200"},
                                                         {"rgTraceStatus", "Read Status"}};
  for (const auto& [name, item] : choices) EXPECT_EQ(ChosenItem(name), item) << name;
  EXPECT_EQ(Find<ChoiceGroup>("rgSelDgps")->position(), -1);  // no choice at start
  EXPECT_EQ(Items("rgSelDgps"), QStringList({"Disable", "WAAS/EGNOS"}));
  EXPECT_EQ(Items("rgTraceStatus"), QStringList({"Read Status", "Clear log ",
                                                 "Read status & configuration", "Setup", "Test"}));

  EXPECT_TRUE(Find<QCheckBox>("cbChkSumd")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("cbChkSumd")->isHidden());
  EXPECT_FALSE(Find<QCheckBox>("chbDeepSleep")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("cbUpdateSTime")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("chStopOnFull")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("chPowerOnLog")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("chExtended")->isChecked());

  EXPECT_EQ(Find<QPushButton>("btSyncTime")->text(), "Sync");
  EXPECT_EQ(Find<QPushButton>("btSelectAll")->text(), "Select All");
  EXPECT_EQ(Find<QPushButton>("btUnSelectAll")->text(), "Reset All");
  EXPECT_EQ(Find<QPushButton>("btEphsSave")->text(), "Save");
  EXPECT_EQ(Find<QGroupBox>("gbTrcStatus")->title(), "Status ");
  EXPECT_EQ(Find<QGroupBox>("gbTrcSetup")->title(), "Setup");
  EXPECT_EQ(Find<QGroupBox>("rgBaud")->title(), "Buad Rate");
  EXPECT_EQ(LabelText("lbEdIdxCaption"), "Ellipsoid Index ");
  EXPECT_EQ(LabelText("lbOutput2"), "COM1");
}

TEST_F(CommandAreaTest, LenientFieldsTakeNoMoreThanTheyRead) {
  MakeWindow("Engineer=BRAMBLEX");
  for (const char* name : {"lbEdIdx", "lbDx", "lbGGA", "lbCustomizedPtn3", "lbGpioMask"}) {
    EXPECT_EQ(Find<QLineEdit>(name)->maxLength(), 10) << name;
  }
  EXPECT_EQ(Find<QLineEdit>("lePowerSave")->maxLength(), 7);
  EXPECT_EQ(Find<QLineEdit>("edCID")->maxLength(), 32);
  Find<QLineEdit>("lePowerSave")->setText("123456789");
  EXPECT_EQ(EditText("lePowerSave"), "1234567");
}

TEST_F(CommandAreaTest, LedChoiceWritesItsPreset) {
  MakeWindow("Engineer=BRAMBLEX");
  Find<QLineEdit>("lbCustomizedPtn1")->setText("DEADBEEF");
  ClickItem("rgCustomizedLED", 1);
  EXPECT_EQ(EditText("lbCustomizedPtn1"), "00300C03");
  EXPECT_EQ(EditText("lbCustomizedPtn2"), "0000000F");
  EXPECT_EQ(EditText("lbCustomizedPtn3"), "00000000");
  EXPECT_EQ(EditText("lbCustomizedPtn4"), "00000000");
  ClickItem("rgCustomizedLED", 0);
  EXPECT_EQ(EditText("lbCustomizedPtn1"), "00000003");
  EXPECT_EQ(EditText("lbCustomizedPtn4"), "00501405");
}

TEST_F(CommandAreaTest, ProductionIdNeedsPrivilege) {
  MakeWindow("Engineer=KALD");  // level 5
  ClickItem("rgID", 0);
  EXPECT_TRUE(messages_.Saw("Module ID need preliviledge!", "Vetra Viewer"));
  EXPECT_EQ(ChosenItem("rgID"), "User Key ID");

  messages_.shown.clear();
  MakeWindow("Engineer=TALONCREW");  // level 8
  ClickItem("rgID", 0);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(ChosenItem("rgID"), "Production ID");
}

TEST_F(CommandAreaTest, SelectAllAndResetAllLeaveTheColours) {
  MakeWindow("Engineer=BRAMBLEX");
  const QColor before = Find<QCheckBox>("cbPRN07")->palette().color(QPalette::WindowText);
  Find<QPushButton>("btSelectAll")->click();
  for (int prn = 1; prn <= 32; ++prn) {
    const QByteArray name = QString::asprintf("cbPRN%02d", prn).toLatin1();
    EXPECT_TRUE(Find<QCheckBox>(name.constData())->isChecked()) << prn;
  }
  Find<QPushButton>("btUnSelectAll")->click();
  EXPECT_FALSE(Find<QCheckBox>("cbPRN01")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("cbPRN32")->isChecked());
  EXPECT_EQ(Find<QCheckBox>("cbPRN07")->palette().color(QPalette::WindowText), before);
}

TEST_F(CommandAreaTest, MaintainActionChoosesTheGroupShown) {
  MakeWindow("Engineer=BRAMBLEX");
  Choose("Maintain Trace Buffer (1Fh)");
  QWidget* panel = Find("pnMaintainTrace");
  auto shown = [&](const char* name) { return Find(name)->isVisibleTo(panel); };
  EXPECT_TRUE(shown("gbTrcStatus"));
  EXPECT_TRUE(shown("moTraceCfg"));
  EXPECT_FALSE(shown("gbTrcSetup"));
  ClickItem("rgTraceStatus", 3);  // Setup
  EXPECT_TRUE(shown("gbTrcSetup"));
  EXPECT_FALSE(shown("gbTrcStatus"));
  EXPECT_FALSE(shown("moTraceCfg"));
  ClickItem("rgTraceStatus", 1);  // Clear log: nothing to show
  EXPECT_FALSE(shown("gbTrcSetup"));
  EXPECT_FALSE(shown("gbTrcStatus"));
  ClickItem("rgTraceStatus", 4);  // Test
  EXPECT_TRUE(shown("gbTrcStatus"));
  EXPECT_TRUE(shown("moTraceCfg"));
}

TEST_F(CommandAreaTest, EphemerisRepliesShowTheirProgress) {
  MakeWindow("Engineer=BRAMBLEX");
  ReceiverStores stores;  // the stores as the replies leave them, each reply with its snapshot
  auto slot = [](int week, int32_t toe) {
    std::array<uint8_t, 120> data{};
    data[0] = 1;
    data[4] = static_cast<uint8_t>(week);
    data[5] = static_cast<uint8_t>(week >> 8);
    for (int i = 0; i < 4; ++i) data[60 + i] = static_cast<uint8_t>(toe >> (8 * i));
    return data;
  };
  for (auto [prn, week, toe] : {std::tuple{3, 1500, 100}, {17, 1501, -7200}, {9, 1502, 300}}) {
    stores.ephemeris.Put(8, prn, slot(week, toe));
    ShowReply({ReplyKind::Ephemeris, 0x83,
               std::make_shared<const SlotStore<120>>(stores.ephemeris.Get())});
  }
  EXPECT_EQ(LabelText("lbReadEphs"), "3 / 8");
  EXPECT_EQ(LabelText("lbEphsSV"), "17");
  EXPECT_EQ(LabelText("lbEphsWn"), "1501");
  EXPECT_EQ(LabelText("lbEphsToe"), "-7200");
  EXPECT_EQ(Find<QProgressBar>("pbReadEphs")->maximum(), 8);
  EXPECT_EQ(Find<QProgressBar>("pbReadEphs")->value(), 3);

  std::array<uint8_t, 48> almanac{};
  almanac[44] = 0x10;
  almanac[45] = 0x02;
  stores.almanac.Put(2, 5, almanac);
  ShowReply(
      {ReplyKind::Almanac, 0x84, std::make_shared<const SlotStore<48>>(stores.almanac.Get())});
  EXPECT_EQ(LabelText("lbReadAlmc"), "1 / 2");
  EXPECT_EQ(LabelText("lbAlmcSV"), "5");
  EXPECT_EQ(LabelText("lbAlmcWn"), "528");
}

TEST_F(CommandAreaTest, SaveWritesTheStoreOrSaysTheFileIsWrong) {
  MakeWindow("Engineer=BRAMBLEX");
  QString offered;
  QString chosen = QString::fromStdString(settings_->folder() + "/ephs.bin");
  area().SetSaveFileChooser([&](const QString& start) {
    offered = start;
    return chosen;
  });
  Find<QPushButton>("btEphsSave")->click();
  EXPECT_EQ(offered, ".");  // the work path of the settings
  const std::string saved = test::ReadFile(chosen.toStdString());
  EXPECT_EQ(saved, std::string(3840, '\0'));  // nothing read yet: zero slots

  chosen = QString::fromStdString(settings_->folder());  // a folder cannot be written
  Find<QPushButton>("btSaveAlmc")->click();
  EXPECT_TRUE(messages_.Saw("Wrong file!", "Error"));

  messages_.shown.clear();
  chosen.clear();  // cancelled
  Find<QPushButton>("btSaveAlmc")->click();
  EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace vetra::ui
