// The desktop window against the virtual receiver: leaving Setup, the live View page, the raw
// log, the coordinate format, the window size, a failing port and the named controls.

#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <asio.hpp>
#include <memory>

#include "app/baud_table.h"
#include "gui_support.h"
#include "sim/virtual_receiver.h"
#include "ui/cn0_chart.h"
#include "ui/command_area.h"
#include "ui/share_control.h"
#include "ui/sky_view.h"
#include "ui/texts.h"

namespace vetra::ui {
namespace {

using test::RecordingMessages;
using test::TempSettings;
using test::WaitFor;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  std::unique_ptr<TfmTop> MakeWindow(const std::string& settings = "",
                                     std::vector<std::string> positional = {}) {
    settings_ = std::make_unique<TempSettings>(settings);
    TfmTop::Options options;
    options.settingsPath = settings_->path;
    options.viewer.positional = std::move(positional);
    options.currentDirectory = settings_->folder();
    options.scanSerialDevices = false;
    options.messages = &messages_;
    auto window = std::make_unique<TfmTop>(std::move(options));
    window->show();
    return window;
  }

  // A virtual receiver talking NMEA (at 4800 baud unless sim says otherwise), with the window's
  // selected port pointed at it.
  void AttachReceiver(TfmTop& window, sim::SimOptions sim = {}) {
    sim.firstFixSeconds = 0.5;
    receiver_ = std::make_unique<sim::VirtualReceiver>(sim);
    ASSERT_TRUE(receiver_->Start()) << receiver_->error();
    window.PointSelectedPortAt(receiver_->devicePath(), BaudIndexOf(sim.baud));
  }

