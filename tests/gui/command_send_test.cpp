// Send on the View page against the virtual receiver: the frame echoed and written by the receiver
// conversation's thread, the reply in its panel, and the Sends that write nothing (a field that
// does not convert, no port, no command).

#include <QDateTime>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <thread>

#include "command_test_fixture.h"
#include "commands/send_path.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

using test::WaitFor;

TEST_F(CommandAreaTest, QueryRevisionFillsTheRevisionFields) {
  MakeWindow();
  ShowViewWithReceiver();
  Choose("Query Firmware Revision (05h)");
  Send();
  EXPECT_EQ(EditText("lbSentence"), "25 25 f1 05 01 01 f4 0d 0a ");
  EXPECT_FALSE(Find<QRadioButton>("rbACK")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>("rbNACK")->isChecked());
  EXPECT_EQ(LabelText("lbRevision"), "");  // cleared until the reply arrives

  const sim::FirmwareRevision revision = receiver_->revision();
  ASSERT_TRUE(WaitFor([&] { return !LabelText("lbRevision").isEmpty(); }));
  EXPECT_EQ(LabelText("lbRevision"), QString::fromStdString(revision.label));
  EXPECT_EQ(LabelText("lbCRC"), QString::asprintf("%04x", revision.crc));
  EXPECT_TRUE(QRegularExpression(R"(^\d\d/\d\d/\d\d$)").match(LabelText("lbRevDate")).hasMatch())
      << LabelText("lbRevDate").toStdString();
  EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d$)").match(LabelText("lbRevTime")).hasMatch());
  EXPECT_TRUE(WaitFor([&] { return Find<QRadioButton>("rbACK")->isChecked(); }));
}

TEST_F(CommandAreaTest, SendIsWrittenByTheConversationsThreadNotTheWindows) {
  MakeWindow();
  ShowViewWithReceiver();
  auto recording = std::make_unique<test::WriteRecordingPort>();
  const test::WriteRecordingPort& port = *recording;
  window_->conversation().AttachPort(std::move(recording));  // in the receiver's place
  Choose("Query Firmware Revision (05h)");
  Send();
  ASSERT_TRUE(WaitFor([&] { return !port.writes().empty(); }));
  const auto writes = port.writes();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].bytes,
            (std::vector<uint8_t>{0x25, 0x25, 0xF1, 0x05, 0x01, 0x01, 0xF4, 0x0D, 0x0A}));
  EXPECT_NE(writes[0].thread, std::this_thread::get_id());
}

TEST_F(CommandAreaTest, StrictFieldLeftEmptyShowsTheErrorAndSendsNothing) {
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();
  Choose("Restart(01h)");
  Find<QLineEdit>("RSTyear")->clear();
  Send();
  EXPECT_TRUE(messages_.Saw("'' is not a valid integer value", "Vetra Viewer"));
  EXPECT_EQ(EditText("lbSentence"), "");
  EXPECT_FALSE(Find<QRadioButton>("rbACK")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>("rbNACK")->isChecked());

  // A command sent afterwards is the first the receiver takes: the restart never left.
  Choose("Query Navigation Setting (17h)");
  Send();
  ASSERT_TRUE(ReceiverTook(1));
  const auto commands = receiver_->commands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].id, 0x17);
  // Its report reaches the memo.
  ASSERT_TRUE(WaitFor([&] {
    return Find<QPlainTextEdit>("moShowText")->toPlainText().startsWith("Position Update Rate=");
  }));
  EXPECT_TRUE(Find<QPlainTextEdit>("moShowText")->toPlainText().contains("Elevation Mask= "));
}

TEST_F(CommandAreaTest, EditsRefuseTyposAndSendRefusesAValueOutOfRange) {
  MakeWindow("Engineer=BRAMBLEX");
  window_->conversation().AttachPort(std::make_unique<test::WriteRecordingPort>());
  // Characters a field never takes do not get in.
  Choose("Update Rate (20h)");
  auto* rate = Find<QLineEdit>("lbUpdateRate");
  rate->clear();
  QTest::keyClicks(rate, "5Hz");
  EXPECT_EQ(rate->text(), "5");
  Choose("Set ID (0Dh)");
  auto* id = Find<QLineEdit>("edModuleID");
  QTest::keyClicks(id, "0x1234");
  EXPECT_EQ(id->text(), "01234");

  // A value out of range may be typed, but Send names the field, selects it and sends nothing.
  Choose("Set DOP mask (0Fh)");
  auto* pdop = Find<QLineEdit>("edPdop");
  pdop->clear();
  QTest::keyClicks(pdop, "300");
  EXPECT_EQ(pdop->text(), "300");
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::Refused);
  EXPECT_TRUE(messages_.Saw(
      "PDOP: '300' is not accepted; it takes a whole number from 0 to 255.\nNothing was sent.",
      "Vetra Viewer"));
  EXPECT_EQ(window_->focusWidget(), pdop);
  EXPECT_EQ(pdop->selectedText(), "300");
  EXPECT_EQ(EditText("lbSentence"), "");

  // The customized ID: single-byte characters only, each sent as its one byte.
  Choose("Maintain Customized ID (16h)");
  ClickItem("rgCID", 1);
  auto* cid = Find<QLineEdit>("edCID");
  QTest::keyClicks(cid, "Caf");
  for (const char* typed : {"\xC3\xA9", "\xE2\x82\xAC"}) {  // U+00E9 is a single byte, U+20AC not
    QTest::sendKeyEvent(QTest::Click, cid, Qt::Key_unknown, QString::fromUtf8(typed),
                        Qt::NoModifier);
  }
  EXPECT_EQ(cid->text(), QString::fromUtf8("Caf\xC3\xA9"));
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::Sent);
  EXPECT_EQ(EditText("lbSentence").mid(12, 18), "01 04 43 61 66 e9 ");
}

