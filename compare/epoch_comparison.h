#pragma once
// EpochComparison: a receiver under test against a reference receiver, epoch by epoch. The epochs
// of both come in time order, each receiver's at its own pace (two logs read in pieces, or two
// live receivers); each test epoch waits until the reference has passed its time by more than the
// largest gap (or has ended), is then matched (reference_track.h) and handed on as a row
// (compared_epoch.h), and only a small window of reference fixes around the test's time is kept.
//
// Errors are the test position minus the reference position plus the lever arm (turned from the
// vehicle's forward/right/up into east/north/up by the reference's heading), in the reference's
// local east/north/up.
//
// Beside the error figures (error_figures.h) it counts:
// - the epochs of each receiver, and the overlap: the time both logs cover;
// - compared: the test fixes matched; unmatched: the test fixes without a reference;
// - availability: over the test's epoch slots (one per test interval, the usual spacing of its
//   first epochs) where the reference has a fix, the share where the test has one too; slots
//   where the test sent nothing count as slots without a test fix;
// - the time to first fix of a receiver whose log starts without a fix: from its first epoch to
//   its first fix.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "compare/compare_options.h"
#include "compare/compared_epoch.h"
#include "compare/error_figures.h"
#include "compare/reference_track.h"
#include "compare/utc_timeline.h"

namespace vetra {

struct CompareFigures {
  uint64_t testEpochs = 0, referenceEpochs = 0;
  uint64_t testFixes = 0, referenceFixes = 0;  // epochs with a fix (the reference's of any quality)
  double overlapS = 0;
  bool overlap = false;  // both logs cover a common time (or a common instant)
  uint64_t compared = 0, unmatched = 0;
  std::optional<double> availability;  // 0..1; none without a slot where the reference has a fix
  std::optional<HorizontalFigures> horizontal;
  std::optional<VerticalFigures> vertical;
  std::optional<double> rms3dM;
  std::optional<MeanRms> alongTrack, crossTrack;  // none when the reference never moved > 1 m/s
  bool testStartedWithoutFix = false, referenceStartedWithoutFix = false;
  std::optional<double> ttffTestS, ttffReferenceS;
};

class EpochComparison {
 public:
  using RowSink = std::function<void(const ComparedEpoch&)>;

  explicit EpochComparison(const CompareOptions& options, RowSink rows = {});

  void AddTest(const Epoch& epoch);
  void AddReference(const Epoch& epoch);
  // Whether the oldest waiting test epoch needs more of the reference before it can be matched.
  bool NeedsReference() const;
  // The reference has ended (its log, or the receiver is gone): what waits is matched with what
  // there is.
  void FinishReference();
  // The test has ended: its last epochs are matched as soon as the reference allows.
  void FinishTest();

  CompareFigures Figures() const;
  const ErrorFigures& errors() const { return errors_; }
  // How many reference fixes are kept at the moment.
  size_t referenceWindow() const { return track_.size(); }

 private:
  struct WaitingTest {
    double timeS;
    Epoch epoch;
  };
  void MatchWaiting();
  void MatchOne(const WaitingTest& test);
  void CountMissingSlots(double timeS);
  void EstimateInterval();
  double KeepFromS() const;

  CompareOptions options_;
  RowSink rows_;
  DayAnchor anchor_;
  UtcTimeline testTimeline_, referenceTimeline_;
  ReferenceTrack track_;
  ErrorFigures errors_;
  std::deque<WaitingTest> waiting_;
  bool testEnded_ = false, referenceEnded_ = false;

  double lastMovingTrackDeg_ = kNoValue;
  std::optional<double> referenceNewestS_;  // any reference epoch with a time
  std::optional<double> lastTestS_;         // the newest test epoch added
  std::optional<double> lastMatchedS_;      // the newest test epoch matched
  std::optional<double> testIntervalS_;

  struct Span {
    std::optional<double> firstS, lastS, firstFixS;
    bool startedWithoutFix = false;
    void Note(double timeS, bool fix);
  };
  Span testSpan_, referenceSpan_;
  CompareFigures counts_;
  uint64_t slots_ = 0, slotsWithTestFix_ = 0;
};

}  // namespace vetra