  template <typename T = QWidget>
  static T* Find(TfmTop& window, const char* name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  // Labels and line edits alike: the control's "text" property.
  static QString Text(TfmTop& window, const char* name) {
    return Find<QWidget>(window, name)->property("text").toString();
  }
  static QString CurrentPage(TfmTop& window) {
    return Find<QTabWidget>(window, "pgCoder")->currentWidget()->objectName();
  }

  RecordingMessages messages_;
  std::unique_ptr<TempSettings> settings_;
  std::unique_ptr<sim::VirtualReceiver> receiver_;
};

TEST_F(MainWindowTest, EveryNamedControlExists) {
  auto window = MakeWindow();
  const char* names[] = {
      // main window
      "pgCoder", "tsSetup", "tsView", "tsReload", "tsTrace", "tsConfig", "sbStatus", "Exit1",
      "About1",
      // Setup
      "cbPort", "cbFWbaud", "buAutoScan", "lbAutoScan", "btScan", "lbTitle", "rgChip",
      // View
      "lbTime", "lbFix", "lbLat", "lbLong", "lbHigh", "lpdop", "lhdop", "lvisible", "lbFixNo",
      "leSpeed", "leDir", "chSat", "chCn0", "lbBigSNR", "lbClkOff", "edMeasUTC", "edCB", "edTB",
      "edFB", "sgMeas", "moNMEA", "btLog", "btLarge", "btSmall", "CmdTree", "lbCmd", "btSend",
      "lbSentence", "pnAck", "rbACK", "rbNACK",
      // reply displays
      "lbRevision", "lbRevDate", "lbRevTime", "lbCRC", "lbClockOffSet", "lbResult1", "lbResult2",
      "lbResult3", "lbResult4", "lbBitResult", "edModuleID", "rgID", "edCID", "moShowText",
      "lbTraceStatus", "lbTraceNum", "lbTraceUsed", "moTraceCfg",
      // Upgrade
      "bbBrowse", "edFilePath", "leLoadSize", "leLoadAddr", "chPmonK700", "chPmonK900", "sbGo",
      "lbState", "lbResult", "brProgress",
      // Trace and TTFF
      "pnTrace", "tvTraceCmd", "lbTrcStatus", "lbTrcPct", "lbTrcLogged", "lbTrcReadPos", "lbTrace",
      "Button1", "pnTrcClear", "pnTrcRead", "pnTrcRecord", "pnTrcConvert", "rgSelCvt", "btConvert",
      "pbConvert", "pnTest", "btHotStart", "btWarmStart", "btColdStart", "lbGPSstatus",
      "lbTestStatus", "lbTestCycle", "lbTTFF", "csTestCycles", "csWaitTime", "edTestAvgHot",
      "edTestAvgWarm", "edTestAvgCold", "tmrTest"};
  for (const char* name : names) {
    EXPECT_NE(window->findChild<QObject*>(name), nullptr) << name;
  }
}

TEST_F(MainWindowTest, StartsOnSetupWithTheFormsTextsAndTheTtffTab) {
  auto window = MakeWindow();
  auto* pages = Find<QTabWidget>(*window, "pgCoder");
  EXPECT_EQ(CurrentPage(*window), "tsSetup");
  EXPECT_EQ(pages->tabText(0), "&Setup");
  EXPECT_EQ(pages->tabText(1), "&View");
  EXPECT_EQ(pages->tabText(2), "&Upgrade");
  EXPECT_FALSE(pages->isTabVisible(pages->indexOf(Find(*window, "tsConfig"))));
  EXPECT_EQ(pages->tabText(pages->indexOf(Find(*window, "tsTrace"))), "&TTFF");
  EXPECT_TRUE(Find(*window, "pnTrace")->isHidden());
  EXPECT_EQ(Find<QLabel>(*window, "lbCmd")->text(), "Please selelct a command");
  // ACK and NACK are indicators that take no clicks, and nothing is marked before a Send.
  EXPECT_FALSE(Find<QRadioButton>(*window, "rbACK")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>(*window, "rbNACK")->isChecked());
  EXPECT_TRUE(Find(*window, "rbACK")->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(Find(*window, "btScan")->isHidden());
  EXPECT_TRUE(Find(*window, "lbBigSNR")->isHidden());
  EXPECT_EQ(Find<QComboBox>(*window, "cbPort")->count(), 40);
  EXPECT_EQ(Find<QComboBox>(*window, "cbFWbaud")->currentText(), "4800");
  auto* grid = Find<QTableWidget>(*window, "sgMeas");
  EXPECT_EQ(grid->columnCount(), 10);
  EXPECT_EQ(grid->rowCount(), 13);
  EXPECT_EQ(grid->item(0, 0)->text(), "CHANNEL");
  EXPECT_EQ(grid->item(0, 9)->text(), "HEALTH");
  EXPECT_EQ(grid->item(12, 0)->text(), "12");
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindowTest, EngineerAndHostSettingsShowTheirControls) {
  {
    auto window = MakeWindow("[Setup]\nEngineer=BRAMBLEX\nTrace=ON\n");
    EXPECT_FALSE(Find(*window, "lbBigSNR")->isHidden());
    EXPECT_FALSE(Find(*window, "pnTrace")->isHidden());
    auto* pages = Find<QTabWidget>(*window, "pgCoder");
    EXPECT_EQ(pages->tabText(pages->indexOf(Find(*window, "tsTrace"))), "&Trace");
  }
  auto window = MakeWindow("[Setup]\nHost=ON\nEngineer=BRAMBLEX\n");
  EXPECT_EQ(window->accessLevel(), -1);
  EXPECT_FALSE(Find(*window, "btScan")->isHidden());
  EXPECT_TRUE(Find(*window, "lbBigSNR")->isHidden());
}

TEST_F(MainWindowTest, AnUnknownPortArgumentFallsBackToCom1WithItsMessage) {
  auto window = MakeWindow("[Setup]\nPortid=4\n", {"COM12"});
  EXPECT_EQ(window->portIndex(), 0);
  EXPECT_TRUE(messages_.Saw("Wrong COM\n\n Set to COM1!", "Com Error"));

  auto lower = MakeWindow("", {"com3"});
  EXPECT_EQ(lower->portIndex(), 2);
}

TEST_F(MainWindowTest, RefusesToLeaveSetupOnAMissingPort) {
  auto window = MakeWindow("[Ports]\nCOM1=/dev/vetra-no-such-device\n");
  EXPECT_FALSE(window->ShowPage("tsView"));
  EXPECT_EQ(CurrentPage(*window), "tsSetup");
  // The port, its device and the system's reason follow the message's text.
  EXPECT_TRUE(
      messages_.Saw("Wrong com!\n\nCOM1 (/dev/vetra-no-such-device): No such file or directory.",
                    "Open com port"));
  EXPECT_FALSE(window->portOpen());
  EXPECT_EQ(window->windowTitle(), "");

  // A port name that stands for no device at all is refused the same way.
  messages_.shown.clear();
  auto none = MakeWindow();
  EXPECT_FALSE(none->ShowPage("tsReload"));
  EXPECT_TRUE(messages_.Saw("Wrong com!\n\nCOM1: no serial device stands behind this name.",
                            "Open com port"));
}

TEST_F(MainWindowTest, ViewPageFollowsTheVirtualReceiver) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  EXPECT_TRUE(window->portOpen());
  EXPECT_EQ(window->windowTitle(), "C1-VetraViewer");

  // The fix arrives: lbFix leaves its empty start, then reports a 2D or 3D fix.
  ASSERT_TRUE(WaitFor([&] { return !Text(*window, "lbLat").isEmpty(); }));
  ASSERT_TRUE(WaitFor([&] {
    const QString fix = Text(*window, "lbFix");
    return fix == "2D" || fix == "3D" || fix == "3D+";
  }));
  const QRegularExpression decimal(R"(^\d+\.\d{6} [NS]$)");
  EXPECT_TRUE(decimal.match(Text(*window, "lbLat")).hasMatch())
      << Text(*window, "lbLat").toStdString();
  EXPECT_TRUE(QRegularExpression(R"(^\d+\.\d{6} [EW]$)").match(Text(*window, "lbLong")).hasMatch());
  // The receiver moves: the latitude text changes.
  const QString first = Text(*window, "lbLat");
  EXPECT_TRUE(WaitFor([&] { return Text(*window, "lbLat") != first; }, 15000));

  EXPECT_TRUE(WaitFor([&] { return !Find<SkyView>(*window, "chSat")->points().empty(); }));
  EXPECT_FALSE(Find<Cn0Chart>(*window, "chCn0")->bars().empty());
  EXPECT_EQ(Find<Cn0Chart>(*window, "chCn0")->axisMax(), 12);
  EXPECT_TRUE(Text(*window, "leDir").startsWith("N "));
  auto* echo = Find<QPlainTextEdit>(*window, "moNMEA");
  EXPECT_TRUE(echo->toPlainText().contains("$GPGGA"));
  auto* heartbeat = Find<QLabel>(*window, "sbStatusPanel0");
  EXPECT_TRUE(heartbeat->text() == "X" || heartbeat->text() == "O");
  // NMEA data: the clock field and the measurement grid stay hidden.
  EXPECT_FALSE(Find(*window, "lbClkOff")->isVisibleTo(window.get()));

  // Back to Setup: the port is closed and the caption empty again.
  ASSERT_TRUE(window->ShowPage("tsSetup"));
  EXPECT_FALSE(window->portOpen());
  EXPECT_EQ(window->windowTitle(), "");
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindowTest, ShareOnLocalhostServesTheMonitoredReceiverAndCountsItsClients) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  auto* share = Find<QAction>(*window, "ShareOnLocalhost1");
  EXPECT_TRUE(share->isCheckable());
  share->trigger();
  ASSERT_TRUE(window->sharing().server().running());
  auto* field = Find<QLabel>(*window, "sbShare");
  EXPECT_TRUE(field->isVisibleTo(window.get()));
  EXPECT_TRUE(field->text().startsWith("Sharing 127.0.0.1:")) << field->text().toStdString();
  EXPECT_TRUE(field->text().endsWith(": 0 clients; 0 connects, 0 disconnects"))
      << field->text().toStdString();

