// The Statistics window compares the module with a second receiver while both run: two virtual
// receivers replaying two logs recorded at the same time, the module through the window's port
// and the reference read only through Compare with.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <fstream>
#include <sstream>

#include "compare/compare_csv.h"
#include "pages_window.h"
#include "ui/statistics_window.h"

namespace vetra::ui {
namespace {

class LiveComparisonTest : public PagesWindowTest {};

TEST_F(LiveComparisonTest, TheWindowComparesTheModuleWithASecondReceiver) {
  TfmTop& window = MakeWindow();
  sim::SimOptions module;
  module.baud = 9600;
  module.replayPath = VETRA_TESTDATA "/compare-live/module.log";
  AttachReceiver(module);
  sim::SimOptions second = module;
  second.replayPath = VETRA_TESTDATA "/compare-live/reference.log";
  sim::VirtualReceiver reference(second);
  ASSERT_TRUE(reference.Start()) << reference.error();

  ASSERT_TRUE(window.ShowPage("tsView"));
  window.ShowStatistics();
  StatisticsWindow& statistics = window.statisticsWindow();
  statistics.findChild<QLineEdit*>("edSecondReceiver")
      ->setText(QString::fromStdString(reference.devicePath()));
  statistics.findChild<QComboBox*>("cbReferenceBaud")->setCurrentText("9600");
  statistics.CompareClick();
  ASSERT_TRUE(statistics.comparing());
  ASSERT_TRUE(
      test::WaitFor([&] { return statistics.comparison()->Figures().compared >= 30; }, 60000));

  statistics.Refresh();
  auto text = [&](const char* name) {
    return statistics.findChild<QLabel*>(name)->text().toStdString();
  };
  const CompareFigures figures = statistics.comparison()->Figures();
  EXPECT_EQ(text("lbCompareState"), "Comparing with " + reference.devicePath());
  EXPECT_EQ(text("lbCompared").rfind(std::to_string(figures.compared) + " of ", 0), 0u)
      << text("lbCompared");
  EXPECT_EQ(text("lbCompareCep"), MetresText(figures.horizontal->cep50M) + " / " +
                                      MetresText(figures.horizontal->cep95M));
  // Seeds 3 and 11 on one antenna: a few metres apart, never the circle's hundreds.
  EXPECT_GT(figures.horizontal->cep50M, 0.1);
  EXPECT_LT(figures.horizontal->maxM, 8.0);
  EXPECT_GE(statistics.comparison()->points().size(), 30u);
  for (const char* line : {"sbModuleHealth", "sbReferenceHealth"}) {
    EXPECT_FALSE(statistics.findChild<QWidget*>(line)->toolTip().isEmpty()) << line;
  }
  const QString folder = qEnvironmentVariable("VETRA_SCREENSHOT_DIR");
  if (!folder.isEmpty()) {
    statistics.resize(1000, 720);
    EXPECT_TRUE(statistics.grab().save(folder + "/statistics-compare.png"));
  }

  statistics.CompareClick();  // stops; what was compared stays
  EXPECT_FALSE(statistics.comparing());
  EXPECT_EQ(reference.bytesReceived(), 0u);  // the second receiver is only listened to
  const std::string csvPath = PathIn("comparison.csv");
  statistics.SetCsvFileChooser([&](const QString&) { return QString::fromStdString(csvPath); });
  statistics.ExportClick();
  std::ifstream csv(csvPath);
  std::string header, row;
  std::getline(csv, header);
  EXPECT_EQ(header + "\n", CompareCsvHeader());
  size_t exact = 0, rows = 0;
  while (std::getline(csv, row)) {
    ++rows;
    exact += row.ends_with(",exact") ? 1 : 0;
  }
  EXPECT_EQ(rows, statistics.comparison()->rows());
  EXPECT_GE(exact, 30u);
}

}  // namespace
}  // namespace vetra::ui
