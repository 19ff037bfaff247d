// The Trace page against the virtual receiver: each button sends its frame and the status replies
// fill the fields; a record, a read into tracelog.tmp and its conversion make the round trip; the
// read and the raw log never hold the capture at the same time.

#include <QButtonGroup>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "pages_window.h"
#include "trace/trace_frames.h"
#include "ui/trace_page.h"

namespace vetra::ui {
namespace {

using test::WaitFor;
using Bytes = std::vector<uint8_t>;

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class TracePageTest : public PagesWindowTest {
 protected:
  void OpenTracePage() {
    MakeWindow("[Setup]\nTrace=ON\n");
    sim::SimOptions options;
    options.firstFixSeconds = 0.5;
    AttachReceiver(options);
    ASSERT_TRUE(window_->ShowPage("tsTrace"));
  }

  void Choose(int node) {
    auto* tree = Find<QTreeWidget>("tvTraceCmd");
    tree->setCurrentItem(tree->topLevelItem(node));
  }

  // Clicks button and returns the command the receiver got from it.
  sim::CommandFrame SendBy(const char* button) {
    const uint64_t before = receiver_->commandCount();
    QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
    // The window's events run meanwhile: the conversation writes the frame after a hand-off.
    EXPECT_TRUE(WaitFor([&] { return receiver_->commandCount() >= before + 1; }, 5000)) << button;
    const auto commands = receiver_->commands();
    return commands.empty() ? sim::CommandFrame{} : commands.back();
  }

  QString CurrentPanel() {
    return Find<QStackedWidget>("pnTrcPanels")->currentWidget()->objectName();
  }

  // Records until the receiver has logged `count` fixes, and shows its status; the logged count.
  size_t LogRecords(size_t count) {
    Choose(2);
    Find<QLineEdit>("lbTrcPeriod")->setText("1");
    SendBy("btTrcRecord");
    EXPECT_TRUE(WaitFor([&] { return receiver_->traceRecords().size() >= count; }, 20000));
    SendBy("btTrcRecord");
    const size_t logged = receiver_->traceRecords().size();
    SendBy("Button1");
    EXPECT_TRUE(WaitFor([&] { return Text("lbTrcLogged") == QString::number(logged); }));
    return logged;
  }
};

TEST_F(TracePageTest, ButtonsSendTheirFramesAndTheStatusFillsTheFields) {
  OpenTracePage();
  auto* pages = Find<QTabWidget>("pgCoder");
  EXPECT_EQ(pages->tabText(pages->currentIndex()), "&Trace");
  EXPECT_TRUE(Find("pnTrace")->isVisible());
  EXPECT_EQ(Text("lbTrace"), "no action");
  EXPECT_EQ(Find<QPushButton>("Button1")->text(), "Request");

  Choose(0);
  EXPECT_EQ(CurrentPanel(), "pnTrcClear");
  EXPECT_EQ(Text("lbTrace"), "Clear");
  // The read rate follows the Setup page's rate (4800).
  Choose(1);
  EXPECT_EQ(CurrentPanel(), "pnTrcRead");
  EXPECT_EQ(Find<QButtonGroup>("rdTrcBaudButtons")->checkedButton()->text(), "4800");
  Choose(0);

  // Clear asks first; a "no" sends nothing.
  messages_.answer = false;
  const uint64_t beforeClear = receiver_->commandCount();
  QTest::mouseClick(Find<QPushButton>("btClear"), Qt::LeftButton);
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].first, "Erase all logged positions?");
  messages_.answer = true;
  const sim::CommandFrame clear = SendBy("btClear");
  EXPECT_EQ(receiver_->commandCount(), beforeClear + 1);
  EXPECT_EQ(clear.id, 0x1F);
  EXPECT_EQ(clear.payload, (Bytes{0x01, 0x00}));

  const sim::CommandFrame request = SendBy("Button1");
  EXPECT_EQ(request.id, 0x1F);
  EXPECT_EQ(request.payload, (Bytes{0x00, 0x00}));
  ASSERT_TRUE(WaitFor([&] { return Text("lbTrcStatus") == "Stop"; }));
  EXPECT_EQ(Text("lbTrcLogged"), "0");
  EXPECT_EQ(Text("lbTrcPct"), "0");
  // The maintain panel of the command area shows the same report.
  EXPECT_EQ(Text("lbTraceStatus"), "Stop");

