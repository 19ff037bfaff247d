// Two receivers compared while both run: the module's epochs may arrive before the reference's of
// the same time; the rows wait for the reference, the points hold the matched ones, and Export
// writes the rows of `vetra compare --csv`.
#include "compare/live_comparison.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "compare/compare_csv.h"
#include "support/nmea_epoch_log.h"

namespace vetra {
namespace {

Epoch At(double timeS, double eastM, bool fix = true) {
  Epoch e;
  e.timeOfDayMs = std::llround(timeS * 1000);
  if (!fix) return e;
  const GeodeticDeg p = test::OffsetPosition({48.137, 11.575, 520.0}, eastM, 0, 0);
  e.mode = FixMode::ThreeD;
  e.quality = FixQuality::Autonomous;
  e.latitudeDeg = p.latitudeDeg;
  e.longitudeDeg = p.longitudeDeg;
  e.geoidSeparationM = 47.0;
  e.altitudeMslM = p.heightM - 47.0;
  return e;
}

TEST(LiveComparison, RowsWaitForTheReferenceAndExportAsCompareCsv) {
  LiveComparison live;
  std::string expected = CompareCsvHeader();
  EpochComparison same({}, [&](const ComparedEpoch& row) { expected += CompareCsvRow(row); });
  for (int t = 0; t < 20; ++t) {
    const Epoch test = At(t, 0.5, t != 2);  // the module 0.5 m east; no fix at 2 s
    live.AddTest(test);
    same.AddTest(test);
    live.AddReference(At(t, 0));
    same.AddReference(At(t, 0));
  }
  // The newest test epochs wait for a reference epoch after their time.
  EXPECT_GT(live.rows(), 0u);
  EXPECT_LT(live.rows(), 20u);
  live.Finish();
  same.FinishReference();
  same.FinishTest();
  EXPECT_EQ(live.rows(), 20u);
  ASSERT_EQ(live.points().size(), 19u);
  EXPECT_NEAR(live.points().front().eastM, 0.5, 1e-3);
  EXPECT_EQ(live.Figures().compared, 19u);

  const auto path = std::filesystem::temp_directory_path() / "live-comparison-test.csv";
  std::string error;
  ASSERT_TRUE(live.Export(path.string(), error)) << error;
  std::stringstream written;
  written << std::ifstream(path).rdbuf();
  std::filesystem::remove(path);
  EXPECT_EQ(written.str(), expected);
}

}  // namespace
}  // namespace vetra
