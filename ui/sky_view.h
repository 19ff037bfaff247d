#pragma once
// chSat: the sky view. Both axes run from -90 to 90; rings at radius 45 (elevation 45) and 90 (the
// horizon); north up, east right. Satellites used in the fix (SatSeries) are circles, the others
// (Series1, "Unfixies") triangles, each labelled with its PRN where the label covers no other
// label, point or compass letter; a legend in the lower corners says what the colours mean.

#include <QWidget>
#include <vector>

#include "present/view_model.h"

namespace vetra::ui {

class SkyView : public QWidget {
  Q_OBJECT
 public:
  explicit SkyView(QWidget* parent = nullptr);

  // Repaints only when the points differ from what is shown.
  void SetPoints(std::vector<SkyPoint> points);
  const std::vector<SkyPoint>& points() const { return points_; }
  int paintCount() const { return paintCount_; }

  QSize sizeHint() const override { return {200, 200}; }
  QSize minimumSizeHint() const override { return {110, 110}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<SkyPoint> points_;
  int paintCount_ = 0;
};

}  // namespace vetra::ui
