// The start-up time test tick by tick.
#include <gtest/gtest.h>

#include "ttff_bench.h"

namespace vetra {
namespace {

using test::TtffBench;

TEST(TtffButtons, StartHidesTheOtherTwoAndStopBringsThemBack) {
  TtffBench b;
  b.test.panel().results[1] = " 12.0s";
  b.test.ButtonClicked(TestType::Warm);
  const TtffPanel& p = b.test.panel();
  EXPECT_TRUE(p.timerRunning);
  EXPECT_EQ(p.captions[1], "Stop");
  EXPECT_EQ(p.ttffMode, "Warm:");
  EXPECT_EQ(p.results[1], "");
  EXPECT_EQ(p.visible, (std::array<bool, 3>{false, true, false}));
  b.Ticks(2);
  b.test.ButtonClicked(TestType::Warm);
  EXPECT_FALSE(p.timerRunning);
  EXPECT_EQ(p.captions, (std::array<std::string, 3>{"Hot", "Warm", "Cold"}));
  EXPECT_EQ(p.visible, (std::array<bool, 3>{true, true, true}));
  EXPECT_EQ(p.gpsStatus, "");
  EXPECT_EQ(p.testStatus, "");
  EXPECT_EQ(p.ttffMode, "");
  // A stopped test does nothing on a late tick.
  const size_t frames = b.frameTicks.size();
  b.Ticks(10);
  EXPECT_EQ(b.frameTicks.size(), frames);
}

TEST(TtffCycles, RestartTickShowsGreenRestartAndSendsTheFrameThenRestartsMonitoring) {
  TtffBench b;
  b.monitor.parser.restartCounter = 7;  // a revision sentence from before the test
  b.test.ShowPass(b.monitor.Pass());
  b.test.ButtonClicked(TestType::Hot);
  b.Tick();
  const TtffPanel& p = b.test.panel();
  EXPECT_EQ(p.gpsStatus, "Restart.....");
  EXPECT_EQ(p.gpsStatusColour, TextColour::Green);
  EXPECT_EQ(p.testStatus, "0");
  EXPECT_EQ(p.testStatusColour, TextColour::Green);
  EXPECT_EQ(p.testCycle, "Cycle 1");
  EXPECT_EQ(b.frameTicks, std::vector<int>{0});
  EXPECT_EQ(b.monitor.restarts, 1u);
  EXPECT_EQ(b.test.Heard().restartCounter, 0);
  EXPECT_EQ(b.test.state(), TtffState::Revision);
}

// A tick decides from the NMEA records read after the test's last monitoring restart: a pass read
// before that restart was taken, or one with only the binary parser's record, tells nothing.
TEST(TtffCycles, OnlyNmeaPassesReadAfterTheLastRestartDecide) {
  TtffBench b;
  b.test.ButtonClicked(TestType::Hot);
  b.Tick();  // monitoring restart number 1
  PassValue fixed = b.monitor.Pass();
  fixed.navigation->record.restartCounter = 1;
  fixed.navigation->record.speedKmh = 0;
  fixed.navigation->record.fixIndicator = 0;
  PassValue old = fixed;
  old.monitoringRestarts = 0;
  PassValue binary = fixed;
  binary.navigation->source = DisplaySource::Binary;
  for (const PassValue& pass : {old, binary}) b.test.ShowPass(pass);
  b.test.Tick();
  EXPECT_EQ(b.test.state(), TtffState::Revision);

  b.test.ShowPass(fixed);
  b.test.Tick();  // revision and RMC: counting, after monitoring restart number 2
  ASSERT_EQ(b.test.state(), TtffState::Counting);
  b.test.ShowPass(fixed);  // still read before restart 2
  b.test.Tick();
  EXPECT_EQ(b.test.panel().gpsStatus, "Fixing.....");
  fixed.monitoringRestarts = 2;
  b.test.ShowPass(fixed);
  b.test.Tick();
  EXPECT_EQ(b.test.panel().gpsStatus, "Fix");
}

TEST(TtffCycles, WithoutARevisionSentenceTheRestartRepeatsEveryFiveTicksInCycleOne) {
  TtffBench b;
  b.receiver.sendsRevision = false;
  b.test.ButtonClicked(TestType::Cold);
  b.Ticks(14);
  EXPECT_EQ(b.frameTicks, (std::vector<int>{0, 5, 10}));
  EXPECT_EQ(b.test.panel().testCycle, "Cycle 1");
  const auto& cycles = b.test.cycles();
  ASSERT_EQ(cycles.size(), 3u);
  EXPECT_EQ(cycles[0].outcome, CycleOutcome::NoRevision);
  EXPECT_EQ(cycles[1].outcome, CycleOutcome::NoRevision);
  EXPECT_EQ(cycles[2].outcome, CycleOutcome::Pending);
  EXPECT_EQ(ValidCountText(b.test.statistics()), "0 of 3");
}

TEST(TtffCycles, EarlyWarmFixIsNotCountedAndTheCycleStartsAgain) {
  TtffBench b;
  b.receiver.firstFixSeconds = {6, 30};
  b.test.ButtonClicked(TestType::Warm);
  // Restart, then revision and RMC ("Fixing....."), then 5 more ticks to the fix at 6 s.
  b.Ticks(1 + 1 + 5);
  EXPECT_EQ(b.test.panel().testStatus, "6");
  EXPECT_EQ(b.test.state(), TtffState::Restart);
  EXPECT_EQ(b.test.panel().testCycle, "Cycle 1");
  EXPECT_NE(b.test.panel().gpsStatus, "Fix");
  b.Tick();  // the same cycle starts again
  EXPECT_EQ(b.frameTicks.size(), 2u);
  EXPECT_EQ(b.test.panel().testCycle, "Cycle 1");

  ASSERT_TRUE(b.RunToEnd());
  EXPECT_EQ(b.test.panel().results[1], " 30.0s");
  const auto& cycles = b.test.cycles();
  ASSERT_EQ(cycles.size(), 2u);
  EXPECT_EQ(cycles[0].outcome, CycleOutcome::EarlyFix);
  EXPECT_EQ(cycles[0].firstFixSeconds, 6);
  EXPECT_EQ(cycles[1].outcome, CycleOutcome::Counted);
  EXPECT_EQ(ValidCountText(b.test.statistics()), "1 of 2");
}

TEST(TtffCycles, ColdFixAtTenSecondsCounts) {
  TtffBench b;
  b.receiver.firstFixSeconds = {10};
  b.test.ButtonClicked(TestType::Cold);
  ASSERT_TRUE(b.RunToEnd());
  EXPECT_EQ(b.frameTicks.size(), 1u);
  EXPECT_EQ(b.test.panel().results[2], " 10.0s");
}

TEST(TtffCycles, HotFixOnTheFirstCountingTickIsTwoSeconds) {
  TtffBench b;
  b.receiver.firstFixSeconds = {2};
  b.test.ButtonClicked(TestType::Hot);
  b.Ticks(2);
  EXPECT_EQ(b.test.panel().gpsStatus, "Fixing.....");
  b.Tick();
  EXPECT_EQ(b.test.panel().gpsStatus, "Fix");
  EXPECT_EQ(b.test.panel().gpsStatusColour, TextColour::Red);
  EXPECT_EQ(b.test.panel().testStatus, "2");
  ASSERT_TRUE(b.RunToEnd());
  EXPECT_EQ(b.test.panel().results[0], "  2.0s");
  EXPECT_EQ(b.test.cycles()[0].firstFixSeconds, 2);
}

TEST(TtffCycles, RunningMeanOverThreeWarmCyclesThenTheTestStops) {
  TtffBench b;
  b.receiver.firstFixSeconds = {30, 40, 50};
  b.test.panel().cyclesText = "3";
  b.test.ButtonClicked(TestType::Warm);
  std::vector<std::string> shown;
  for (int i = 0; i < 1'000 && b.test.panel().timerRunning; ++i) {
    const std::string before = b.test.panel().results[1];
    b.Tick();
    if (b.test.panel().results[1] != before) shown.push_back(b.test.panel().results[1]);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{" 30.0s", " 35.0s", " 40.0s"}));
  const TtffPanel& p = b.test.panel();
  EXPECT_FALSE(p.timerRunning);
  EXPECT_EQ(p.captions, (std::array<std::string, 3>{"Hot", "Warm", "Cold"}));
  EXPECT_EQ(p.visible, (std::array<bool, 3>{true, true, true}));
  EXPECT_EQ(p.gpsStatus, "");
  EXPECT_EQ(p.ttffMode, "");
  EXPECT_EQ(b.frameTicks.size(), 3u);