TEST_F(CommandAreaTest, FactoryDefaultAndSetIdAskFirst) {
  MakeWindow("Engineer=BRAMBLEX");
  window_->conversation().AttachPort(std::make_unique<test::WriteRecordingPort>());
  Choose("Set Factory Default (08h)");
  messages_.answer = false;
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::Declined);
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].second, "Set Factory Default (08h)");
  EXPECT_EQ(EditText("lbSentence"), "");
  messages_.answer = true;
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::Sent);
  EXPECT_EQ(EditText("lbSentence"), "25 25 f1 08 4d 58 54 52 ea 0d 0a ");

  Choose("Set ID (0Dh)");
  Find<QLineEdit>("edModuleID")->setText("4660");
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::Sent);
  ASSERT_EQ(messages_.asked.size(), 3u);
  EXPECT_NE(messages_.asked[2].first.find("User Key ID with 4660"), std::string::npos)
      << messages_.asked[2].first;
  // Query ID shares the panel and asks nothing.
  Choose("Query ID (0Eh)");
  area().SendClick();
  EXPECT_EQ(messages_.asked.size(), 3u);
}

TEST_F(CommandAreaTest, BlockSatsColoursTheSatellitesSent) {
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();
  Choose("Block Sats(E1h)");
  auto* prn1 = Find<QCheckBox>("cbPRN01");
  auto* prn2 = Find<QCheckBox>("cbPRN02");
  auto* prn32 = Find<QCheckBox>("cbPRN32");
  const QColor normal = prn2->palette().color(QPalette::WindowText);
  const QColor red(255, 0, 0);
  prn1->setChecked(true);
  prn32->setChecked(true);
  ClickItem("rgBlkAction", 2);  // "Disable"
  Send();
  EXPECT_EQ(EditText("lbSentence"), "25 25 f1 e1 02 01 00 00 80 93 0d 0a ");
  EXPECT_FALSE(prn1->isChecked());
  EXPECT_FALSE(prn32->isChecked());
  EXPECT_EQ(prn1->palette().color(QPalette::WindowText), ReadableTextColour(prn1, red));
  EXPECT_EQ(prn32->palette().color(QPalette::WindowText), ReadableTextColour(prn32, red));
  EXPECT_EQ(prn2->palette().color(QPalette::WindowText), normal);
  ASSERT_TRUE(ReceiverTook(1));
  EXPECT_EQ(receiver_->commands().back().id, 0xE1);

  // Enabling PRN 1 again turns it back; PRN 32, not sent, stays red.
  prn1->setChecked(true);
  ClickItem("rgBlkAction", 0);
  Send();
  EXPECT_EQ(prn1->palette().color(QPalette::WindowText), normal);
  EXPECT_EQ(prn32->palette().color(QPalette::WindowText), ReadableTextColour(prn32, red));
  EXPECT_TRUE(WaitFor([&] { return Find<QRadioButton>("rbACK")->isChecked(); }));
}

TEST_F(CommandAreaTest, BuiltInTestShowsTheWordsAndTheVerdict) {
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();
  Choose("Perform Built-In-Test (07h)");
  Send();  // item 2, the connection test
  EXPECT_EQ(EditText("lbSentence"), "25 25 f1 07 02 f4 0d 0a ");
  ASSERT_TRUE(WaitFor([&] { return !LabelText("lbResult1").isEmpty(); }));
  EXPECT_EQ(LabelText("lbResult1"), "100");
  EXPECT_EQ(LabelText("lbResult3"), "87");
  EXPECT_EQ(LabelText("lbBitResult"), "Connection OK");
  EXPECT_EQ(Find<QLabel>("lbBitResult")->palette().color(QPalette::Window), QColor(0, 128, 0));

  // Query ID: the reply's ID of the chosen kind lands in edModuleID.
  Choose("Set ID (0Dh)");
  Find<QLineEdit>("edModuleID")->setText("4711");
  Send();
  Choose("Query ID (0Eh)");
  Find<QLineEdit>("edModuleID")->clear();
  Send();
  EXPECT_TRUE(WaitFor([&] { return EditText("edModuleID") == "4711"; }));
}

