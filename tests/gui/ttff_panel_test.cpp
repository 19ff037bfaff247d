// The TTFF tab against the virtual receiver: a two-cycle hot test stepped tick by tick. The test
// ticks only once the receiver has given the state what it waits for (its revision sentence, the
// first RMC sentence, the fix), so no tick is spent waiting and every first fix takes 2 ticks.

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "pages_window.h"
#include "ui/ttff_panel.h"
#include "ui/ttff_plot.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

using test::WaitFor;

class TtffPanelTest : public PagesWindowTest {
 protected:
  void OpenTtffTab() {
    MakeWindow();
    sim::SimOptions options;
    options.firstFixSeconds = 0.5;
    options.restartFixSeconds[0] = 1.0;  // hot
    AttachReceiver(options);
    ASSERT_TRUE(window_->ShowPage("tsTrace"));
    panel_ = Find<TtffPanel>("pnTest");
    panel_->UseManualTicks(true);
  }

  // What the test has heard from the passes since its last monitoring restart.
  TNavRecord Decoded() { return panel_->test().Heard(); }

  // One tick, given once the state it runs in has what it waits for.
  void StepWhenReady() {
    switch (panel_->test().state()) {
      case TtffState::Revision:
        // The monitoring restart discards what is queued on the conversation's next pass, which on
        // a busy machine may come after the revision sentence. The test then does what the timer
        // does: it ticks on, and the fifth tick repeats the restart.
        if (!WaitFor([&] { return Decoded().restartCounter != 0; }, 3000)) ++missedRevisions_;
        break;
      case TtffState::FirstRmc:
        ASSERT_TRUE(WaitFor([&] { return Decoded().speedKmh != -1; }));
        break;
      case TtffState::Counting:
        ASSERT_TRUE(WaitFor([&] { return Decoded().fixIndicator != 5; }));
        break;
      default:
        break;
    }
    panel_->Tick();
  }

  QString Average() { return Find<QLineEdit>("edTestAvgHot")->text(); }

  TtffPanel* panel_ = nullptr;
  int missedRevisions_ = 0;
};