  // Nothing logged: the read does nothing at all.
  Choose(1);
  const uint64_t before = receiver_->commandCount();
  QTest::mouseClick(Find<QPushButton>("btTrcRead"), Qt::LeftButton);
  EXPECT_EQ(Find<QPushButton>("btTrcRead")->text(), "Start");
  EXPECT_TRUE(Find("tvTraceCmd")->isEnabled());
  SendBy("Button1");  // a frame that does go out, to be sure the read sent none before it
  EXPECT_EQ(receiver_->commandCount(), before + 1);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(TracePageTest, RecordReadAndConvertMakeTheRoundTrip) {
  OpenTracePage();
  Choose(2);
  ASSERT_EQ(CurrentPanel(), "pnTrcRecord");
  Find<QLineEdit>("lbTrcDistance")->setText("0");
  Find<QLineEdit>("lbTrcPeriod")->setText("1");
  EXPECT_EQ(Find<QLineEdit>("lbTrcTime")->text(), "65535");

  // Start: mode 1 OR 2, then distance, period and time to log.
  const sim::CommandFrame start = SendBy("btTrcRecord");
  EXPECT_EQ(start.id, 0x1D);
  EXPECT_EQ(start.payload, (Bytes{0x03, 0x01, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF}));
  EXPECT_EQ(Find<QPushButton>("btTrcRecord")->text(), "Stop");
  EXPECT_FALSE(Find("tvTraceCmd")->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return receiver_->traceRecords().size() >= 3; }, 20000));
  const sim::CommandFrame stop = SendBy("btTrcRecord");
  EXPECT_EQ(stop.payload[0], 0x02);
  EXPECT_EQ(Find<QPushButton>("btTrcRecord")->text(), "Start");
  EXPECT_TRUE(Find("tvTraceCmd")->isEnabled());
  const size_t logged = receiver_->traceRecords().size();

  SendBy("Button1");
  ASSERT_TRUE(WaitFor([&] { return Text("lbTrcLogged") == QString::number(logged); }))
      << Text("lbTrcLogged").toStdString() << " of " << logged;

  // The read asks for the status first, then captures into tracelog.tmp; meanwhile the raw log
  // cannot start.
  Choose(1);
  const uint64_t before = receiver_->commandCount();
  QTest::mouseClick(Find<QPushButton>("btTrcRead"), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Find<QPushButton>("btTrcRead")->text() == "Stop"; }));
  ASSERT_TRUE(WaitFor([&] { return receiver_->commandCount() == before + 2; }));
  const std::vector<sim::CommandFrame> commands = receiver_->commands();
  EXPECT_EQ(commands[commands.size() - 2].payload, (Bytes{0x00, 0x00}));  // the status query
  const sim::CommandFrame& read = commands.back();
  EXPECT_EQ(read.id, 0x1E);
  EXPECT_EQ(read.payload, (Bytes{0x02, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00}));  // at 4800
  EXPECT_FALSE(Find("tvTraceCmd")->isEnabled());
  EXPECT_FALSE(Find("btLog")->isEnabled());
  EXPECT_EQ(Find<QProgressBar>("pbReadProgress")->maximum(), static_cast<int>(logged));
  ASSERT_TRUE(WaitFor([&] { return Text("lbProgress") == QString::number(logged); }))
      << Text("lbProgress").toStdString();
  EXPECT_EQ(Find<QProgressBar>("pbReadProgress")->value(), static_cast<int>(logged));
  EXPECT_EQ(Text("lbTrcReadPos"), QString::number(logged));

  SendBy("btTrcRead");
  EXPECT_EQ(Find<QPushButton>("btTrcRead")->text(), "Start");
  EXPECT_TRUE(Find("btLog")->isEnabled());
  EXPECT_EQ(Text("lbProgress"), "0");
  const std::string capture = test::ReadFile(PathIn("tracelog.tmp"));
  EXPECT_GE(CountOf(capture, std::string("%%\xF2\x88", 4)), logged);

  // Geodetic text: one line per record, at the receiver's position.
  Choose(3);
  ASSERT_EQ(CurrentPanel(), "pnTrcConvert");
  auto* types = Find<QButtonGroup>("rgSelCvtButtons");
  EXPECT_EQ(types->buttons().size(), 6);
  EXPECT_EQ(types->button(4)->text(), "GPX track");
  types->button(1)->click();
  // The window handles its events during the conversion, with Start disabled meanwhile.
  bool handledDuring = false, startDisabledDuring = false;
  QTimer::singleShot(0, this->window_.get(), [&] {
    handledDuring = true;
    startDisabledDuring = !Find<QPushButton>("btConvert")->isEnabled();
  });
  QTest::mouseClick(Find<QPushButton>("btConvert"), Qt::LeftButton);
  EXPECT_TRUE(handledDuring);
  EXPECT_TRUE(startDisabledDuring);
  auto* progress = Find<QProgressBar>("pbConvert");
  EXPECT_EQ(progress->maximum(), static_cast<int>(capture.size()));
  EXPECT_EQ(progress->value(), progress->maximum());
  EXPECT_TRUE(Find<QPushButton>("btConvert")->isEnabled());
  std::istringstream lines(test::ReadFile(PathIn("tracedata.gps")));
  size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    EXPECT_NE(line.find(", 49.2"), std::string::npos) << line;
  }
  EXPECT_EQ(count, logged);
  EXPECT_EQ(Text("lbCvtReport"),
            QString::fromStdString(std::to_string(logged) + " records written to tracedata.gps; 0 "
                                                            "skipped, 0 rejected by checksum"));
  QCoreApplication::processEvents();  // the report label's new height is laid out
  SaveScreenshot("trace.png");

  // Another type resets the bar; a GPX track goes to its own file.
  types->button(4)->click();
  EXPECT_EQ(progress->value(), 0);
  QTest::mouseClick(Find<QPushButton>("btConvert"), Qt::LeftButton);
  const std::string gpx = test::ReadFile(PathIn("tracedata.gpx"));
  EXPECT_NE(gpx.find("<gpx"), std::string::npos);
  EXPECT_EQ(CountOf(gpx, "<trkpt"), logged);
  EXPECT_TRUE(messages_.shown.empty());
}

