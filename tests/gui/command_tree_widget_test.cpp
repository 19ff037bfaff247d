// The command tree of the View page: which commands each access level lists, what choosing one
// shows, and the controls that follow the access level and the chip.

#include <QComboBox>
#include <QDateTime>

#include "command_test_fixture.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

QStringList TreeTexts(QTreeWidget* tree) {
  QStringList texts;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) texts << tree->topLevelItem(i)->text(0);
  return texts;
}

// The panels of the parameter area that are shown; exactly one while a command is chosen.
QStringList ShownPanels(QWidget* area) {
  QStringList shown;
  for (QObject* child : area->children()) {
    auto* panel = qobject_cast<QWidget*>(child);
    if (panel != nullptr && panel->objectName().startsWith("pn") && panel->isVisibleTo(area)) {
      shown << panel->objectName();
    }
  }
  return shown;
}

// In the expanded View every name reads whole with its message id, and the DOP mask panel shows
// its last field, HDOP, without scrolling.
TEST_F(CommandAreaTest, NamesReadWholeAndTheDopMaskShowsHdop) {
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();
  window_->ToggleWindowSize();
  auto* tree = Find<QTreeWidget>("CmdTree");
  ASSERT_TRUE(test::WaitFor([&] { return tree->isVisible() && tree->viewport()->width() > 0; }));
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = tree->topLevelItem(i);
    EXPECT_LE(tree->fontMetrics().horizontalAdvance(item->text(0)), tree->viewport()->width())
        << item->text(0).toStdString();
  }
  ASSERT_TRUE(area().SelectCommand(15));  // Set DOP mask (0Fh)
  QWidget* hdop = Find("edHdop");
  QWidget* viewport = Find("pnParameters")->parentWidget();
  ASSERT_TRUE(test::WaitFor([&] { return hdop->isVisible(); }));
  const QRect shown = QRect(hdop->mapTo(viewport, QPoint(0, 0)), hdop->size());
  EXPECT_TRUE(viewport->rect().contains(shown));
}

TEST_F(CommandAreaTest, EachAccessLevelListsItsCommandsInCatalogueOrder) {
  MakeWindow();  // no Engineer word: level 0
  auto* tree = Find<QTreeWidget>("CmdTree");
  EXPECT_EQ(TreeTexts(tree),
            QStringList({"Restart(01h)", "Configure IO (02h)", "Set Datum (03h)",
                         "Configure NMEA (04h)", "Query Firmware Revision (05h)",
                         "Set Factory Default (08h)", "Query Navigation Setting (17h)",
                         "Query System Setting (18h)", "Set Locale (19h)"}));
  EXPECT_EQ(tree->topLevelItem(0)->childCount(), 0);
  // The 6th node is command 8, which has no parameters.
  tree->setCurrentItem(tree->topLevelItem(5));
  EXPECT_EQ(area().currentCommand(), 8);
  EXPECT_EQ(ShownPanels(Find("pnParameters")), QStringList{"pnNothing"});

  MakeWindow("Engineer=BRAMBLEX");
  tree = Find<QTreeWidget>("CmdTree");
  ASSERT_EQ(tree->topLevelItemCount(), 34);
  EXPECT_EQ(tree->topLevelItem(33)->text(0), "Usr Command 1(E2h)");
  tree->setCurrentItem(tree->topLevelItem(20));
  EXPECT_EQ(area().currentCommand(), 21);

  MakeWindow("Host=ON\nEngineer=BRAMBLEX");
  EXPECT_EQ(TreeTexts(Find<QTreeWidget>("CmdTree")),
            QStringList({"Restart(01h)", "Configure IO (02h)", "Query Firmware Revision (05h)",
                         "Set Factory Default (08h)", "Query Navigation Setting (17h)",
                         "Query System Setting (18h)"}));

  MakeWindow("Engineer=KALD");  // level 5
  EXPECT_EQ(Find<QTreeWidget>("CmdTree")->topLevelItemCount(), 19);
}

TEST_F(CommandAreaTest, ChoosingACommandShowsItsPanelAndCaption) {
  MakeWindow("Engineer=BRAMBLEX");
  QWidget* parameters = Find("pnParameters");
  EXPECT_EQ(LabelText("lbCmd"), "Please selelct a command");
  EXPECT_EQ(ShownPanels(parameters), QStringList{"pnNothing"});

  Choose("Set Extended Datum (1Bh)");
  EXPECT_EQ(ShownPanels(parameters), QStringList{"pnSetDatum"});
  EXPECT_TRUE(Find("lbEdIdx")->isHidden());
  EXPECT_FALSE(Find("lbElpA")->isHidden());
  EXPECT_FALSE(Find("lbElpF")->isHidden());
  EXPECT_FALSE(Find("lbDz")->isHidden());
  EXPECT_EQ(LabelText("lbCmd"), "Set Extended Datum (1Bh)");
  auto* caption = Find<QLabel>("lbCmd");
  EXPECT_EQ(caption->palette().color(QPalette::WindowText),
            ReadableTextColour(caption, caption->palette().color(QPalette::Highlight)));

  Choose("Set Datum (03h)");
  EXPECT_FALSE(Find("lbEdIdx")->isHidden());
  EXPECT_TRUE(Find("lbElpA")->isHidden());
  EXPECT_TRUE(Find("lbElpF")->isHidden());

  Choose("Query ID (0Eh)");
  EXPECT_EQ(ShownPanels(parameters), QStringList{"pnID"});
  Choose("Query System Setting (18h)");
  EXPECT_EQ(ShownPanels(parameters), QStringList{"pnShowText"});
  Choose("Adjust Week Number (15h)");
  EXPECT_EQ(ShownPanels(parameters), QStringList{"pnNothing"});
  Choose("Maintain Trace Buffer (1Fh)");
  EXPECT_EQ(ShownPanels(parameters), QStringList{"pnMaintainTrace"});
}