TEST_F(TtffPanelTest, TwoHotCyclesFromTheTtffTab) {
  OpenTtffTab();
  auto* hot = Find<QPushButton>("btHotStart");
  EXPECT_EQ(Average(), "     Hot");
  Find<QSpinBox>("csTestCycles")->setValue(2);
  EXPECT_EQ(Find<QSpinBox>("csWaitTime")->value(), 3);

  QTest::mouseClick(hot, Qt::LeftButton);
  EXPECT_EQ(hot->text(), "Stop");
  EXPECT_FALSE(Find("btWarmStart")->isVisible());
  EXPECT_FALSE(Find("btColdStart")->isVisible());
  EXPECT_EQ(Text("lbTTFF"), "Hot:");
  EXPECT_EQ(Average(), "");
  EXPECT_FALSE(Find<QTimer>("tmrTest")->isActive());  // the test ticks by hand

  const uint64_t restartsBefore = receiver_->restarts();
  panel_->Tick();  // begin and restart
  EXPECT_EQ(Text("lbGPSstatus"), "Restart.....");
  EXPECT_EQ(Text("lbTestCycle"), "Cycle 1");
  auto* status = Find<QLabel>("lbGPSstatus");
  EXPECT_EQ(status->palette().color(QPalette::WindowText),
            ReadableTextColour(status, QColor(0, 128, 0)));

  bool sawFix = false;
  for (int tick = 0; tick < 80 && panel_->test().panel().timerRunning; ++tick) {
    StepWhenReady();
    if (HasFatalFailure()) return;
    if (Text("lbGPSstatus") == "Fix") {
      sawFix = true;
      EXPECT_EQ(status->palette().color(QPalette::WindowText),
                ReadableTextColour(status, QColor(255, 0, 0)));
      EXPECT_EQ(Text("lbTestStatus"), "2");
    }
    if (Text("lbTestCycle") == "Cycle 2" && panel_->test().state() == TtffState::Revision) {
      EXPECT_EQ(Average(), "  2.0s");  // the mean after the first cycle
    }
  }
  EXPECT_TRUE(sawFix);
  EXPECT_FALSE(panel_->test().panel().timerRunning);

  // Two cycles of 2 s each; the buttons are back.
  EXPECT_EQ(Average(), "  2.0s");
  EXPECT_EQ(hot->text(), "Hot");
  EXPECT_TRUE(Find("btWarmStart")->isVisible());
  EXPECT_TRUE(Find("btColdStart")->isVisible());
  EXPECT_EQ(Text("lbGPSstatus"), "");
  EXPECT_EQ(Text("lbTTFF"), "");
  // Two restarts, and one more for every four ticks spent without a revision sentence.
  const size_t sent = panel_->test().cycles().size();
  if (missedRevisions_ == 0) {
    EXPECT_EQ(sent, 2u);
  }
  EXPECT_EQ(receiver_->restarts(), restartsBefore + sent);
  const auto commands = receiver_->commands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back().id, 0x01);
  ASSERT_GE(commands.back().payload.size(), 2u);
  EXPECT_EQ(commands.back().payload[0], 0x00);  // hot: 00 00
  EXPECT_EQ(commands.back().payload[1], 0x00);

  // The spread beside the mean, the plot and the export.
  EXPECT_EQ(Text("lbTestValid"), QString("2 of %1").arg(sent));
  EXPECT_EQ(Text("lbTestMin"), "2.0s");
  EXPECT_EQ(Text("lbTestMedian"), "2.0s");
  EXPECT_EQ(Text("lbTestMax"), "2.0s");
  EXPECT_EQ(Text("lbTestStdDev"), "0.0s");
  EXPECT_EQ(Find<TtffPlot>("pbTestPlot")->barCount(), sent);
  SaveScreenshot("ttff.png");
  const std::string csv = PathIn("ttff.csv");
  panel_->SetCsvFileChooser([&](const QString&) { return QString::fromStdString(csv); });
  QTest::mouseClick(Find<QPushButton>("btTestExport"), Qt::LeftButton);
  const std::string exported = test::ReadFile(csv);
  EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), static_cast<long>(sent + 1))
      << exported;
  EXPECT_NE(exported.find(",hot,"), std::string::npos);
  EXPECT_EQ(Text("sbStatusPanel2"), "Exported: " + QString::fromStdString(csv));
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(TtffPanelTest, StopEndsTheTestAndKeepsTheResultsSoFar) {
  OpenTtffTab();
  auto* warm = Find<QPushButton>("btWarmStart");
  QTest::mouseClick(warm, Qt::LeftButton);
  EXPECT_EQ(warm->text(), "Stop");
  panel_->Tick();
  EXPECT_EQ(Text("lbGPSstatus"), "Restart.....");
  QTest::mouseClick(warm, Qt::LeftButton);
  EXPECT_EQ(warm->text(), "Warm");
  EXPECT_TRUE(Find("btHotStart")->isVisible());
  EXPECT_EQ(Text("lbGPSstatus"), "");
  EXPECT_EQ(Find<QLineEdit>("edTestAvgWarm")->text(), "");
  EXPECT_EQ(Text("lbTestValid"), "0 of 1");
  // A tick after the stop does nothing.
  const uint64_t restarts = receiver_->commandCount();
  panel_->Tick();
  EXPECT_EQ(receiver_->commandCount(), restarts);
}

TEST_F(TtffPanelTest, LeavingTheTabStopsTheTest) {
  OpenTtffTab();
  auto* cold = Find<QPushButton>("btColdStart");
  QTest::mouseClick(cold, Qt::LeftButton);
  panel_->Tick();
  ASSERT_EQ(cold->text(), "Stop");
  // No restart frame may go out on the Upgrade page, where the loader has the port.
  ASSERT_TRUE(window_->ShowPage("tsReload"));
  EXPECT_FALSE(panel_->test().panel().timerRunning);
  EXPECT_EQ(cold->text(), "Cold");
  const uint64_t commands = receiver_->commandCount();
  panel_->Tick();
  EXPECT_EQ(receiver_->commandCount(), commands);
}

TEST_F(TtffPanelTest, TheTimerStepsTheTestUnlessTicksAreManual) {
  OpenTtffTab();
  panel_->UseManualTicks(false);
  QTest::mouseClick(Find<QPushButton>("btColdStart"), Qt::LeftButton);
  auto* timer = Find<QTimer>("tmrTest");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 1000);
  QTest::mouseClick(Find<QPushButton>("btColdStart"), Qt::LeftButton);
  EXPECT_FALSE(timer->isActive());
}

}  // namespace
}  // namespace vetra::ui
