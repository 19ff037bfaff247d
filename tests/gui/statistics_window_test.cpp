// A receive log replayed through the window (File > Open receive log...) as fast as possible: the
// View page and the Statistics window read it as they read a live port; the window's figures, its
// reference and its CSV export.
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "pages_window.h"
#include "present/view_model.h"
#include "support/static_log.h"
#include "ui/replay_bar.h"
#include "ui/statistics_window.h"

namespace vetra::ui {
namespace {

class StatisticsWindowTest : public PagesWindowTest {};

TEST_F(StatisticsWindowTest, ReplayedLogFillsTheViewAndTheStatistics) {
  TfmTop& window = MakeWindow();
  std::vector<test::LoggedFix> logged;
  const std::string logPath = PathIn("static.bin");
  std::ofstream(logPath, std::ios::binary) << test::StaticLog({.epochs = 240}, &logged);
  window.SetReceiveLogChooser([&](const QString&) { return QString::fromStdString(logPath); });

  window.OpenReceiveLogClick();
  ASSERT_TRUE(window.replaying());
  EXPECT_EQ(Find<QTabWidget>("pgCoder")->currentWidget()->objectName(), "tsView");
  window.replayBar().SetSpeed(ReplaySpeed::AsFastAsPossible);
  StatisticsWindow& statistics = window.statisticsWindow();
  window.ShowStatistics();
  ASSERT_TRUE(test::WaitFor(
      [&] { return statistics.fixCount() == static_cast<int64_t>(logged.size()); }, 30000))
      << statistics.fixCount();
  EXPECT_EQ(window.replayBar().stateText(), "End of log");

  // The View page shows the last fix at its own resolution, from the sentence's digits.
  const test::LoggedFix& last = logged.back();
  EXPECT_EQ(Text("lbLat").toStdString(), FormatCoordinate(last.latitudeDeg, 'N', 0));
  EXPECT_EQ(Text("lbLong").toStdString(), FormatCoordinate(last.longitudeDeg, 'W', 0));

  statistics.Refresh();
  auto figure = [&](const char* name) {
    return statistics.findChild<QLabel*>(name)->text().toStdString();
  };
  EXPECT_EQ(figure("lbStatFixes"), "240 (2D 0, 3D 240, 3D+ 0)");
  EXPECT_EQ(figure("lbCep50"), MetresText(statistics.statistics().cep50M));
  // Noise of at most 1.5 m each way about a centre near the mean: every error near the square.
  EXPECT_LT(*statistics.statistics().maxHorizontalErrorM, 1.5 * std::sqrt(2.0) + 0.25);

  statistics.TakeMeanClick();
  ASSERT_TRUE(statistics.reference());
  EXPECT_FALSE(statistics.findChild<QLineEdit*>("edReference")->text().isEmpty());
  const QString folder = qEnvironmentVariable("VETRA_SCREENSHOT_DIR");
  if (!folder.isEmpty()) {
    statistics.resize(1000, 680);
    statistics.Refresh();
    EXPECT_TRUE(statistics.grab().save(folder + "/statistics.png"));
  }

  statistics.findChild<QLineEdit*>("edReference")->setText("91,0");
  statistics.UseReferenceClick();
  EXPECT_EQ(messages_.shown.size(), 1u);  // refused with the accepted form; the mean stays
  EXPECT_TRUE(statistics.reference());

  const std::string csvPath = PathIn("statistics.csv");
  statistics.SetCsvFileChooser([&](const QString&) { return QString::fromStdString(csvPath); });
  statistics.ExportClick();
  std::ifstream csv(csvPath);
  std::stringstream read;
  read << csv.rdbuf();
  const std::string text = read.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 241);

  statistics.ResetClick();
  EXPECT_EQ(statistics.fixCount(), 0);
  window.ShowPage("tsSetup");  // Setup ends the replay
  EXPECT_FALSE(window.replaying());
}

// Beyond its threshold (lowered here) the window reads the percentiles from 1 mm bins and says so
// beside the figures; the CSV export still has every row.
TEST_F(StatisticsWindowTest, BinnedPercentilesAreNotedAndTheExportStaysComplete) {
  StatisticsWindow statistics(messages_, nullptr, 50);
  PassValue pass;
  for (int k = 0; k < 80; ++k) {
    Epoch epoch;
    epoch.timeOfDayMs = 43'200'000 + k * 1000;
    epoch.date = UtcDate{2026, 12, 8};
    epoch.mode = FixMode::ThreeD;
    epoch.quality = FixQuality::Autonomous;
    epoch.latitudeDeg = 47.3769 + 1e-5 * std::sin(k);
    epoch.longitudeDeg = 8.5417 + 1e-5 * std::cos(k);
    epoch.altitudeMslM = 410;
    pass.epochs.push_back(epoch);
  }
  statistics.ShowPass(pass);
  statistics.Refresh();
  const QLabel* note = statistics.findChild<QLabel*>("lbStatNote");
  EXPECT_EQ(note->text().toStdString(), "CEP and largest error from 1 mm bins beyond 50 fixes");
  EXPECT_FALSE(note->isHidden());
  EXPECT_EQ(statistics.findChild<QLabel*>("lbVerticalRms")->text(), "-");  // no separation given

  const std::string csvPath = ::testing::TempDir() + "vetra-binned-statistics.csv";
  statistics.SetCsvFileChooser([&](const QString&) { return QString::fromStdString(csvPath); });
  statistics.ExportClick();
  std::stringstream read;
  read << std::ifstream(csvPath).rdbuf();
  const std::string text = read.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 81);
  EXPECT_TRUE(messages_.shown.empty());

  std::remove(csvPath.c_str());
  messages_.answer = true;
  statistics.ResetClick();
  EXPECT_TRUE(note->isHidden());
}

// The fixes of a long test are not thrown away by one click: the user is asked, with their number.
TEST(StatisticsWindowReset, AsksWithTheNumberOfFixesFirst) {
  test::App();
  test::RecordingMessages messages;
  StatisticsWindow window(messages);
  PassValue pass;
  for (int s = 0; s < 3; ++s) {
    Epoch epoch;
    epoch.mode = FixMode::ThreeD;
    epoch.timeOfDayMs = s * 1000;
    epoch.latitudeDeg = 24.5;
    epoch.longitudeDeg = 121.25;
    pass.epochs.push_back(epoch);
  }
  window.ShowPass(pass);
  messages.answer = false;
  window.ResetClick();
  ASSERT_EQ(messages.asked.size(), 1u);
  EXPECT_EQ(messages.asked[0].first,
            "Forget all 3 fixes of this run? Export CSV... keeps them in a file first.");
  EXPECT_EQ(window.statistics().fixes, 3);
  messages.answer = true;
  window.ResetClick();
  EXPECT_EQ(window.statistics().fixes, 0);
  window.ResetClick();  // nothing left to lose: no question
  EXPECT_EQ(messages.asked.size(), 2u);
}

}  // namespace
}  // namespace vetra::ui