TEST_F(CommandAreaTest, ReadTraceTakesTheRateOfTheSetupPage) {
  MakeWindow("Engineer=MOSSBRIDGE");
  auto* rate = Find<QComboBox>("cbFWbaud");
  rate->setCurrentIndex(0);  // 2400: Read Trace has no such rate, its choice stays
  Choose("Read Trace (1Eh)");
  EXPECT_EQ(ChosenItem("rgTraceBaud"), "115200");
  Choose("Record Trace (1Dh)");
  rate->setCurrentIndex(4);
  Choose("Read Trace (1Eh)");
  EXPECT_EQ(ChosenItem("rgTraceBaud"), "38400");
}

TEST_F(CommandAreaTest, RestartPanelTakesTheDateAndTimeOfItsFirstPlacement) {
  MakeWindow("Engineer=BRAMBLEX");
  EXPECT_EQ(EditText("RSTyear"), "1980");
  Choose("Restart(01h)");
  const QDate today = QDateTime::currentDateTimeUtc().date();
  EXPECT_EQ(EditText("RSTyear"), QString::number(today.year()));
  EXPECT_EQ(EditText("RSTmonth"), QString::number(today.month()));
  EXPECT_EQ(EditText("RSTLat"), "4913");  // the position is not touched
  EXPECT_EQ(EditText("RSTLong"), "-12306");

  // Later placements keep what the user typed.
  Find<QLineEdit>("RSTyear")->setText("2001");
  Choose("Set Datum (03h)");
  Choose("Restart(01h)");
  EXPECT_EQ(EditText("RSTyear"), "2001");
}

TEST_F(CommandAreaTest, AccessLevelHidesAndReducesControls) {
  MakeWindow();  // level 0
  EXPECT_EQ(Items("rgBaud"), QStringList({"2400", "4800", "9600", "19200"}));
  EXPECT_EQ(ChosenItem("rgBaud"), "4800");

  MakeWindow("Engineer=KALD");  // level 5
  for (const char* name : {"RSTyear", "RSTmonth", "RSTday", "RSThour", "RSTminute", "RSTsecond",
                           "RSTLat", "RSTLong", "btSyncTime", "rgOutputFormat2", "lbOutput2"}) {
    EXPECT_TRUE(Find(name)->isHidden()) << name;
  }
  EXPECT_FALSE(Find("SetStartMode")->isHidden());
  EXPECT_EQ(Items("rgBaud").size(), 7);
  EXPECT_EQ(Find("lbSentence")->maximumWidth(), 281);

  MakeWindow("Engineer=BRAMBLEX");
  for (const char* name : {"RSTyear", "RSTLong", "btSyncTime", "rgOutputFormat2", "lbOutput2"}) {
    EXPECT_FALSE(Find(name)->isHidden()) << name;
  }
  EXPECT_GT(Find("lbSentence")->maximumWidth(), 281);
  EXPECT_EQ(Items("rgBlkAction"), QStringList({"Enable", "Restart", "Disable"}));
  EXPECT_EQ(Find<ChoiceGroup>("rgBlkAction")->position(), -1);
}

TEST_F(CommandAreaTest, ChipChoiceRebuildsRestartModesAndBlockActions) {
  TfmTop& window = MakeWindow("Engineer=BRAMBLEX");
  EXPECT_EQ(Items("SetStartMode"), QStringList({"HOT", "WARM", "COLD", "COLD Deep"}));
  ClickItem("SetStartMode", 2);
  ClickItem("rgBlkAction", 1);

  window.SelectSecondChip(true);
  EXPECT_EQ(Items("SetStartMode"),
            QStringList({"HOT", "WARM", "COLD", "TEST", "HOT wPos", "WARM wPos", "COLD deep"}));
  EXPECT_EQ(ChosenItem("SetStartMode"), "COLD");  // the choice survives the rebuild
  EXPECT_EQ(Items("rgBlkAction"),
            QStringList({"Enable", "Disable", "Restart", "Restart EPHS", "Respoition"}));
  EXPECT_EQ(Find<ChoiceGroup>("rgBlkAction")->position(), -1);

  window.SelectSecondChip(false);
  EXPECT_EQ(Items("SetStartMode"), QStringList({"HOT", "WARM", "COLD", "COLD deep"}));
  EXPECT_EQ(Items("rgBlkAction"), QStringList({"Enable", "Restart", "Disable"}));
}

}  // namespace
}  // namespace vetra::ui
