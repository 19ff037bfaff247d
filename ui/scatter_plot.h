#pragma once
// The Statistics window's scatter: east/north offsets of the fixes from the reference, metres,
// north up, the same scale on both axes, with the CEP50, CEP95 and 2DRMS circles and their values.

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <vector>

namespace vetra::ui {

class ScatterPlot : public QWidget {
  Q_OBJECT
 public:
  struct Circle {
    double radiusM = 0;
    QString label;  // "CEP50 1.234 m"
    QColor colour;
  };

  explicit ScatterPlot(QWidget* parent = nullptr);

  // east, north in metres
  void SetData(std::vector<QPointF> offsets, std::vector<Circle> circles);
  // Half the plot's width in metres: the largest of the circles and the offsets, rounded up.
  double rangeM() const;
  // The axis' end labels: "-1000 m" and "1000 m", "-0.5 m" and "0.5 m".
  static QString AxisText(double metres);

  QSize sizeHint() const override { return {320, 320}; }
  QSize minimumSizeHint() const override { return {160, 160}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return width; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<QPointF> offsets_;
  std::vector<Circle> circles_;
};

}  // namespace vetra::ui
