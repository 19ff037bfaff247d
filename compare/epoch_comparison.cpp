#include "compare/epoch_comparison.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace vetra {

namespace {

// The test's interval between epochs is the median spacing of its first epochs.
constexpr size_t kIntervalEpochs = 8;
// Live, a test receiver that falls silent must not make the reference's window grow: fixes older
// than this behind the reference's newest epoch are no longer kept for it.
constexpr double kLongestWaitS = 60;
constexpr double kRadiansPerDegree = std::numbers::pi / 180;

void FillErrors(ComparedEpoch& row, const Epoch& test, const ReferencePoint& reference,
                const LeverArm& lever) {
  const double testHeight = test.EllipsoidHeightM();
  const bool vertical = test.threeD() && std::isfinite(testHeight) && reference.heightKnown;
  // Without both heights the test point is taken at the reference's height, so that a height
  // nobody measured does not tilt the horizontal error.
  const GeodeticDeg testPosition{test.latitudeDeg, test.longitudeDeg,
                                 vertical ? testHeight : reference.position.heightM};
  const EnuOffset offset = EnuFrom(reference.position, GeodeticToEcef(testPosition));
  const double heading = reference.headingDeg * kRadiansPerDegree;
  const double leverEast = lever.forwardM * std::sin(heading) + lever.rightM * std::cos(heading);
  const double leverNorth = lever.forwardM * std::cos(heading) - lever.rightM * std::sin(heading);
  row.eastM = offset.eastM - leverEast;
  row.northM = offset.northM - leverNorth;
  row.upM = vertical ? offset.upM - lever.upM : kNoValue;
  row.horizontalM = std::hypot(row.eastM, row.northM);
  if (reference.Moving()) {
    const double track =
        (std::isfinite(reference.trackDeg) ? reference.trackDeg : reference.headingDeg) *
        kRadiansPerDegree;
    row.alongTrackM = row.eastM * std::sin(track) + row.northM * std::cos(track);
    row.crossTrackM = row.eastM * std::cos(track) - row.northM * std::sin(track);
  }
}

}  // namespace

void EpochComparison::Span::Note(double timeS, bool fix) {
  if (!firstS) {
    firstS = timeS;
    startedWithoutFix = !fix;
  }
  lastS = std::max(lastS.value_or(timeS), timeS);
  if (fix && !firstFixS) firstFixS = timeS;
}

EpochComparison::EpochComparison(const CompareOptions& options, RowSink rows)
    : options_(options),
      rows_(std::move(rows)),
      testTimeline_(anchor_),
      referenceTimeline_(anchor_),
      track_(options.maxGapS) {}

void EpochComparison::AddTest(const Epoch& epoch) {
  ++counts_.testEpochs;
  if (epoch.hasFix()) ++counts_.testFixes;
  const std::optional<double> timeS = testTimeline_.SecondsOf(epoch);
  if (!timeS) return;
  testSpan_.Note(*timeS, epoch.hasFix());
  // A time that does not move forward (a repeated epoch) cannot be placed among the slots.
  if (lastTestS_ && *timeS <= *lastTestS_ + ReferenceTrack::kSameTimeS) return;
  lastTestS_ = timeS;
  waiting_.push_back({*timeS, epoch});
  MatchWaiting();
}

void EpochComparison::AddReference(const Epoch& epoch) {
  ++counts_.referenceEpochs;
  if (epoch.hasFix()) ++counts_.referenceFixes;
  const std::optional<double> timeS = referenceTimeline_.SecondsOf(epoch);
  if (!timeS) return;
  referenceSpan_.Note(*timeS, epoch.hasFix());
  referenceNewestS_ = std::max(referenceNewestS_.value_or(*timeS), *timeS);
  if (MeetsQuality(epoch, options_.referenceQuality)) {
    track_.Add(ReferencePointOf(epoch, *timeS, lastMovingTrackDeg_));
  }
  MatchWaiting();
  track_.DropBefore(KeepFromS(), lastMatchedS_.value_or(KeepFromS()));
}

double EpochComparison::KeepFromS() const {
  const double live = referenceNewestS_.value_or(0) - kLongestWaitS;
  if (!waiting_.empty()) return std::max(waiting_.front().timeS, live);
  if (lastTestS_) return std::max(*lastTestS_, live);
  return live;
}

bool EpochComparison::NeedsReference() const {
  if (referenceEnded_ || waiting_.empty()) return false;
  return testIntervalS_ || testEnded_ || waiting_.size() >= kIntervalEpochs;
}

void EpochComparison::FinishReference() {
  referenceEnded_ = true;
  MatchWaiting();
}

void EpochComparison::FinishTest() {
  testEnded_ = true;
  MatchWaiting();
}