  const ListenAddress nmea = *window->sharing().server().nmeaAddress();
  asio::io_context io;
  asio::ip::tcp::socket client(io);
  client.connect({asio::ip::make_address(nmea.address), nmea.port});
  EXPECT_TRUE(WaitFor([&] {
    return field->text().endsWith(": 1 client; 1 connect, 0 disconnects");
  })) << field->text().toStdString();
  EXPECT_TRUE(field->text().contains(QString::fromStdString(ToString(nmea)) + " NMEA"));
  // The receiver's sentences reach the client while the window monitors.
  client.non_blocking(true);
  std::string received;
  EXPECT_TRUE(WaitFor([&] {
    char buffer[512];
    asio::error_code ec;
    received.append(buffer, client.read_some(asio::buffer(buffer), ec));
    return received.find("$GP") != std::string::npos;
  }));

  // Setup shown: no port is read, and the field says that sharing is paused and why.
  ASSERT_TRUE(window->ShowPage("tsSetup"));
  EXPECT_TRUE(field->text().startsWith("Sharing paused, no port is read (Setup page): "))
      << field->text().toStdString();
  EXPECT_EQ(window->sharing().server().pausedReason(), "no port is read (Setup page)");
  ASSERT_TRUE(window->ShowPage("tsView"));
  EXPECT_TRUE(field->text().startsWith("Sharing 127.0.0.1:")) << field->text().toStdString();