  const TtffStatistics s = b.test.statistics();
  EXPECT_EQ(FormatSeconds(*s.mean), p.results[1]);
  EXPECT_EQ(*s.minimum, 30);
  EXPECT_EQ(*s.median, 40);
  EXPECT_EQ(*s.maximum, 50);
  EXPECT_DOUBLE_EQ(*s.standardDeviation, 10.0);
  EXPECT_EQ(ValidCountText(s), "3 of 3");
}

TEST(TtffCycles, PauseLastsTheWaitTimeBeforeTheNextRestart) {
  TtffBench b;
  b.receiver.firstFixSeconds = {2};
  b.test.panel().cyclesText = "2";
  b.test.panel().waitTimeText = "5";
  b.test.ButtonClicked(TestType::Hot);
  ASSERT_TRUE(b.RunToEnd());
  // Restart at 0, fix on tick 2, five ticks of pause (the fifth ends the cycle), restart on 8.
  EXPECT_EQ(b.frameTicks, (std::vector<int>{0, 8}));
}

TEST(TtffCycles, StopDuringThePauseLeavesThatFixOutOfTheMean) {
  TtffBench b;
  b.receiver.firstFixSeconds = {30, 50};
  b.test.panel().cyclesText = "3";
  b.test.ButtonClicked(TestType::Warm);
  for (int i = 0; i < 1'000 && b.test.cycles().size() < 2; ++i) b.Tick();
  ASSERT_EQ(b.test.panel().results[1], " 30.0s");
  for (int i = 0; i < 1'000 && b.test.state() != TtffState::Pause; ++i) b.Tick();
  ASSERT_EQ(b.test.panel().gpsStatus, "Fix");
  b.test.ButtonClicked(TestType::Warm);
  EXPECT_FALSE(b.test.panel().timerRunning);
  EXPECT_EQ(b.test.panel().results[1], " 30.0s");
  const auto& cycles = b.test.cycles();
  ASSERT_EQ(cycles.size(), 2u);
  EXPECT_EQ(cycles[1].outcome, CycleOutcome::Stopped);
  EXPECT_EQ(cycles[1].firstFixSeconds, 50);
  EXPECT_EQ(OutcomeText(cycles[1].outcome, true), "stopped during the pause");
  EXPECT_EQ(FormatSeconds(*b.test.statistics().mean), " 30.0s");
}

TEST(TtffCycles, NewTestStartsFromCycleOneWithFreshRecords) {
  TtffBench b;
  b.receiver.firstFixSeconds = {12};
  b.test.ButtonClicked(TestType::Cold);
  ASSERT_TRUE(b.RunToEnd());
  b.test.ButtonClicked(TestType::Cold);
  EXPECT_TRUE(b.test.cycles().empty());
  EXPECT_EQ(b.test.panel().results[2], "");
  b.Tick();
  EXPECT_EQ(b.test.panel().testCycle, "Cycle 1");
}

TEST(TtffCycles, FailedRestartWriteIsRecordedAndTheTestCarriesOn) {
  TtffBench b;
  b.port.throwAtWrite = 0;
  b.test.ButtonClicked(TestType::Hot);
  b.Tick();
  ASSERT_EQ(b.test.cycles().size(), 1u);
  EXPECT_EQ(b.test.cycles()[0].outcome, CycleOutcome::NotSent);
  EXPECT_EQ(b.test.cycles()[0].detail, "WriteFile Failed 1.");
  EXPECT_EQ(b.test.panel().lastSendError, "WriteFile Failed 1.");
  EXPECT_EQ(ValidCountText(b.test.statistics()), "0 of 0");
  b.Ticks(5);  // no revision came: the restart is repeated and goes out this time
  EXPECT_EQ(b.frameTicks, std::vector<int>{5});
  EXPECT_EQ(b.test.panel().lastSendError, "");
}

TEST(TtffSpinEdits, TextsOutsideTheLimitsOrNotNumbersFallBack) {
  EXPECT_EQ(TtffCampaign::CyclesFromText("25"), 25);
  EXPECT_EQ(TtffCampaign::CyclesFromText("abc"), 1);
  EXPECT_EQ(TtffCampaign::CyclesFromText(""), 1);
  EXPECT_EQ(TtffCampaign::CyclesFromText("0"), 1);
  EXPECT_EQ(TtffCampaign::CyclesFromText("99999"), 10'000);
  EXPECT_EQ(TtffCampaign::WaitTimeFromText("x"), 3);
  EXPECT_EQ(TtffCampaign::WaitTimeFromText(" 7 "), 7);
  EXPECT_EQ(TtffCampaign::WaitTimeFromText("1"), 3);
  EXPECT_EQ(TtffCampaign::WaitTimeFromText("50"), 20);
}

}  // namespace
}  // namespace vetra
