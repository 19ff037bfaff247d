// The desk around the pages: the line's health in the status bar, what is remembered between
// runs in the real settings file, and the window's size per page layout and on a 2x screen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <memory>

#include "app/baud_table.h"
#include "gui_support.h"
#include "monitor/line_health.h"
#include "sim/virtual_receiver.h"
#include "support/fake_clock.h"
#include "ui/command_area.h"
#include "ui/health_status.h"
#include "ui/main_window.h"
#include "ui/ttff_panel.h"

namespace vetra::ui {
namespace {

using test::RecordingMessages;
using test::TempSettings;
using test::WaitFor;

TEST(HealthStatusBar, HintsForASilentPortAndAWrongRate) {
  test::App();
  QStatusBar bar;
  test::FakeClock clock;
  LineHealth counters;
  HealthStatus status(
      &bar, [&] { return counters; }, clock);
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
    status.Tick();
  }
  EXPECT_EQ(status.hint(), kWrongRateHint);
  EXPECT_TRUE(field->text().startsWith("480 B/s")) << field->text().toStdString();

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
                                const std::string& content = "") {
    if (!content.empty()) settings_ = std::make_unique<TempSettings>(content);
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

// Run twice by ctest: as it is, and with QT_SCALE_FACTOR=2 (a 1920x1080 screen at 200 % leaves
// 960x540 for the window). Room is kept for a title bar and a task bar (56 pixels).
TEST_F(DeskTest, EveryPageLayoutFitsA1366x768ScreenAndA1920x1080ScreenAt200Percent) {
  auto window = Start();
  Attach(*window);
  const qreal scale = window->devicePixelRatioF();
  const QSize screen = scale > 1.5 ? QSize(1920, 1080) : QSize(1366, 768);
  const QSize room =
      QSize(qRound(screen.width() / scale) - 16, qRound(screen.height() / scale) - 56);
  window->SelectSecondChip(true);  // the taller grid
  auto fits = [&](const char* what) {
    const QSize needed = window->minimumSizeHint().expandedTo(window->minimumSize());
    EXPECT_LE(needed.width(), room.width()) << what << " at scale " << scale;
    EXPECT_LE(needed.height(), room.height()) << what << " at scale " << scale;
  };
  fits("Setup");
  for (const char* page : {"tsView", "tsReload", "tsTrace"}) {
    ASSERT_TRUE(window->ShowPage(page));
    fits(page);
  }
  ASSERT_TRUE(window->ShowPage("tsView"));
  window->ToggleWindowSize();
  ASSERT_TRUE(WaitFor([&] { return window->conversation().DisplayCopy().satellitesInView > 0; }));
  fits("expanded View");
}

}  // namespace
}  // namespace vetra::ui