  share->trigger();
  EXPECT_FALSE(window->sharing().server().running());
  EXPECT_TRUE(field->isHidden());
}

TEST_F(MainWindowTest, DoubleClickOnLatitudeSwitchesTheCoordinateFormat) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  ASSERT_TRUE(WaitFor([&] { return !Text(*window, "lbLat").isEmpty(); }));

  const QRegularExpression minutes(R"(^\s*\d+\.\d{4} [NS]$)");
  const QRegularExpression seconds(R"(^\d+'\d\d''\d+\.\d [NS]$)");
  QTest::mouseDClick(Find(*window, "lbLat"), Qt::LeftButton);
  EXPECT_EQ(window->viewPage().coordinateFormat(), 1);
  EXPECT_TRUE(WaitFor([&] { return minutes.match(Text(*window, "lbLat")).hasMatch(); }))
      << Text(*window, "lbLat").toStdString();
  QTest::mouseDClick(Find(*window, "lbLong"), Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return seconds.match(Text(*window, "lbLat")).hasMatch(); }))
      << Text(*window, "lbLat").toStdString();
  QTest::mouseDClick(Find(*window, "lbLat"), Qt::LeftButton);
  EXPECT_EQ(window->viewPage().coordinateFormat(), 0);
}

TEST_F(MainWindowTest, LogRecordsWhatArrivesUntilStopped) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  const QString logPath = QString::fromStdString(settings_->folder()) + "/sub/receive.bin";
  QDir().mkpath(QString::fromStdString(settings_->folder()) + "/sub");
  QString offeredFolder;
  window->SetLogFileChooser([&](const QString& start) {
    offeredFolder = start;
    return logPath;
  });
  ASSERT_TRUE(window->ShowPage("tsView"));
  auto* log = Find<QPushButton>(*window, "btLog");
  EXPECT_EQ(log->text(), "Log");
  QTest::mouseClick(log, Qt::LeftButton);
  EXPECT_EQ(offeredFolder, ".");
  EXPECT_EQ(log->text(), "Stop log");
  EXPECT_EQ(Text(*window, "sbStatusPanel2"), "Logged: " + logPath);
  ASSERT_TRUE(WaitFor(
      [&] { return test::ReadFile(logPath.toStdString()).find("$GPGGA") != std::string::npos; }));

  QTest::mouseClick(log, Qt::LeftButton);
  EXPECT_EQ(log->text(), "Log");
  EXPECT_EQ(Text(*window, "sbStatusPanel2"), "");
  // Once stopped, the file no longer grows.
  const std::string logged = test::ReadFile(logPath.toStdString());
  const QString echoed = Find<QPlainTextEdit>(*window, "moNMEA")->toPlainText();
  ASSERT_TRUE(WaitFor([&] {
    return Find<QPlainTextEdit>(*window, "moNMEA")->toPlainText().size() > echoed.size() + 200;
  }));
  EXPECT_EQ(test::ReadFile(logPath.toStdString()), logged);

  // The work path follows the file's folder and is written at the end.
  EXPECT_EQ(window->workPathSetting(), settings_->folder() + "/sub/");
  window->WriteSettings();
  EXPECT_NE(test::ReadFile(settings_->path).find("WorkPath=" + settings_->folder() + "/sub/"),
            std::string::npos);
}

