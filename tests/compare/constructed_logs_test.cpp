// Two constructed logs with known answers (support/compare_drive.h) read as files through the
// epoch assembler and merged by time: every figure matches the errors put in to a millimetre,
// with and without a lever arm, across midnight, gaps in both logs and a test log that starts
// without a fix.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "compare/compare_logs.h"
#include "statistics/position_statistics.h"
#include "support/compare_drive.h"
#include "support/temp_path.h"
#include "util/utf8_path.h"

namespace vetra {
namespace {

constexpr double kMm = 1e-3;

struct Expected {
  std::vector<double> horizontal, verticalMagnitude;
  double horizontalSum = 0, horizontalSquares = 0, upSum = 0, upSquares = 0, squares3d = 0;
  double alongSum = 0, crossSum = 0;
};

Expected ExpectedOf(const std::vector<test::KnownError>& known) {
  Expected x;
  for (const test::KnownError& k : known) {
    if (!k.compared) continue;
    const double h = std::hypot(k.eastM, k.northM);
    x.horizontal.push_back(h);
    x.horizontalSum += h;
    x.horizontalSquares += h * h;
    x.verticalMagnitude.push_back(std::fabs(k.upM));
    x.upSum += k.upM;
    x.upSquares += k.upM * k.upM;
    x.squares3d += h * h + k.upM * k.upM;
    x.alongSum += k.alongM;
    x.crossSum += k.crossM;
  }
  return x;
}

class ConstructedLogs : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(folder_); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  CompareLogsResult Compare(const test::DriveLogs& logs, const CompareOptions& options) {
    std::ofstream(folder_ / "test.log", std::ios::binary) << logs.test;
    std::ofstream(folder_ / "reference.log", std::ios::binary) << logs.reference;
    EpochComparison comparison(options, [this](const ComparedEpoch& row) { rows_.push_back(row); });
    return CompareLogs(Utf8Text(folder_ / "test.log"), Utf8Text(folder_ / "reference.log"),
                       comparison);
  }

  std::filesystem::path folder_ = test::UniqueTempPath("vetra-compare");
  std::vector<ComparedEpoch> rows_;
};

TEST_F(ConstructedLogs, FiguresMatchTheErrorsPutIn) {
  for (const test::DriveOptions drive :
       {test::DriveOptions{}, test::DriveOptions{600, 1.5, -0.4, 0.9}}) {
    SCOPED_TRACE(drive.forwardM);
    rows_.clear();
    const test::DriveLogs logs = test::Drive(drive);
    CompareOptions options;
    options.lever = {drive.forwardM, drive.rightM, drive.upM};
    const CompareLogsResult result = Compare(logs, options);
    ASSERT_EQ(result.error, "");
    const CompareFigures& f = result.figures;
    const Expected x = ExpectedOf(logs.known);
    const double n = static_cast<double>(x.horizontal.size());

    EXPECT_EQ(f.testEpochs, 590u);
    EXPECT_EQ(f.referenceEpochs, 5975u);
    EXPECT_NEAR(f.overlapS, 599, 1e-9);
    EXPECT_EQ(f.compared, 585u);
    EXPECT_EQ(f.unmatched, 2u);
    ASSERT_TRUE(f.availability);
    EXPECT_NEAR(*f.availability, 585.0 / 598.0, 1e-12);
    ASSERT_TRUE(f.horizontal && f.vertical && f.rms3dM && f.alongTrack && f.crossTrack);
    EXPECT_NEAR(f.horizontal->meanM, x.horizontalSum / n, kMm);
    EXPECT_NEAR(f.horizontal->rmsM, std::sqrt(x.horizontalSquares / n), kMm);
    EXPECT_NEAR(f.horizontal->cep50M, *Percentile(x.horizontal, 0.50), kMm);
    EXPECT_NEAR(f.horizontal->cep68M, *Percentile(x.horizontal, 0.68), kMm);
    EXPECT_NEAR(f.horizontal->cep95M, *Percentile(x.horizontal, 0.95), kMm);
    EXPECT_NEAR(f.horizontal->cep99M, *Percentile(x.horizontal, 0.99), kMm);
    EXPECT_NEAR(f.horizontal->maxM, *Percentile(x.horizontal, 1.0), kMm);
    EXPECT_NEAR(f.vertical->meanM, x.upSum / n, kMm);
    EXPECT_NEAR(f.vertical->rmsM, std::sqrt(x.upSquares / n), kMm);
    EXPECT_NEAR(f.vertical->abs95M, *Percentile(x.verticalMagnitude, 0.95), kMm);
    EXPECT_NEAR(*f.rms3dM, std::sqrt(x.squares3d / n), kMm);
    EXPECT_NEAR(f.alongTrack->meanM, x.alongSum / n, kMm);
    EXPECT_NEAR(f.crossTrack->meanM, x.crossSum / n, kMm);
    EXPECT_TRUE(f.testStartedWithoutFix);
    EXPECT_NEAR(*f.ttffTestS, 3.0, 1e-9);
    EXPECT_FALSE(f.referenceStartedWithoutFix);

    // Row by row, in the test's order, the error of each epoch.
    ASSERT_EQ(rows_.size(), logs.known.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
      const test::KnownError& k = logs.known[i];
      ASSERT_EQ(rows_[i].matched(), k.compared) << k.second;
      if (!k.compared) continue;
      EXPECT_NEAR(rows_[i].eastM, k.eastM, kMm) << k.second;
      EXPECT_NEAR(rows_[i].northM, k.northM, kMm) << k.second;
      EXPECT_NEAR(rows_[i].upM, k.upM, kMm) << k.second;
      EXPECT_NEAR(rows_[i].crossTrackM, k.crossM, kMm) << k.second;
    }
    EXPECT_EQ(rows_[100].match, MatchResult::Interpolated);
    EXPECT_EQ(rows_[0].match, MatchResult::NoTestFix);
    EXPECT_EQ(rows_[401 - 10].match, MatchResult::ReferenceGap);
    EXPECT_EQ(rows_[299 - 10].utc, "2026-12-07T23:59:59.000Z");
    EXPECT_EQ(rows_[300 - 10].utc, "2026-12-08T00:00:00.000Z");
  }
}

}  // namespace
}  // namespace vetra