void EpochComparison::EstimateInterval() {
  std::vector<double> intervals;
  for (size_t i = 1; i < waiting_.size(); ++i) {
    intervals.push_back(waiting_[i].timeS - waiting_[i - 1].timeS);
  }
  double interval = 1.0;
  if (!intervals.empty()) {
    std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
    interval = std::round(intervals[intervals.size() / 2] * 1000) / 1000;
  }
  testIntervalS_ = interval > 0 ? interval : 1.0;
}

void EpochComparison::MatchWaiting() {
  while (!waiting_.empty()) {
    if (!testIntervalS_) {
      if (waiting_.size() < kIntervalEpochs && !testEnded_) return;
      EstimateInterval();
    }
    const double timeS = waiting_.front().timeS;
    // Whatever the reference sends from now on cannot change this epoch's match once a reference
    // fix later than it has come, or any reference epoch later than the largest gap after it.
    const bool settled =
        referenceEnded_ ||
        (!track_.empty() && track_.newestTimeS() > timeS + ReferenceTrack::kSameTimeS) ||
        (referenceNewestS_ && *referenceNewestS_ > timeS + options_.maxGapS);
    if (!settled) return;
    const WaitingTest test = std::move(waiting_.front());
    waiting_.pop_front();
    MatchOne(test);
  }
}

void EpochComparison::CountMissingSlots(double timeS) {
  if (!lastMatchedS_ || !testIntervalS_) return;
  const long long missing = std::llround((timeS - *lastMatchedS_) / *testIntervalS_) - 1;
  for (long long k = 1; k <= missing; ++k) {
    if (track_.CoveredAt(*lastMatchedS_ + static_cast<double>(k) * *testIntervalS_)) ++slots_;
  }
}

void EpochComparison::MatchOne(const WaitingTest& test) {
  const Epoch& epoch = test.epoch;
  CountMissingSlots(test.timeS);
  ComparedEpoch row;
  row.timeS = test.timeS;
  row.utc = epoch.UtcText();
  row.testMode = epoch.mode;
  row.testQuality = epoch.quality;
  row.testSatellites = epoch.satellitesUsed;
  if (epoch.hasFix()) {
    row.testLatitudeDeg = epoch.latitudeDeg;
    row.testLongitudeDeg = epoch.longitudeDeg;
    row.testHeightM = epoch.EllipsoidHeightM();
  }
  const ReferenceMatch match = track_.At(test.timeS);
  if (match.found()) row.reference = match.point;
  if (!epoch.hasFix()) {
    row.match = MatchResult::NoTestFix;
  } else if (!match.found()) {
    row.match = match.kind == MatchKind::Gap ? MatchResult::ReferenceGap : MatchResult::NoReference;
    ++counts_.unmatched;
  } else {
    row.match = match.kind == MatchKind::Exact ? MatchResult::Exact : MatchResult::Interpolated;
    ++counts_.compared;
    FillErrors(row, epoch, match.point, options_.lever);
    errors_.Add(row);
  }
  if (match.found()) {
    ++slots_;
    if (epoch.hasFix()) ++slotsWithTestFix_;
  }
  lastMatchedS_ = test.timeS;
  if (rows_) rows_(row);
  track_.DropBefore(KeepFromS(), test.timeS);
}

CompareFigures EpochComparison::Figures() const {
  CompareFigures f = counts_;
  if (testSpan_.firstS && referenceSpan_.firstS) {
    const double from = std::max(*testSpan_.firstS, *referenceSpan_.firstS);
    const double to = std::min(*testSpan_.lastS, *referenceSpan_.lastS);
    f.overlap = to >= from - ReferenceTrack::kSameTimeS;
    f.overlapS = std::max(0.0, to - from);
  }
  if (slots_ > 0)
    f.availability = static_cast<double>(slotsWithTestFix_) / static_cast<double>(slots_);
  f.horizontal = errors_.Horizontal();
  f.vertical = errors_.Vertical();
  f.rms3dM = errors_.Rms3d();
  f.alongTrack = errors_.AlongTrack();
  f.crossTrack = errors_.CrossTrack();
  f.testStartedWithoutFix = testSpan_.startedWithoutFix;
  f.referenceStartedWithoutFix = referenceSpan_.startedWithoutFix;
  if (testSpan_.startedWithoutFix && testSpan_.firstFixS) {
    f.ttffTestS = *testSpan_.firstFixS - *testSpan_.firstS;
  }
  if (referenceSpan_.startedWithoutFix && referenceSpan_.firstFixS) {
    f.ttffReferenceS = *referenceSpan_.firstFixS - *referenceSpan_.firstS;
  }
  return f;
}

const char* MatchResultText(MatchResult result) {
  switch (result) {
    case MatchResult::Exact:
      return "exact";
    case MatchResult::Interpolated:
      return "interpolated";
    case MatchResult::NoTestFix:
      return "no test fix";
    case MatchResult::ReferenceGap:
      return "reference gap";
    case MatchResult::NoReference:
      return "no reference";
  }
  return "";
}

}  // namespace vetra
