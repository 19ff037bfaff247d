#pragma once
// The cycles of a start-up time test as a small bar plot: one bar per restart in the order sent,
// its height the first-fix time. Counted cycles are green; restarts that did not count (no
// revision sentence, a warm or cold fix under 10 s, stopped, not sent) are grey, at the time they
// reached or as a short stub. A dashed line marks the mean of the counted cycles.

#include <QWidget>
#include <optional>
#include <vector>

#include "ttff/ttff_statistics.h"

namespace vetra::ui {

class TtffPlot : public QWidget {
  Q_OBJECT
 public:
  explicit TtffPlot(QWidget* parent = nullptr);

  // Repaints only when the cycles differ from what is shown.
  void SetCycles(const std::vector<TtffCycle>& cycles, std::optional<double> mean);
  size_t barCount() const { return bars_.size(); }
  // The top of the seconds scale: the longest time rounded up to a whole step, at least 10.
  int scaleMaximum() const;

  QSize sizeHint() const override { return {260, 90}; }
  QSize minimumSizeHint() const override { return {120, 60}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Bar {
    int seconds;  // -1: no fix seen
    bool counted;
    friend bool operator==(const Bar&, const Bar&) = default;
  };
  std::vector<Bar> bars_;
  std::optional<double> mean_;
};

}  // namespace vetra::ui
