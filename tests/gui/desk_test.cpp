// The desk around the pages: the line's health in the status bar, what is remembered between
// runs in the real settings file, and the window's size per page layout and on a 2x screen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

#include "app/baud_table.h"
#include "gui_support.h"
#include "session/line_health.h"
#include "sim/virtual_receiver.h"
#include "support/fake_clock.h"
#include "ui/command_area.h"
#include "ui/health_status.h"
#include "ui/main_window.h"
#include "ui/statistics_window.h"
#include "ui/ttff_panel.h"
#include "ui/window_placement.h"

namespace vetra::ui {
namespace {

using test::RecordingMessages;
using test::TempSettings;
using test::WaitFor;

TEST(HealthStatusBar, HintsForASilentPortAndAWrongRate) {
  test::App();
  QStatusBar bar;
  test::FakeClock clock;
  PassValue pass;  // the counters arrive in every pass
  LineHealth& counters = pass.health;
  HealthStatus status(&bar, clock);
  auto* field = bar.findChild<QLabel*>("sbHealth");
  ASSERT_NE(field, nullptr);
  status.PortOpened();
  status.SetMonitoring(true);
  for (int s = 0; s < LineHealthMeter::kHintSeconds; ++s) {
    clock.advanceSeconds(1);
    status.Tick();
  }
  EXPECT_EQ(status.hint(), kSilentPortHint);

  // Garbage at the wrong rate: bytes, nothing valid.
  for (int s = 0; s < LineHealthMeter::kHintSeconds + 1; ++s) {
    clock.advanceSeconds(1);
    counters.bytesRead += 480;
    status.ShowPass(pass);
    status.Tick();
  }
  EXPECT_EQ(status.hint(), kWrongRateHint);
  EXPECT_EQ(status.brief().text, "Wrong rate?");
  // The counters are in the tooltip, in words.
  EXPECT_TRUE(field->toolTip().startsWith("480 bytes per second"))
      << field->toolTip().toStdString();

  status.PortClosed();
  EXPECT_EQ(status.hint(), "");
  EXPECT_EQ(field->text(), "");
}

class DeskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    settings_ = std::make_unique<TempSettings>();
  }

