// The Statistics window compares the module with a second receiver while both run: two virtual
// receivers replaying two logs recorded at the same time, the module through the window's port
// and the reference read only through Compare with.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <asio.hpp>
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

// A second receiver that cannot be read says why and gives the controls back; a text that names
// no source is refused with a message that says what a source looks like.
TEST(LiveComparisonFailure, ANonAnsweringSourceIsSaidAndTheControlsComeBack) {
  test::App();
  test::RecordingMessages messages;
  StatisticsWindow statistics(messages);
  EXPECT_FALSE(statistics.CompareWith("host:0", 4800));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].first, "'host:0' is not host:port (a port from 1 to 65535)");

  uint16_t port = 0;
  {
    asio::io_context io;
    asio::ip::tcp::acceptor closed(io, {asio::ip::make_address("127.0.0.1"), 0});
    port = closed.local_endpoint().port();
  }
  const QString source = QString("127.0.0.1:%1").arg(port);
  ASSERT_TRUE(statistics.CompareWith(source, 4800));
  ASSERT_TRUE(test::WaitFor([&] { return !statistics.comparing(); }));
  EXPECT_TRUE(statistics.findChild<QLabel*>("lbCompareState")
                  ->text()
                  .startsWith(source + " does not answer"));
  EXPECT_TRUE(statistics.findChild<QLineEdit*>("edSecondReceiver")->isEnabled());
  EXPECT_EQ(statistics.findChild<QPushButton*>("btCompare")->text(), "Compare");
}

}  // namespace
}  // namespace vetra::ui