// A capture that cannot be written (tracelog.tmp leads to /dev/full: a full disk) stops the read,
// on the receiver too, and says which file, why and how many records it keeps. A read whose port
// fails leaves read mode: its Stop button does not start another read.
TEST_F(TracePageTest, AReadEndsWhenItsCaptureCannotBeWrittenOrItsPortFails) {
  OpenTracePage();
  LogRecords(2);
  const std::string capture = PathIn("tracelog.tmp");
  std::filesystem::create_symlink("/dev/full", capture);
  Choose(1);
  auto* read = Find<QPushButton>("btTrcRead");
  QTest::mouseClick(read, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !messages_.shown.empty(); }, 15000));
  EXPECT_EQ(messages_.shown[0].first, "Could not write the trace capture " + capture +
                                          ": No space left on device.\n"
                                          "The read stopped; the file keeps 0 records.");
  EXPECT_EQ(read->text(), "Start");
  EXPECT_TRUE(Find("tvTraceCmd")->isEnabled());
  EXPECT_TRUE(Find("btLog")->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return receiver_->commands().back().id == kTraceMaintainCommand; }));
  const std::vector<sim::CommandFrame> commands = receiver_->commands();
  EXPECT_EQ(commands[commands.size() - 2].id, kTraceReadCommand);  // the explicit stop
  EXPECT_EQ(commands[commands.size() - 2].payload[0], 0x00);

  std::filesystem::remove(capture);
  QTest::mouseClick(read, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return read->text() == "Stop"; }));
  receiver_->DropLine();
  ASSERT_TRUE(WaitFor([&] { return read->text() == "Start"; }));
  EXPECT_TRUE(Find("tvTraceCmd")->isEnabled());
}

TEST_F(TracePageTest, ARawLogThatCannotBeWrittenStopsAndSaysSo) {
  OpenTracePage();
  window_->SetLogFileChooser([](const QString&) { return QString("/dev/full"); });
  ASSERT_TRUE(window_->ShowPage("tsView"));
  QTest::mouseClick(Find<QPushButton>("btLog"), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !messages_.shown.empty(); }, 15000));
  EXPECT_EQ(messages_.shown[0].first,
            "Could not write the log /dev/full: No space left on device.\n"
            "Logging stopped; the file keeps 0 bytes received before.");
  EXPECT_EQ(Find<QPushButton>("btLog")->text(), "Log");
}

TEST_F(TracePageTest, TheRawLogAndTheReadNeverShareTheCapture) {
  OpenTracePage();
  window_->SetLogFileChooser(
      [this](const QString&) { return QString::fromStdString(PathIn("raw.bin")); });
  ASSERT_TRUE(window_->ShowPage("tsView"));
  QTest::mouseClick(Find<QPushButton>("btLog"), Qt::LeftButton);
  ASSERT_EQ(Find<QPushButton>("btLog")->text(), "Stop log");
  ASSERT_TRUE(window_->ShowPage("tsTrace"));
  EXPECT_FALSE(Find("btTrcRead")->isEnabled());

  ASSERT_TRUE(window_->ShowPage("tsView"));
  QTest::mouseClick(Find<QPushButton>("btLog"), Qt::LeftButton);
  EXPECT_TRUE(Find("btTrcRead")->isEnabled());
}