TEST_F(MainWindowTest, LogFileThatCannotBeOpenedIsRefused) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  window->SetLogFileChooser([](const QString&) { return QString("/nonexistent-dir/x.bin"); });
  ASSERT_TRUE(window->ShowPage("tsView"));
  QTest::mouseClick(Find<QPushButton>(*window, "btLog"), Qt::LeftButton);
  EXPECT_TRUE(messages_.Saw("Wrong file!", "Error"));
  EXPECT_EQ(Find<QPushButton>(*window, "btLog")->text(), "Log");

  // A cancelled dialog changes nothing.
  messages_.shown.clear();
  window->SetLogFileChooser([](const QString&) { return QString(); });
  QTest::mouseClick(Find<QPushButton>(*window, "btLog"), Qt::LeftButton);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(Find<QPushButton>(*window, "btLog")->text(), "Log");
}

TEST_F(MainWindowTest, SizeButtonsAndChannelCountOnTheViewPage) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  auto* larger = Find<QPushButton>(*window, "btLarge");
  auto* smaller = Find<QPushButton>(*window, "btSmall");
  EXPECT_TRUE(larger->isVisible());
  EXPECT_FALSE(smaller->isVisible());
  EXPECT_FALSE(Find(*window, "moNMEA")->isVisible());

  QTest::mouseClick(larger, Qt::LeftButton);
  EXPECT_TRUE(window->viewPage().expanded());
  EXPECT_FALSE(larger->isVisible());
  EXPECT_TRUE(smaller->isVisible());
  EXPECT_TRUE(Find(*window, "moNMEA")->isVisible());
  EXPECT_GE(window->width(), 720);
  QTest::mouseClick(smaller, Qt::LeftButton);
  EXPECT_FALSE(window->viewPage().expanded());
  EXPECT_TRUE(larger->isVisible());

  // 12 -> 16 -> 12 with the first chip.
  auto* chart = Find<Cn0Chart>(*window, "chCn0");
  QTest::mouseDClick(chart, Qt::LeftButton);  // a request the conversation takes on its next pass
  EXPECT_TRUE(test::WaitFor([&] { return window->conversation().channelCount() == 16; }));
  QTest::mouseDClick(chart, Qt::LeftButton);
  EXPECT_TRUE(test::WaitFor([&] { return window->conversation().channelCount() == 12; }));

  // Expanded when left: compact again when View is entered next time, with "Larger" shown.
  QTest::mouseClick(larger, Qt::LeftButton);
  ASSERT_TRUE(window->ShowPage("tsTrace"));
  EXPECT_FALSE(larger->isVisibleTo(window.get()));
  // The size toggle does nothing on other pages.
  const QSize size = window->size();
  window->ToggleWindowSize();
  EXPECT_TRUE(window->viewPage().expanded());
  EXPECT_EQ(window->size(), size);
  ASSERT_TRUE(window->ShowPage("tsView"));
  EXPECT_FALSE(window->viewPage().expanded());
  EXPECT_TRUE(larger->isVisible());
  EXPECT_FALSE(smaller->isVisible());
}

