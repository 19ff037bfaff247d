#pragma once
// A small plot of values over time for the Statistics window: several named series in their
// colours, a legend, the value scale on the left and the elapsed time below. Gaps in a series
// (NaN values) break its line.

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <vector>

namespace vetra::ui {

class TimePlot : public QWidget {
  Q_OBJECT
 public:
  struct Series {
    QString name;
    QColor colour;
    std::vector<QPointF> points;  // seconds from the first fix, value
  };

  explicit TimePlot(const QString& unit, QWidget* parent = nullptr);

  void SetSeries(std::vector<Series> series);
  const std::vector<Series>& series() const { return series_; }

  QSize sizeHint() const override { return {420, 120}; }
  QSize minimumSizeHint() const override { return {200, 80}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString unit_;
  std::vector<Series> series_;
};

// Readable on the dark plot area; the n-th series takes the n-th colour, round again.
QColor SeriesColour(size_t index);

}  // namespace vetra::ui
