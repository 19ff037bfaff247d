// What a comparison writes: the JSON object's keys (along/cross track and TTFF only when they
// apply, null for a figure without a value), a CSV row, round axis ticks, and a plot page whose
// points stay few however long the run.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "compare/compare_csv.h"
#include "compare/compare_plot.h"
#include "compare/compare_report.h"
#include "compare/svg_page.h"

namespace vetra {
namespace {

TEST(CompareOutput, JsonHasTheKeysThatApply) {
  CompareFigures f;
  f.testEpochs = 10;
  f.referenceEpochs = 100;
  f.compared = 9;
  f.horizontal = HorizontalFigures{1, 1.1, 0.9, 1.0, 2.0, 2.5, 3.0};
  nlohmann::json plain = nlohmann::json::parse(CompareJson(f));
  for (const char* key : {"test_epochs", "reference_epochs", "overlap_s", "compared", "unmatched",
                          "availability", "horizontal", "vertical", "rms_3d_m"}) {
    EXPECT_TRUE(plain.contains(key)) << key;
  }
  for (const char* key : {"mean_m", "rms_m", "cep50_m", "cep68_m", "cep95_m", "cep99_m", "max_m"}) {
    EXPECT_TRUE(plain["horizontal"][key].is_number()) << key;
  }
  EXPECT_EQ(plain["horizontal"]["cep95_m"], 2.0);
  for (const char* key : {"mean_m", "rms_m", "abs95_m"})
    EXPECT_TRUE(plain["vertical"][key].is_null());
  EXPECT_TRUE(plain["availability"].is_null());
  EXPECT_FALSE(plain.contains("along_track"));
  EXPECT_FALSE(plain.contains("ttff_s"));

  f.alongTrack = MeanRms{0.1, 0.2};
  f.crossTrack = MeanRms{-0.3, 0.4};
  f.testStartedWithoutFix = true;
  f.ttffTestS = 31.5;
  const nlohmann::json moving = nlohmann::json::parse(CompareJson(f));
  EXPECT_EQ(moving["cross_track"]["mean_m"], -0.3);
  EXPECT_EQ(moving["ttff_s"]["test"], 31.5);
  EXPECT_TRUE(moving["ttff_s"]["reference"].is_null());
  EXPECT_NE(CompareText(f).find("TTFF test"), std::string::npos);
}

TEST(CompareOutput, CsvRowHasEveryColumn) {
  ComparedEpoch row;
  row.utc = "2026-12-07T23:59:59.000Z";
  row.match = MatchResult::Interpolated;
  row.testLatitudeDeg = 48.1;
  row.testLongitudeDeg = -11.5;
  row.testHeightM = 520.25;
  row.testMode = FixMode::ThreeD;
  row.testQuality = FixQuality::Autonomous;
  row.testSatellites = 8;
  ReferencePoint reference;
  reference.position = {48.0999999, -11.5000001, 519.0};
  reference.heightKnown = true;
  reference.mode = FixMode::ThreeD;
  reference.quality = FixQuality::RtkFixed;
  reference.satellitesUsed = 21;
  row.reference = reference;
  row.eastM = 0.5;
  row.northM = -0.25;
  row.upM = 1.25;
  row.horizontalM = 0.559;
  const std::string header = CompareCsvHeader();
  const std::string text = CompareCsvRow(row);
  EXPECT_EQ(std::count(text.begin(), text.end(), ','),
            std::count(header.begin(), header.end(), ','));
  EXPECT_EQ(text.substr(0, 96),
            "2026-12-07T23:59:59.000Z,48.100000000,-11.500000000,520.2500,48.099999900,"
            "-11.500000100,519.0000");
  EXPECT_NE(text.find(",0.5000,-0.2500,1.2500,0.5590,,,"), std::string::npos);
  EXPECT_TRUE(text.ends_with(",8,21,interpolated\n"));
}

TEST(CompareOutput, TicksAreRoundNumbers) {
  const struct {
    double low, high;
    int count;
    std::vector<double> ticks;
  } rows[] = {
      {0, 2.7, 5, {0, 0.5, 1, 1.5, 2, 2.5, 3}},
      {-0.37, 0.81, 5, {-0.4, -0.2, 0, 0.2, 0.4, 0.6, 0.8, 1.0}},
      {0, 100, 5, {0, 20, 40, 60, 80, 100}},
  };
  for (const auto& row : rows) {
    const Ticks ticks = NiceTicks(row.low, row.high, row.count);
    ASSERT_EQ(ticks.values.size(), row.ticks.size()) << row.high;
    for (size_t i = 0; i < row.ticks.size(); ++i) EXPECT_NEAR(ticks.values[i], row.ticks[i], 1e-12);
  }
  const Ticks day = TimeTicks(86400 - 7200, 86400 + 14400, 4);
  EXPECT_EQ(day.step, 2 * 3600.0);
  EXPECT_EQ(TimeOfDayLabel(day.values[1], day.step), "00:00");
}

TEST(CompareOutput, PlotKeepsFewPointsOfALongRun) {
  ComparePlot plot;
  ComparedEpoch row;
  row.match = MatchResult::Exact;
  row.horizontalM = 1;
  for (int i = 0; i < 86400; ++i) {
    row.timeS = i;
    plot.Add(row);
  }
  EXPECT_LE(plot.points(), ComparePlot::kMaxPoints);
  EXPECT_GE(plot.points(), ComparePlot::kMaxPoints / 2);
  EXPECT_EQ(XmlEscaped("a<b & \"c\""), "a&lt;b &amp; &quot;c&quot;");
}

}  // namespace
}  // namespace vetra
