// The statistics in bounded memory: the percentiles switch from every fix to 1 mm bins beyond the
// model's threshold (lowered here, so no test feeds a million fixes), the mean and the RMS
// figures stay exact across the switch, a changed reference starts the bins again; the CSV rows
// wait complete in the spool; the plots keep the last hour whole and a thinned history.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "statistics/csv_spool.h"
#include "statistics/fix_history.h"
#include "statistics/position_statistics.h"

namespace vetra {
namespace {

const GeodeticDeg kCentre{47.3769, 8.5417, 410};

// A fix at an east/north/up offset from kCentre (the local frame undone), 3D with a separation.
FixSample FixAt(double east, double north, double up, int64_t timeOfDayMs = 0) {
  const double lat = kCentre.latitudeDeg * std::numbers::pi / 180;
  const double lon = kCentre.longitudeDeg * std::numbers::pi / 180;
  const std::array<double, 3> o = GeodeticToEcef(kCentre);
  const GeodeticDeg g =
      EcefToGeodeticDeg({o[0] - std::sin(lon) * east - std::sin(lat) * std::cos(lon) * north +
                             std::cos(lat) * std::cos(lon) * up,
                         o[1] + std::cos(lon) * east - std::sin(lat) * std::sin(lon) * north +
                             std::cos(lat) * std::sin(lon) * up,
                         o[2] + std::cos(lat) * north + std::sin(lat) * up});
  FixSample fix;
  fix.timeOfDayMs = timeOfDayMs;
  fix.date = UtcDate{2026, 12, 8};
  fix.fix = {FixMode::ThreeD, FixQuality::Autonomous};
  fix.latitudeDeg = g.latitudeDeg;
  fix.longitudeDeg = g.longitudeDeg;
  fix.altitudeMslM = g.heightM - 48.0;
  fix.geoidSeparationM = 48.0;
  fix.satellitesUsed = 9;
  fix.hdop = 0.9f;
  return fix;
}

// n fixes scattered up to a few metres off a point 2 m east of the centre, repeatably.
std::vector<FixSample> Scatter(int n) {
  std::vector<FixSample> fixes;
  for (int k = 0; k < n; ++k) {
    const double angle = k * 2.399963;  // the golden angle: no two alike
    const double radius = 3.0 * std::sqrt((k + 0.5) / n);
    fixes.push_back(FixAt(2 + radius * std::cos(angle), radius * std::sin(angle),
                          0.8 * std::sin(k * 0.37), k * 100));
  }
  return fixes;
}

PositionStatistics Feed(StatisticsModel& model, const std::vector<FixSample>& fixes) {
  for (const FixSample& fix : fixes) model.Add(fix);
  return model.Compute();
}

TEST(StatisticsModel, PercentilesComeFromOneMillimetreBinsBeyondTheThreshold) {
  const std::vector<FixSample> fixes = Scatter(2500);
  const ReferencePosition reference{kCentre.latitudeDeg, kCentre.longitudeDeg, kCentre.heightM};
  StatisticsModel exact, binned(1000);
  exact.SetReference(reference);
  binned.SetReference(reference);

  const PositionStatistics before =
      Feed(binned, std::vector<FixSample>(fixes.begin(), fixes.begin() + 1000));
  EXPECT_FALSE(before.percentilesBinned);
  EXPECT_EQ(PercentileNote(before), "");

  const PositionStatistics b =
      Feed(binned, std::vector<FixSample>(fixes.begin() + 1000, fixes.end()));
  const PositionStatistics e = Feed(exact, fixes);
  EXPECT_FALSE(e.percentilesBinned);
  ASSERT_TRUE(b.percentilesBinned);
  EXPECT_EQ(b.percentileFixes, 2500);
  EXPECT_EQ(PercentileNote(b), "CEP and largest error from 1 mm bins beyond 1000 fixes");
  EXPECT_NE(StatisticsText(b).find("note             CEP and largest error from 1 mm bins"),
            std::string::npos);
  EXPECT_NE(StatisticsJson(b).find("\"percentiles_binned\":true,\"percentile_fixes\":2500"),
            std::string::npos);
  // Half a bin each way, and the largest error kept exactly.
  EXPECT_NEAR(*b.cep50M, *e.cep50M, 0.0005);
  EXPECT_NEAR(*b.cep95M, *e.cep95M, 0.0005);
  EXPECT_DOUBLE_EQ(*b.maxHorizontalErrorM, *e.maxHorizontalErrorM);
}

TEST(StatisticsModel, MeanAndRmsStayExactAcrossTheSwitch) {
  // About the mean, which moves with every fix: the sums give the same figures as every fix.
  const std::vector<FixSample> fixes = Scatter(3000);
  StatisticsModel exact, binned(500);
  const PositionStatistics e = Feed(exact, fixes);
  const PositionStatistics b = Feed(binned, fixes);
  ASSERT_TRUE(b.percentilesBinned);
  EXPECT_DOUBLE_EQ(b.mean.latitudeDeg, e.mean.latitudeDeg);
  EXPECT_DOUBLE_EQ(b.mean.longitudeDeg, e.mean.longitudeDeg);
  EXPECT_DOUBLE_EQ(b.mean.heightM, e.mean.heightM);
  EXPECT_DOUBLE_EQ(*b.horizontalRmsM, *e.horizontalRmsM);
  EXPECT_DOUBLE_EQ(*b.verticalRmsM, *e.verticalRmsM);

  // And they are the RMS of the offsets of every fix from the mean, one by one.
  double horizontal = 0, vertical = 0;
  for (const FixSample& fix : fixes) {
    const EnuOffset o = OffsetFrom(e.mean, fix);
    horizontal += o.eastM * o.eastM + o.northM * o.northM;
    vertical += o.upM * o.upM;
  }
  EXPECT_NEAR(*e.horizontalRmsM, std::sqrt(horizontal / 3000), 1e-9);
  EXPECT_NEAR(*e.verticalRmsM, std::sqrt(vertical / 3000), 1e-9);
  EXPECT_NEAR(e.mean.heightM, kCentre.heightM, 0.01);
}

TEST(StatisticsModel, AChangedReferenceStartsTheBinsAgain) {
  const std::vector<FixSample> fixes = Scatter(300);
  StatisticsModel model(100);
  Feed(model, fixes);
  model.SetReference(ReferencePosition{kCentre.latitudeDeg, kCentre.longitudeDeg, std::nullopt});
  const PositionStatistics s =
      Feed(model, std::vector<FixSample>(fixes.begin(), fixes.begin() + 40));
  EXPECT_EQ(s.fixes, 340);
  EXPECT_EQ(s.percentileFixes, 40);
  EXPECT_EQ(PercentileNote(s),
            "CEP and largest error from 1 mm bins of the 40 fixes since the reference changed");
}

TEST(StatisticsModel, FixesWithoutSeparationGiveNoVerticalFigures) {
  std::vector<FixSample> fixes = Scatter(20);
  for (FixSample& fix : fixes) fix.geoidSeparationM = kNoValue;
  StatisticsModel model;
  const PositionStatistics s = Feed(model, fixes);
  EXPECT_FALSE(s.heightKnown);
  EXPECT_FALSE(s.verticalRmsM);
  EXPECT_TRUE(s.horizontalRmsM);
  EXPECT_NE(StatisticsJson(s).find("\"vertical_rms_m\":null"), std::string::npos);
}

TEST(CsvSpool, ExportHoldsEveryRowWithTheOffsetsOfTheExportsReference) {
  const std::vector<FixSample> fixes = Scatter(5000);
  const auto folder =
      std::filesystem::temp_directory_path() /
      ("vetra-spool-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "fixes.csv").string();
  const auto read = [&path] {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  };

  CsvSpool spool;
  for (size_t i = 0; i < 3000; ++i) spool.Add(fixes[i]);
  std::string error;
  ASSERT_TRUE(spool.Export(path, kCentre, error)) << error;
  EXPECT_EQ(read(), StatisticsCsv({fixes.begin(), fixes.begin() + 3000}, kCentre));

  // Rows go on arriving after an export; the next export has all of them.
  for (size_t i = 3000; i < fixes.size(); ++i) spool.Add(fixes[i]);
  const GeodeticDeg other{kCentre.latitudeDeg, kCentre.longitudeDeg + 1e-4, 400};
  ASSERT_TRUE(spool.Export(path, other, error)) << error;
  EXPECT_EQ(read(), StatisticsCsv(fixes, other));
  EXPECT_EQ(spool.rows(), 5000u);

  spool.Clear();
  ASSERT_TRUE(spool.Export(path, kCentre, error));
  EXPECT_EQ(read(), kStatisticsCsvHeader);
  EXPECT_FALSE(spool.Export((folder / "no-such-folder" / "x.csv").string(), kCentre, error));
  std::filesystem::remove_all(folder);
}

TEST(FixHistory, KeepsTheLastHourWholeAndAThinnedHistoryBefore) {
  // Three hours at 10 Hz.
  FixHistory history;
  const FixSample fix = FixAt(0, 0, 0);
  for (int64_t k = 0; k < 3 * 36000; ++k) {
    PlotPoint point{fix, 1e9 + static_cast<double>(k) / 10, {{7, 40}}};
    history.Add(std::move(point));
  }
  const double newest = history[history.size() - 1].seconds;
  EXPECT_DOUBLE_EQ(newest, 1e9 + (3 * 36000 - 1) / 10.0);
  EXPECT_EQ(history.size() - history.historySize(), 36001u);  // the hour, every fix
  EXPECT_LE(history.historySize(), FixHistory::kMostHistoryPoints);
  EXPECT_GE(history.historySize(), FixHistory::kMostHistoryPoints / 2);
  for (size_t i = 1; i < history.size(); ++i) {
    ASSERT_LT(history[i - 1].seconds, history[i].seconds) << i;
  }
  EXPECT_DOUBLE_EQ(history[0].seconds, 1e9);  // the start stays in view

  // A time that goes back (midnight without a date) ages everything before it.
  history.Add({fix, 5, {}});
  EXPECT_EQ(history.size() - history.historySize(), 1u);
}

}  // namespace
}  // namespace vetra
