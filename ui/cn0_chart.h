#pragma once
// chCn0: the C/N0 bar chart. Vertical range 0..60 dB-Hz with a scale; the horizontal range is the
// channel count (12 or 16), one slot per position of the satellites-in-view list; each bar is
// labelled with its PRN below (upright where level labels would run into each other) and its value
// above (where it fits). A double-click asks for the other channel count.

#include <QWidget>
#include <vector>

#include "present/view_model.h"

namespace vetra::ui {

class Cn0Chart : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaxDbHz = 60;

  explicit Cn0Chart(QWidget* parent = nullptr);

  // Repaints only when the bars or the range differ from what is shown.
  void SetBars(std::vector<Cn0Bar> bars, int axisMax);
  const std::vector<Cn0Bar>& bars() const { return bars_; }
  int axisMax() const { return axisMax_; }
  int paintCount() const { return paintCount_; }

  QSize sizeHint() const override { return {260, 120}; }
  QSize minimumSizeHint() const override { return {160, 80}; }

 Q_SIGNALS:
  void doubleClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::vector<Cn0Bar> bars_;
  int axisMax_ = 12;
  int paintCount_ = 0;
};

}  // namespace vetra::ui