TEST_F(CommandAreaTest, ReadEphemerisFillsTheProgressAndTheStore) {
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();
  auto* bar = Find<QProgressBar>("pbReadEphs");
  // The receiver sends the satellites it tracks: wait for its fix first.
  ASSERT_TRUE(WaitFor([&] { return window_->conversation().DisplayCopy().latitudeDeg > 1; }));
  Choose("Read Ephemeris (09h)");
  Send();
  EXPECT_EQ(EditText("lbSentence"), "25 25 f1 09 00 f8 0d 0a ");
  ASSERT_TRUE(WaitFor([&] { return bar->value() > 0 && bar->value() == bar->maximum(); }));
  EXPECT_EQ(LabelText("lbReadEphs"), QString("%1 / %1").arg(bar->value()));
  EXPECT_FALSE(LabelText("lbEphsSV").isEmpty());
  const auto store = window_->stores().ephemeris.Get();
  EXPECT_EQ(store.receivedCount(), bar->value());
}

TEST_F(CommandAreaTest, MaintainTraceAndCustomizedIdRepliesReachTheirFields) {
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();
  // Setup, then its configuration read back.
  Choose("Maintain Trace Buffer (1Fh)");
  ClickItem("rgTraceStatus", 3);
  Find<QLineEdit>("lbTraceDistance")->setText("100");
  Find<QLineEdit>("lbTracePeriod")->setText("5");
  Find<QLineEdit>("lbTraceSpeed")->setText("36");
  Send();
  EXPECT_EQ(EditText("lbSentence"), "25 25 f1 1f 03 03 64 00 05 00 63 00 ec 0d 0a ");
  Find<QLabel>("lbTraceStatus")->setText("stale");
  ClickItem("rgTraceStatus", 2);
  Send();
  EXPECT_EQ(LabelText("lbTraceStatus"), "");  // emptied until the reply
  auto* config = Find<QPlainTextEdit>("moTraceCfg");
  ASSERT_TRUE(WaitFor([&] { return config->toPlainText().contains("min speed = "); }));
  EXPECT_TRUE(config->toPlainText().contains("min distance = 100 meter"));
  EXPECT_TRUE(config->toPlainText().contains("min time = 5 second"));
  EXPECT_FALSE(LabelText("lbTraceStatus").isEmpty());
  EXPECT_FALSE(LabelText("lbTraceNum").isEmpty());

  // A customized ID set, then read: the read empties the box, the reply fills it.
  Choose("Maintain Customized ID (16h)");
  ClickItem("rgCID", 1);
  Find<QLineEdit>("edCID")->setText("FLEET-7");
  Send();
  ClickItem("rgCID", 0);
  Send();
  EXPECT_EQ(EditText("edCID"), "");
  EXPECT_TRUE(WaitFor([&] { return EditText("edCID") == "FLEET-7"; }));
}

TEST_F(CommandAreaTest, SyncTakesTheTimeAndTheLastPosition) {
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();  // the receiver starts near 49 17' N, 123 07' W
  ASSERT_TRUE(WaitFor([&] { return window_->conversation().DisplayCopy().latitudeDeg > 1; }));
  Choose("Restart(01h)");
  Find<QLineEdit>("RSTyear")->setText("1999");
  Find<QPushButton>("btSyncTime")->click();
  EXPECT_EQ(EditText("RSTyear"), QString::number(QDateTime::currentDateTimeUtc().date().year()));
  EXPECT_TRUE(QRegularExpression(R"(^49[0-5]\d$)").match(EditText("RSTLat")).hasMatch())
      << EditText("RSTLat").toStdString();
  EXPECT_TRUE(QRegularExpression(R"(^-123[0-5]\d$)").match(EditText("RSTLong")).hasMatch())
      << EditText("RSTLong").toStdString();
}

TEST_F(CommandAreaTest, SendWithoutPortOrCommandWritesNothing) {
  MakeWindow();
  // No command chosen: the acknowledgement is cleared, nothing else happens.
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::NothingToSend);
  EXPECT_FALSE(Find<QRadioButton>("rbACK")->isChecked());
  EXPECT_TRUE(messages_.shown.empty());

  // The Setup page is shown: no port exists.
  Choose("Query Firmware Revision (05h)");
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::NoPort);
  EXPECT_TRUE(messages_.Saw(kNoPortText, "Vetra Viewer"));
  EXPECT_EQ(EditText("lbSentence"), "");

  // Adjust Week Number has no frame and keeps the last echo.
  MakeWindow("Engineer=BRAMBLEX");
  ShowViewWithReceiver();
  Choose("Usr Command 1(E2h)");
  Send();
  EXPECT_EQ(EditText("lbSentence"), "25 25 f3 e2 11 0d 0a ");
  Choose("Adjust Week Number (15h)");
  EXPECT_EQ(area().SendClick().status, SendOutcome::Status::NothingToSend);
  EXPECT_EQ(EditText("lbSentence"), "25 25 f3 e2 11 0d 0a ");
}

}  // namespace
}  // namespace vetra::ui