TEST_F(MainWindowTest, DisplayMenuAndTabOrderServeTheKeyboard) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  // The double-click gestures as menu entries with shortcuts; the size only on the View page.
  auto* format = window->findChild<QAction*>("CoordFormat1");
  auto* channels = window->findChild<QAction*>("Channels1");
  auto* size = window->findChild<QAction*>("WindowSize1");
  ASSERT_TRUE(format && channels && size);
  EXPECT_EQ(format->shortcut(), QKeySequence("Ctrl+Shift+F"));
  EXPECT_EQ(channels->shortcut(), QKeySequence("Ctrl+Shift+H"));
  EXPECT_EQ(size->shortcut(), QKeySequence("Ctrl+Shift+L"));
  EXPECT_FALSE(size->isEnabled());
  ASSERT_TRUE(window->ShowPage("tsView"));
  EXPECT_TRUE(size->isEnabled());
  size->trigger();
  EXPECT_TRUE(window->viewPage().expanded());
  format->trigger();
  EXPECT_EQ(window->viewPage().coordinateFormat(), 1);
  channels->trigger();
  EXPECT_TRUE(WaitFor([&] { return window->conversation().channelCount() == 16; }));

  // Tab goes from the tree through the chosen command's parameters to Send, then to the echo.
  ASSERT_TRUE(window->viewPage().commandArea().SelectCommand(3));  // Set Datum: several fields
  QWidget* tree = Find(*window, "CmdTree");
  QWidget* panel = Find(*window, "pnSetDatum");
  std::vector<QWidget*> order;
  for (QWidget* w = tree->nextInFocusChain(); w != tree && order.size() < 300;
       w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) order.push_back(w);
  }
  auto at = [&](const char* name) {
    return std::find(order.begin(), order.end(), Find(*window, name)) - order.begin();
  };
  const auto send = at("btSend");
  ASSERT_LT(send, static_cast<ptrdiff_t>(order.size()));
  ptrdiff_t fields = 0;
  for (ptrdiff_t i = 0; i < static_cast<ptrdiff_t>(order.size()); ++i) {
    if (!panel->isAncestorOf(order[i])) continue;
    ++fields;
    EXPECT_LT(i, send) << order[i]->objectName().toStdString();
  }
  EXPECT_GE(fields, 3);
  EXPECT_LT(send, at("cbEchoFilter"));
  EXPECT_LT(at("cbEchoFilter"), at("moNMEA"));
}

TEST_F(MainWindowTest, UpgradePageStopsMonitoringAndShowsTheChipsAddress) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  ASSERT_TRUE(window->ShowPage("tsTrace"));
  EXPECT_TRUE(window->conversation().active());
  ASSERT_TRUE(window->ShowPage("tsReload"));
  EXPECT_FALSE(window->conversation().active());
  EXPECT_EQ(Find<QLineEdit>(*window, "leLoadAddr")->text(), "20000000");
  EXPECT_TRUE(Find(*window, "chPmonK700")->isEnabled());
  EXPECT_FALSE(Find(*window, "chPmonK900")->isEnabled());
}

TEST_F(MainWindowTest, BinaryOutputShowsTheClockAndTheMeasurementGrid) {
  auto window = MakeWindow("[Setup]\nEngineer=BRAMBLEX\n");
  sim::SimOptions sim;
  sim.binaryOutput = true;
  sim.chip = sim::Chip::K900;
  AttachReceiver(*window, sim);
  window->SelectSecondChip(true);
  ASSERT_TRUE(window->ShowPage("tsView"));
  window->ToggleWindowSize();
  auto* grid = Find<QTableWidget>(*window, "sgMeas");
  EXPECT_EQ(grid->rowCount(), 17);
  ASSERT_TRUE(WaitFor([&] { return Find(*window, "lbClkOff")->isVisible(); }));
  EXPECT_TRUE(grid->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !grid->item(1, 1)->text().isEmpty(); }));
  EXPECT_FALSE(Text(*window, "lbClkOff").isEmpty());
  // The strongest signal, once a record with signal values has been shown.
  EXPECT_TRUE(WaitFor([&] { return !Text(*window, "lbBigSNR").isEmpty(); }));
}