  std::unique_ptr<TfmTop> Start(std::vector<std::string> positional = {},
                                const std::string& content = "", IClock* clock = nullptr) {
    if (!content.empty()) settings_ = std::make_unique<TempSettings>(content);
    TfmTop::Options options;
    options.settingsPath = settings_->path;
    options.viewer.positional = std::move(positional);
    options.currentDirectory = settings_->folder();
    options.scanSerialDevices = false;
    options.messages = &messages_;
    options.clock = clock;
    auto window = std::make_unique<TfmTop>(std::move(options));
    window->show();
    return window;
  }
  void Attach(TfmTop& window) {
    if (!receiver_) {
      receiver_ = std::make_unique<sim::VirtualReceiver>(sim::SimOptions{});
      ASSERT_TRUE(receiver_->Start()) << receiver_->error();
    }
    window.PointSelectedPortAt(receiver_->devicePath(), BaudIndexOf(receiver_->baud()));
  }
  template <typename T>
  static T* Find(TfmTop& window, const char* name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  static void ClickTab(TfmTop& window, const char* page) {
    auto* tabs = Find<QTabWidget>(window, "pgCoder");
    const int index = tabs->indexOf(Find<QWidget>(window, page));
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
    ASSERT_TRUE(WaitFor([&] { return tabs->currentIndex() == index; })) << page;
  }
  static void ResizeTo(TfmTop& window, QSize size) {
    window.resize(size);
    ASSERT_TRUE(WaitFor([&] { return window.size() == size; }));
  }

  RecordingMessages messages_;
  std::unique_ptr<TempSettings> settings_;
  std::unique_ptr<sim::VirtualReceiver> receiver_;
};

TEST_F(DeskTest, ChoicesComeBackAtTheNextStartAndTheCommandLineWins) {
  {
    auto window = Start();
    Find<QComboBox>(*window, "cbPort")->setCurrentIndex(4);
    Find<QComboBox>(*window, "cbFWbaud")->setCurrentIndex(3);
    window->SelectSecondChip(true);
    window->viewPage().NextCoordinateFormat();
    Find<QSpinBox>(*window, "csTestCycles")->setValue(7);
    window->resize(420, 460);  // the Setup page's layout, as the user left it
    window->close();
  }
  EXPECT_TRUE(messages_.shown.empty());
  auto again = Start();
  EXPECT_EQ(again->portIndex(), 4);  // written as Port, read back where Portid is missing
  EXPECT_EQ(Find<QComboBox>(*again, "cbFWbaud")->currentText(), "19200");
  EXPECT_EQ(again->baudIndex(), 3);
  bool k900 = false;
  for (const QRadioButton* chip : Find<QWidget>(*again, "rgChip")->findChildren<QRadioButton*>()) {
    if (chip->text() == "TQ-K900") k900 = chip->isChecked();
  }
  EXPECT_TRUE(k900);
  EXPECT_EQ(again->viewPage().coordinateFormat(), 1);
  EXPECT_EQ(Find<QSpinBox>(*again, "csTestCycles")->value(), 7);
  EXPECT_EQ(again->size(), QSize(420, 460));
  again->close();

  auto chosen = Start({"COM2"});
  EXPECT_EQ(chosen->portIndex(), 1);
}

// The user's clicks and keys through every page and both View layouts, the focus wandering
// through the trees: no command and no trace action becomes current, and Send sends nothing.
TEST_F(DeskTest, NothingIsCurrentUntilTheUserPicksIt) {
  auto window = Start({}, "[Setup]\nTrace=ON\n");
  Attach(*window);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  auto* cmdTree = Find<QTreeWidget>(*window, "CmdTree");
  auto* traceTree = Find<QTreeWidget>(*window, "tvTraceCmd");
  auto* send = Find<QPushButton>(*window, "btSend");
  auto nothingPicked = [&](const std::string& where) {
    for (int key = 0; key < 40; ++key) {
      QWidget* focused = QApplication::focusWidget();
      QTest::keyClick(focused != nullptr ? focused : window.get(), Qt::Key_Tab);
    }
    EXPECT_EQ(cmdTree->currentItem(), nullptr) << where;
    EXPECT_EQ(window->viewPage().commandArea().currentCommand(), 0) << where;
    EXPECT_FALSE(send->isEnabled()) << where;
    QTest::mouseClick(send, Qt::LeftButton);
    EXPECT_EQ(window->viewPage().commandArea().SendClick().status,
              SendOutcome::Status::NothingToSend)
        << where;
    EXPECT_EQ(Find<QLineEdit>(*window, "lbSentence")->text(), "") << where;  // nothing went out
    EXPECT_EQ(traceTree->currentItem(), nullptr) << where;
    EXPECT_EQ(Find<QLabel>(*window, "lbTrace")->text(), "no action") << where;
  };
  for (const char* page : {"tsView", "tsReload", "tsTrace", "tsView"}) {
    ClickTab(*window, page);
    nothingPicked(page);
  }
  QTest::mouseClick(Find<QPushButton>(*window, "btLarge"), Qt::LeftButton);
  ASSERT_TRUE(window->viewPage().expanded());
  nothingPicked("expanded View");
  QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_FALSE(window->viewPage().expanded());
  QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
  nothingPicked("expanded again");
  ClickTab(*window, "tsTrace");
  nothingPicked("Trace after the expanded View");

  // A pick is the user's: then Send is there.
  ClickTab(*window, "tsView");
  QTest::mouseClick(Find<QPushButton>(*window, "btLarge"), Qt::LeftButton);
  const QRect row = cmdTree->visualItemRect(cmdTree->topLevelItem(2));
  QTest::mouseClick(cmdTree->viewport(), Qt::LeftButton, {}, row.center());
  CommandArea& commands = window->viewPage().commandArea();
  EXPECT_EQ(commands.currentCommand(), commands.tree().nodeMap[2]);
  EXPECT_TRUE(send->isEnabled());
}

TEST_F(DeskTest, TheCompactViewGrowsItsChartsWithTheWindow) {
  auto window = Start();
  Attach(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  auto* sky = Find<QWidget>(*window, "chSat");
  auto* cn0 = Find<QWidget>(*window, "chCn0");
  const QSize skyBefore = sky->size(), cn0Before = cn0->size();
  ResizeTo(*window, window->size() + QSize(200, 200));
  ASSERT_TRUE(WaitFor([&] { return sky->height() > skyBefore.height(); }));
  EXPECT_GT(sky->width(), skyBefore.width());
  EXPECT_GT(cn0->width(), cn0Before.width());
  EXPECT_GT(cn0->height(), cn0Before.height());
}

TEST_F(DeskTest, EachPageLayoutKeepsTheSizeTheUserGaveIt) {
  auto window = Start();
  Attach(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  ResizeTo(*window, {400, 520});
  ASSERT_TRUE(window->ShowPage("tsReload"));
  EXPECT_NE(window->size(), QSize(400, 520));  // the View's size stays with the View
  ResizeTo(*window, {450, 480});
  ASSERT_TRUE(window->ShowPage("tsView"));
  EXPECT_EQ(window->size(), QSize(400, 520));
  ASSERT_TRUE(window->ShowPage("tsTrace"));
  EXPECT_EQ(window->size(), QSize(450, 480));
  // Never larger than the screen has room for.
  const QSize room = window->screen()->availableGeometry().size();
  window->ToggleWindowSize();
  ASSERT_TRUE(window->ShowPage("tsView"));
  window->ToggleWindowSize();
  EXPECT_LE(window->frameGeometry().width(), room.width());
  EXPECT_LE(window->frameGeometry().height(), room.height());
}

// Run twice by ctest: as it is, and with QT_SCALE_FACTOR=2. A 1366x768 screen leaves 1366x688
// logical pixels for the window once a title bar and a panel (80 pixels) are taken; a 1920x1080
// screen at 200 % leaves 960x460. Every page layout, with either chip, and the Statistics window,
// fit there: what does not fit scrolls.
TEST_F(DeskTest, EveryPageLayoutFitsA1366x768ScreenAndA1920x1080ScreenAt200Percent) {
  auto window = Start();
  Attach(*window);
  const qreal scale = window->devicePixelRatioF();
  const QSize room = scale > 1.5 ? QSize(960, 460) : QSize(1366, 688);
  auto fits = [&](QWidget& shown, const std::string& what) {
    const QSize needed = shown.minimumSizeHint().expandedTo(shown.minimumSize());
    EXPECT_LE(needed.width(), room.width()) << what << " at scale " << scale;
    EXPECT_LE(needed.height(), room.height()) << what << " at scale " << scale;
  };
  for (const bool k900 : {false, true}) {
    const std::string chip = k900 ? " K900" : " K700";
    ASSERT_TRUE(window->ShowPage("tsSetup"));
    window->SelectSecondChip(k900);
    fits(*window, "Setup" + chip);
    for (const char* page : {"tsView", "tsReload", "tsTrace"}) {
      ASSERT_TRUE(window->ShowPage(page));
      fits(*window, page + chip);
    }
    ASSERT_TRUE(window->ShowPage("tsView"));
    window->ToggleWindowSize();
    ASSERT_TRUE(WaitFor([&] { return window->conversation().DisplayCopy().satellitesInView > 0; }));
    fits(*window, "expanded View" + chip);
    // The grid of binary records shows too (the taller one with the K900).
    window->viewPage().ShowPass([] {
      PassValue pass;
      TNavRecord record{};
      pass.navigation = NavigationUpdate{record, DisplaySource::Binary};
      return pass;
    }());
    fits(*window, "expanded View with the measurement grid" + chip);
    window->ToggleWindowSize();
  }
  window->ShowStatistics();
  fits(window->statisticsWindow(), "Statistics");
}

// Each layout's start size, and its name in the settings file (a name changed would lose every
// user's remembered places).
TEST(WindowPlacementTest, EachLayoutHasItsStartSizeAndItsSettingsName) {
  const struct {
    PageLayout layout;
    bool secondChip;
    QSize size;
    std::string key;
  } rows[] = {
      {PageLayout::Compact, false, {282, 405}, "compact"},
      {PageLayout::Compact, true, {282, 405}, "compact"},
      {PageLayout::Expanded, false, {720, 645}, "expanded"},
      {PageLayout::Expanded, true, {720, 713}, "expanded"},
      {PageLayout::Pages, false, {300, 405}, "pages"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(StartSize(row.layout, row.secondChip), row.size) << row.key << " " << row.secondChip;
    EXPECT_EQ(LayoutKey(row.layout), row.key);
  }
}

// Smaller gives the compact window (282x405, or what its contents need) whatever the expanded
// one was, and that size is what comes back at the next start.
TEST_F(DeskTest, SmallerGivesTheCompactSize) {
  for (int run = 0; run < 2; ++run) {
    auto window = Start();
    Attach(*window);
    window->ShowStartPage("tsView");
    window->ToggleWindowSize();  // as --expanded does
    ASSERT_TRUE(window->viewPage().expanded());
    window->ToggleWindowSize();
    EXPECT_EQ(window->size(), QSize(282, 405).expandedTo(window->minimumSizeHint()))
        << "run " << run;
    window->close();
  }
}

// The last page comes back at the next start; a page on the command line wins.
TEST_F(DeskTest, TheLastPageComesBackAndTheCommandLineWins) {
  {
    auto window = Start();
    Attach(*window);
    ASSERT_TRUE(window->ShowPage("tsTrace"));
    window->close();
  }
  auto again = Start();
  Attach(*again);
  again->ShowStartPage(QString());
  EXPECT_EQ(Find<QTabWidget>(*again, "pgCoder")->currentWidget()->objectName(), "tsTrace");
  again->close();
  auto chosen = Start();
  Attach(*chosen);
  chosen->ShowStartPage("tsReload");
  EXPECT_EQ(Find<QTabWidget>(*chosen, "pgCoder")->currentWidget()->objectName(), "tsReload");
}

// A silent port in the compact window: the status bar says so in a short form that fits, with
// the chip beside it; the whole hint is in the tooltip and comes with a click.
TEST_F(DeskTest, TheCompactStatusBarShowsAShortFormThatFits) {
  test::ManualClock clock;
  auto window = Start({}, "", &clock);
  const int silent = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(silent, 0);
  ASSERT_EQ(grantpt(silent), 0);
  ASSERT_EQ(unlockpt(silent), 0);
  window->PointSelectedPortAt(ptsname(silent), 1);
  ASSERT_TRUE(window->ShowPage("tsView"));
  for (int s = 0; s < 7; ++s) {
    clock.advanceMs(1000);
    window->healthStatus().Tick();
  }
  EXPECT_EQ(window->width(), 282);
  auto* health = Find<QLabel>(*window, "sbHealth");
  EXPECT_EQ(health->text(), "No data 7 s");
  EXPECT_TRUE(health->toolTip().contains(kSilentPortHint)) << health->toolTip().toStdString();
  auto* chip = Find<QWidget>(*window, "sbChip");
  EXPECT_EQ(chip->property("text").toString(), "K700");
  QStatusBar* bar = window->statusBar();
  for (const QWidget* field : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!field->isVisible()) continue;
    EXPECT_LE(field->geometry().right(), bar->width()) << field->objectName().toStdString();
    EXPECT_GE(field->geometry().left(), 0) << field->objectName().toStdString();
  }
  QTest::mouseClick(health, Qt::LeftButton);
  EXPECT_TRUE(QToolTip::text().contains(kSilentPortHint));
  // Room enough: the whole hint.
  ResizeTo(*window, {760, window->height()});
  ASSERT_TRUE(WaitFor([&] { return health->text() == kSilentPortHint; }));
  window.reset();
  ::close(silent);
}

// A device path typed into the port box is the port, and it comes back at the next start.
TEST_F(DeskTest, ATypedDevicePathIsThePortAndIsRemembered) {
  receiver_ = std::make_unique<sim::VirtualReceiver>(sim::SimOptions{});
  ASSERT_TRUE(receiver_->Start()) << receiver_->error();
  const QString path = QString::fromStdString(receiver_->devicePath());
  int chosen = -1;
  {
    auto window = Start();
    auto* box = Find<QComboBox>(*window, "cbPort");
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), path);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(box->currentText().contains(path)) << box->currentText().toStdString();
    chosen = window->portIndex();
    ASSERT_TRUE(window->ShowPage("tsView"));
    EXPECT_TRUE(window->portOpen());
    window->close();
  }
  auto again = Start();
  EXPECT_EQ(again->portIndex(), chosen);
  EXPECT_TRUE(Find<QComboBox>(*again, "cbPort")->currentText().contains(path));
}

// The echo, filled while hidden, opens at the left edge where its lines begin.
TEST_F(DeskTest, TheEchoStartsAtTheLeftAfterALayoutChange) {
  auto window = Start();
  Attach(*window);
  ASSERT_TRUE(window->ShowPage("tsView"));
  PassValue pass;
  for (int i = 0; i < 40; ++i) {
    pass.lines.push_back({"$GPGSV," + std::string(300, '1'), ParserKind::Nmea, 1, {}});
  }
  window->viewPage().ShowPass(pass);
  auto* echo = Find<QPlainTextEdit>(*window, "moNMEA");
  for (int toggle = 0; toggle < 3; ++toggle) {
    window->ToggleWindowSize();
    if (!window->viewPage().expanded()) continue;
    QScrollBar* sideways = echo->horizontalScrollBar();
    ASSERT_TRUE(WaitFor([&] { return echo->isVisible() && sideways->maximum() > 0; }));
    QCoreApplication::processEvents();  // the queued scroll of the first show
    EXPECT_EQ(sideways->value(), 0) << "toggle " << toggle;
    sideways->setValue(sideways->maximum());  // the user's scroll, undone by the next change
  }
}

}  // namespace
}  // namespace vetra::ui
