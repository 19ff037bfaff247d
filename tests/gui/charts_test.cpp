// The sky view, the C/N0 chart and the scatter's axis: they paint what they are given, and only
// when it changed.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "gui_support.h"
#include "ui/cn0_chart.h"
#include "ui/scatter_plot.h"
#include "ui/sky_view.h"

namespace vetra::ui {
namespace {

template <typename Widget>
void ShowAndSettle(Widget& widget) {
  widget.resize(240, 240);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  ASSERT_TRUE(test::WaitFor([&] { return widget.paintCount() > 0; }));
}

TEST(SkyView, RepaintsOnlyWhenThePointsChange) {
  test::App();
  SkyView sky;
  EXPECT_EQ(sky.objectName(), "chSat");
  ShowAndSettle(sky);
  const std::vector<SkyPoint> points = {{0, 0, "5", kGreen, true}, {90, 0, "12", kWhite, false}};
  sky.SetPoints(points);
  ASSERT_TRUE(test::WaitFor([&] { return sky.points() == points; }));
  QCoreApplication::processEvents();
  const int painted = sky.paintCount();

  sky.SetPoints(points);  // the same again: nothing to draw
  QCoreApplication::processEvents();
  EXPECT_EQ(sky.paintCount(), painted);

  sky.SetPoints({{0, 0, "5", kBlue, true}});
  EXPECT_TRUE(test::WaitFor([&] { return sky.paintCount() > painted; }));
}

TEST(SkyView, ZenithPointIsDrawnAtTheCentreInItsClassColour) {
  test::App();
  SkyView sky;
  ShowAndSettle(sky);
  sky.SetPoints({{0, 0, "5", kGreen, true}});
  const QImage image = sky.grab().toImage();
  const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
  EXPECT_EQ(centre, QColor(0, 128, 0));

  sky.SetPoints({{0, 0, "5", kWhite, false}});
  const QImage white = sky.grab().toImage();
  EXPECT_EQ(white.pixelColor(white.width() / 2, white.height() / 2 + 1), QColor(255, 255, 255));
}

TEST(Cn0Chart, RepaintsOnBarsOrRangeAndReportsDoubleClicks) {
  test::App();
  Cn0Chart chart;
  EXPECT_EQ(chart.objectName(), "chCn0");
  ShowAndSettle(chart);
  const std::vector<Cn0Bar> bars = {{40, "3", kGreen}, {25, "17", kWhite}};
  chart.SetBars(bars, 12);
  ASSERT_TRUE(test::WaitFor([&] { return chart.bars() == bars; }));
  QCoreApplication::processEvents();
  const int painted = chart.paintCount();
  chart.SetBars(bars, 12);
  QCoreApplication::processEvents();
  EXPECT_EQ(chart.paintCount(), painted);
  chart.SetBars(bars, 16);
  EXPECT_EQ(chart.axisMax(), 16);
  EXPECT_TRUE(test::WaitFor([&] { return chart.paintCount() > painted; }));

  QSignalSpy spy(&chart, &Cn0Chart::doubleClicked);
  QTest::mouseDClick(&chart, Qt::LeftButton);
  EXPECT_EQ(spy.count(), 1);
}

TEST(Cn0Chart, FirstBarIsDrawnInTheFirstSlotAtItsHeight) {
  test::App();
  Cn0Chart chart;
  ShowAndSettle(chart);
  chart.SetBars({{60, "1", kGreen}}, 12);
  const QImage image = chart.grab().toImage();
  // A full-scale bar in slot 0 of 12: green near the left, nothing green in the last slot.
  int greenColumns = 0;
  bool greenOnTheRight = false;
  const int y = image.height() / 2;
  for (int x = 0; x < image.width(); ++x) {
    if (image.pixelColor(x, y) == QColor(0, 128, 0)) {
      ++greenColumns;
      if (x > image.width() / 2) greenOnTheRight = true;
    }
  }
  EXPECT_GT(greenColumns, 3);
  EXPECT_FALSE(greenOnTheRight);
}

TEST(ScatterPlot, AxisEndsReadTheSameButForTheSign) {
  EXPECT_EQ(ScatterPlot::AxisText(-1000), "-1000 m");
  EXPECT_EQ(ScatterPlot::AxisText(1000), "1000 m");
  EXPECT_EQ(ScatterPlot::AxisText(-0.5), "-0.5 m");
  EXPECT_EQ(ScatterPlot::AxisText(5), "5 m");
}

}  // namespace
}  // namespace vetra::ui
