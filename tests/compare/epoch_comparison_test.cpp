// The comparison core with hand-made epochs: exact and interpolated matches give the errors put
// in, the lever arm turns with the reference's track (its last one when it stands), gaps in
// either receiver are counted, the reference's quality filter, midnight without a date, and a
// window of reference fixes that stays small.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "compare/epoch_comparison.h"
#include "support/nmea_epoch_log.h"

namespace vetra {
namespace {

using test::OffsetPosition;

const GeodeticDeg kOrigin{48.137, 11.575, 520.0};

Epoch At(double timeS, const GeodeticDeg& p, double speedMs = kNoValue, double trackDeg = kNoValue,
         FixQuality quality = FixQuality::Autonomous) {
  Epoch e;
  e.timeOfDayMs = std::llround(timeS * 1000);
  e.mode = FixMode::ThreeD;
  e.quality = quality;
  e.latitudeDeg = p.latitudeDeg;
  e.longitudeDeg = p.longitudeDeg;
  e.geoidSeparationM = 47.0;
  e.altitudeMslM = p.heightM - 47.0;
  e.speedMs = speedMs;
  e.trackDeg = trackDeg;
  e.satellitesUsed = 9;
  return e;
}

Epoch WithoutFix(double timeS) {
  Epoch e;
  e.timeOfDayMs = std::llround(timeS * 1000);
  return e;
}

// Feeds both as a merge by time would: each test epoch after the reference epochs up to it.
struct Receivers {
  explicit Receivers(const CompareOptions& options = {})
      : comparison(options, [this](const ComparedEpoch& row) { rows.push_back(row); }) {}
  void Reference(const Epoch& e) { comparison.AddReference(e); }
  void Test(const Epoch& e) { comparison.AddTest(e); }
  CompareFigures End() {
    comparison.FinishReference();
    comparison.FinishTest();
    return comparison.Figures();
  }
  EpochComparison comparison;
  std::vector<ComparedEpoch> rows;
};

// A reference driving east at 5 m/s from the origin, at 10 Hz.
GeodeticDeg East(double timeS) { return OffsetPosition(kOrigin, 5 * timeS, 0, 0); }

TEST(EpochComparison, ExactAndInterpolatedMatchesGiveTheErrorsPutIn) {
  Receivers run;
  for (int i = 0; i <= 100; ++i) {
    if (i != 50) run.Reference(At(i / 10.0, East(i / 10.0), 5, 90));  // none at 5.0 s
  }
  for (int s = 0; s <= 10; ++s) run.Test(At(s, OffsetPosition(East(s), 0.3, -0.4, 0.5)));
  const CompareFigures f = run.End();

  ASSERT_EQ(run.rows.size(), 11u);
  EXPECT_EQ(run.rows[4].match, MatchResult::Exact);
  EXPECT_EQ(run.rows[5].match, MatchResult::Interpolated);
  EXPECT_NEAR(run.rows[5].reference->position.longitudeDeg, East(5).longitudeDeg, 1e-9);
  for (const ComparedEpoch& row : run.rows) {
    EXPECT_NEAR(row.eastM, 0.3, 1e-4);
    EXPECT_NEAR(row.northM, -0.4, 1e-4);
    EXPECT_NEAR(row.upM, 0.5, 1e-4);
    EXPECT_NEAR(row.alongTrackM, 0.3, 1e-4);  // driving east
    EXPECT_NEAR(row.crossTrackM, 0.4, 1e-4);  // 0.4 m south: to the right
  }
  EXPECT_EQ(f.compared, 11u);
  EXPECT_EQ(f.unmatched, 0u);
  EXPECT_EQ(f.testEpochs, 11u);
  EXPECT_EQ(f.referenceEpochs, 100u);
  EXPECT_NEAR(f.overlapS, 10, 1e-9);
  EXPECT_EQ(f.availability, 1.0);
  ASSERT_TRUE(f.horizontal && f.vertical && f.rms3dM && f.alongTrack && f.crossTrack);
  EXPECT_NEAR(f.horizontal->cep50M, 0.5, 1e-4);
  EXPECT_NEAR(f.horizontal->cep99M, 0.5, 1e-4);
  EXPECT_NEAR(f.horizontal->rmsM, 0.5, 1e-4);
  EXPECT_NEAR(f.vertical->meanM, 0.5, 1e-4);
  EXPECT_NEAR(f.vertical->abs95M, 0.5, 1e-4);
  EXPECT_NEAR(*f.rms3dM, std::sqrt(0.5), 1e-4);
  EXPECT_NEAR(f.crossTrack->meanM, 0.4, 1e-4);
  EXPECT_FALSE(f.testStartedWithoutFix);
}

TEST(EpochComparison, LeverArmTurnsWithTheTrackAndKeepsTheLastOneStanding) {
  CompareOptions options;
  options.lever = {2.0, 1.0, 0.5};  // forward, right, up
  Receivers run(options);
  // North at 4 m/s for 5 s, then standing with a meaningless track.
  const auto position = [](double t) {
    return OffsetPosition(kOrigin, 0, 4 * std::min(t, 5.0), 0);
  };
  for (int i = 0; i <= 100; ++i) {
    const double t = i / 10.0;
    run.Reference(t <= 5 ? At(t, position(t), 4, 0) : At(t, position(t), 0.1, 123));
  }
  // The test antenna 2 m ahead (north), 1 m right (east) and 0.5 m up.
  for (int s = 0; s <= 10; ++s) run.Test(At(s, OffsetPosition(position(s), 1.0, 2.0, 0.5)));
  const CompareFigures f = run.End();
  ASSERT_EQ(f.compared, 11u);
  ASSERT_TRUE(f.horizontal && f.vertical);
  EXPECT_LT(f.horizontal->maxM, 1e-4);
  EXPECT_LT(std::fabs(f.vertical->meanM), 1e-4);
  size_t moving = 0;
  for (const ComparedEpoch& row : run.rows) moving += std::isfinite(row.alongTrackM) ? 1 : 0;
  EXPECT_EQ(moving, 6u);  // 0 to 5 s
}

TEST(EpochComparison, GapsInEitherReceiverAreCountedNotCompared) {
  Receivers run;
  for (int i = 0; i <= 300; ++i) {
    const double t = i / 10.0;
    if (t > 20.0 && t < 22.5) continue;  // 2.5 s without the reference: longer than 1 s
    run.Reference(At(t, East(t), 5, 90));
  }
  for (int s = 0; s <= 30; ++s) {
    if (s >= 10 && s < 15) continue;  // the test sends nothing for 5 s
    run.Test(s < 3 ? WithoutFix(s) : At(s, OffsetPosition(East(s), 1, 0, 0)));
  }
  const CompareFigures f = run.End();
  // 26 test epochs: 3 without a fix, 21 and 22 in the reference's gap.
  EXPECT_EQ(f.testEpochs, 26u);
  EXPECT_EQ(f.compared, 21u);
  EXPECT_EQ(f.unmatched, 2u);
  EXPECT_EQ(run.rows[0].match, MatchResult::NoTestFix);
  EXPECT_EQ(run.rows[16].match, MatchResult::ReferenceGap);  // 21 s
  // 31 slots, 29 with a reference fix (not 21, 22); the test had one in 21 of them.
  ASSERT_TRUE(f.availability);
  EXPECT_NEAR(*f.availability, 21.0 / 29.0, 1e-12);
  EXPECT_TRUE(f.testStartedWithoutFix);
  EXPECT_EQ(f.ttffTestS, 3.0);
  EXPECT_FALSE(f.ttffReferenceS);
}

TEST(EpochComparison, OnlyReferenceFixesOfTheQualityAskedForCount) {
  for (const auto& [maxGap, compared] : {std::pair{1.0, 6u}, std::pair{2.5, 11u}}) {
    CompareOptions options;
    options.referenceQuality = ReferenceQuality::RtkFixed;
    options.maxGapS = maxGap;
    Receivers run(options);
    for (int s = 0; s <= 10; ++s) {
      run.Reference(
          At(s, East(s), 5, 90, s % 2 == 0 ? FixQuality::RtkFixed : FixQuality::RtkFloat));
    }
    for (int s = 0; s <= 10; ++s) run.Test(At(s, East(s)));
    EXPECT_EQ(run.End().compared, compared) << maxGap;
  }
}

TEST(EpochComparison, StandingReferenceAndA2dTestLeaveTrackAndVerticalFiguresOut) {
  Receivers run;
  for (int i = 0; i <= 50; ++i) run.Reference(At(i / 10.0, kOrigin, 0.2, 45));
  for (int s = 0; s <= 5; ++s) {
    Epoch e = At(s, OffsetPosition(kOrigin, 0, 2, 0));
    e.mode = FixMode::TwoD;
    run.Test(e);
  }
  const CompareFigures f = run.End();
  ASSERT_TRUE(f.horizontal);
  EXPECT_NEAR(f.horizontal->meanM, 2, 1e-4);
  EXPECT_FALSE(f.vertical);
  EXPECT_FALSE(f.rms3dM);
  EXPECT_FALSE(f.alongTrack);
}

TEST(EpochComparison, MatchesAcrossMidnightWithoutADate) {
  Receivers run;
  const double start = 86400 - 3;
  for (int i = 0; i <= 60; ++i) {
    const double t = start + i / 10.0;
    run.Reference(At(std::fmod(t, 86400), East(i / 10.0), 5, 90));
  }
  for (int s = 0; s <= 6; ++s) run.Test(At(std::fmod(start + s, 86400), East(s)));
  const CompareFigures f = run.End();
  EXPECT_EQ(f.compared, 7u);
  EXPECT_NEAR(f.overlapS, 6, 1e-9);
  EXPECT_LT(f.horizontal->maxM, 1e-4);
}

TEST(EpochComparison, KeepsASmallWindowOfTheReference) {
  Receivers run;
  size_t largest = 0;
  for (int s = 0; s < 600; ++s) {
    for (int k = 0; k < 10; ++k) {
      run.Reference(At(s + k / 10.0, East(s + k / 10.0), 5, 90));
      largest = std::max(largest, run.comparison.referenceWindow());
    }
    run.Test(At(s, East(s)));
  }
  // The test's first eight epochs wait for its interval: eight seconds of the reference.
  EXPECT_LE(largest, 90u);
  // Live, a test receiver that falls silent leaves a minute of the reference at most.
  for (int i = 6000; i < 12000; ++i) run.Reference(At(i / 10.0, East(i / 10.0), 5, 90));
  EXPECT_LE(run.comparison.referenceWindow(), 601u);
  EXPECT_EQ(run.End().compared, 600u);
}

}  // namespace
}  // namespace vetra