TEST_F(TracePageTest, ConversionWithoutACaptureChangesNothing) {
  OpenTracePage();
  Choose(3);
  QTest::mouseClick(Find<QPushButton>("btConvert"), Qt::LeftButton);
  EXPECT_EQ(Find<QProgressBar>("pbConvert")->value(), 0);
  EXPECT_FALSE(std::ifstream(PathIn("tracedata.gps")).good());
  EXPECT_TRUE(messages_.shown.empty());

  // An empty capture converts to an empty text, with the bar at its end (not a busy bar).
  std::ofstream(PathIn("tracelog.tmp"));
  QTest::mouseClick(Find<QPushButton>("btConvert"), Qt::LeftButton);
  auto* bar = Find<QProgressBar>("pbConvert");
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(test::ReadFile(PathIn("tracedata.gps")), "");
  EXPECT_EQ(Text("lbCvtReport"),
            "0 records written to tracedata.gps; 0 skipped, 0 rejected by "
            "checksum");
}

TEST_F(TracePageTest, WithoutTheLoggerTheTabIsTheTtffTab) {
  MakeWindow();
  auto* pages = Find<QTabWidget>("pgCoder");
  EXPECT_EQ(pages->tabText(pages->indexOf(Find("tsTrace"))), "&TTFF");
  EXPECT_TRUE(Find("pnTrace")->isHidden());
  EXPECT_FALSE(Find("pnTest")->isHidden());
  EXPECT_EQ(TracePage::OutputFileName(TraceFormat::Rmc), std::string("tracedata.gps"));
  EXPECT_EQ(TracePage::OutputFileName(TraceFormat::Kml), std::string("tracedata.kml"));
}

}  // namespace
}  // namespace vetra::ui

namespace vetra::ui {
namespace {

TEST_F(PagesWindowTest, EveryNamedControlOfTheUpgradeTraceAndTtffPagesExists) {
  MakeWindow("[Setup]\nTrace=ON\n");
  const char* names[] = {
      // Upgrade
      "tsReload", "bbBrowse", "edFilePath", "leLoadSize", "leLoadAddr", "chPmonK700", "chPmonK900",
      "sbGo", "lbState", "lbResult", "brProgress",
      // Trace logger
      "tsTrace", "pnTrace", "tvTraceCmd", "lbTrace", "lbTrcStatus", "lbTrcPct", "lbTrcLogged",
      "lbTrcReadPos", "Button1", "pnTrcClear", "btClear", "pnTrcRead", "rdTrcFormat", "lbStartPos",
      "rdTrcBaud", "pbReadProgress", "lbProgress", "btTrcRead", "pnTrcRecord", "lbTrcDistance",
      "lbTrcPeriod", "lbTrcTime", "btTrcRecord", "pnTrcConvert", "rgSelCvt", "pbConvert",
      "btConvert",
      // TTFF
      "pnTest", "btHotStart", "btWarmStart", "btColdStart", "lbGPSstatus", "lbTestStatus",
      "lbTestCycle", "lbTTFF", "csTestCycles", "csWaitTime", "edTestAvgHot", "edTestAvgWarm",
      "edTestAvgCold", "tmrTest", "lbTestMin", "lbTestMedian", "lbTestMax", "lbTestStdDev",
      "lbTestValid", "pbTestPlot", "btTestExport"};
  for (const char* name : names) {
    EXPECT_NE(window_->findChild<QObject*>(name), nullptr) << name;
  }
  // The texts the pages start with.
  EXPECT_EQ(Find<QButtonGroup>("rdTrcFormatButtons")->checkedButton()->text(), "Binary");
  EXPECT_EQ(Find<QLineEdit>("lbStartPos")->text(), "0");
  EXPECT_EQ(Find<QLineEdit>("lbTrcDistance")->text(), "0");
  EXPECT_EQ(Find<QLineEdit>("lbTrcPeriod")->text(), "0");
  EXPECT_EQ(Find<QLineEdit>("lbTrcTime")->text(), "65535");
  EXPECT_EQ(Find<QButtonGroup>("rgSelCvtButtons")->checkedButton()->text(), "ECEF(x,y,z) in ASCII");
  EXPECT_EQ(Find<QSpinBox>("csTestCycles")->minimum(), 1);
  EXPECT_EQ(Find<QSpinBox>("csTestCycles")->maximum(), 10000);
  EXPECT_EQ(Find<QSpinBox>("csWaitTime")->minimum(), 3);
  EXPECT_EQ(Find<QSpinBox>("csWaitTime")->maximum(), 20);
  EXPECT_EQ(Find<QLineEdit>("edTestAvgWarm")->text(), "     Warm");
}

}  // namespace
}  // namespace vetra::ui
