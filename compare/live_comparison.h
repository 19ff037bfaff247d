#pragma once
// LiveComparison: the module under test against a second receiver while both run (the Statistics
// window). The epochs of both arrive as they close, each receiver's in time order, and go into one
// EpochComparison, which matches each test epoch once the reference has passed its time. What the
// window draws is kept small per row (time, east, north, up); the CSV rows, the same as
// `vetra compare --csv` writes, wait in an unnamed temporary file until Export, so a long run
// does not grow the window's memory by more than a few bytes per epoch.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "compare/epoch_comparison.h"

namespace vetra {

struct ComparedPoint {
  double timeS = 0;  // on the comparison's time scale
  double eastM = 0, northM = 0;
  double upM = kNoValue;  // both 3D with an ellipsoidal height only
};

class LiveComparison {
 public:
  explicit LiveComparison(const CompareOptions& options = {});
  ~LiveComparison();
  LiveComparison(const LiveComparison&) = delete;
  LiveComparison& operator=(const LiveComparison&) = delete;

  void AddTest(const Epoch& epoch) { comparison_->AddTest(epoch); }
  void AddReference(const Epoch& epoch) { comparison_->AddReference(epoch); }
  // The comparison has stopped: the test epochs waiting for the reference are matched with what
  // there is.
  void Finish() {
    comparison_->FinishReference();
    comparison_->FinishTest();
  }

  CompareFigures Figures() const { return comparison_->Figures(); }
  const std::vector<ComparedPoint>& points() const { return points_; }  // the matched epochs
  uint64_t rows() const { return rows_; }
  // Writes the CSV (compare/compare_csv.h) of every row so far; false with the reason in error.
  bool Export(const std::string& path, std::string& error) const;

 private:
  void Keep(const ComparedEpoch& row);

  std::unique_ptr<EpochComparison> comparison_;
  std::vector<ComparedPoint> points_;
  std::FILE* spool_ = nullptr;
  std::string spoolFailure_;
  uint64_t rows_ = 0;
};

}  // namespace vetra