TEST_F(MainWindowTest, AutoScanFindsTheReceiversRateWhileTheControlsWait) {
  auto window = MakeWindow();
  sim::SimOptions sim;
  sim.baud = 9600;
  AttachReceiver(*window, sim);  // the list starts at 4800
  auto* baud = Find<QComboBox>(*window, "cbFWbaud");
  baud->setCurrentIndex(1);
  auto* scan = Find<QPushButton>(*window, "buAutoScan");
  QTest::mouseClick(scan, Qt::LeftButton);
  EXPECT_TRUE(window->autoScanRunning());
  EXPECT_FALSE(scan->isEnabled());
  EXPECT_EQ(Text(*window, "lbAutoScan"), "Scan...");
  // No other page while the scan holds the port.
  EXPECT_FALSE(Find<QTabWidget>(*window, "pgCoder")->tabBar()->isEnabled());

  ASSERT_TRUE(WaitFor([&] { return !window->autoScanRunning(); }, 15000));
  EXPECT_EQ(Text(*window, "lbAutoScan"), "Found!");
  EXPECT_EQ(baud->currentText(), "9600");
  EXPECT_EQ(window->baudIndex(), 2);
  EXPECT_TRUE(scan->isEnabled());
  EXPECT_FALSE(window->portOpen());
  // Leaving Setup now opens the port at the rate found.
  ASSERT_TRUE(window->ShowPage("tsView"));
  EXPECT_TRUE(WaitFor([&] { return !Text(*window, "lbLat").isEmpty(); }));
}

TEST_F(MainWindowTest, UnpluggedReceiverStopsMonitoringAndReturnsToSetup) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  const QString logPath = QString::fromStdString(settings_->folder()) + "/unplug.bin";
  window->SetLogFileChooser([&](const QString&) { return logPath; });
  ASSERT_TRUE(window->ShowPage("tsView"));
  QTest::mouseClick(Find<QPushButton>(*window, "btLog"), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !Text(*window, "lbLat").isEmpty(); }));
  ASSERT_TRUE(WaitFor(
      [&] { return test::ReadFile(logPath.toStdString()).find("$GPGGA") != std::string::npos; }));
  const size_t loggedBeforeDrop = test::ReadFile(logPath.toStdString()).size();

  receiver_->DropLine();
  ASSERT_TRUE(WaitFor([&] { return CurrentPage(*window) == "tsSetup"; }));
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].first, kPortFailedLoggedText);
  EXPECT_FALSE(window->portOpen());
  EXPECT_EQ(Find<QPushButton>(*window, "btLog")->text(), "Log");
  EXPECT_GE(test::ReadFile(logPath.toStdString()).size(), loggedBeforeDrop);
  // The window stays usable: the log can start again once a port is open.
  EXPECT_TRUE(Find<QPushButton>(*window, "btLog")->isEnabled());
}

TEST_F(MainWindowTest, UnpluggedWithoutALogClaimsNoLog) {
  auto window = MakeWindow();
  AttachReceiver(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  ASSERT_TRUE(WaitFor([&] { return !Text(*window, "lbLat").isEmpty(); }));
  receiver_->DropLine();
  ASSERT_TRUE(WaitFor([&] { return CurrentPage(*window) == "tsSetup"; }));
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].first, kPortFailedText);
  EXPECT_EQ(messages_.shown[0].first.find("logged"), std::string::npos);
}

}  // namespace
}  // namespace vetra::ui
