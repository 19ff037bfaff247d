#include "ui/time_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/chart_style.h"

namespace vetra::ui {

QColor SeriesColour(size_t index) {
  static const QColor colours[] = {{0x4e, 0xa1, 0xff}, {0xff, 0xb3, 0x47}, {0x2e, 0xc2, 0x4f},
                                   {0xe0, 0x6c, 0x75}, {0xc6, 0x78, 0xdd}, {0x56, 0xb6, 0xc2},
                                   {0xe5, 0xc0, 0x7b}, {0xd0, 0xd4, 0xda}};
  return colours[index % std::size(colours)];
}

TimePlot::TimePlot(const QString& unit, QWidget* parent) : QWidget(parent), unit_(unit) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TimePlot::SetSeries(std::vector<Series> series) {
  series_ = std::move(series);
  update();
}

void TimePlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), kPlotBackground);
  const QFont font = ChartFont(this->font(), 0.8);
  p.setFont(font);
  const QFontMetrics fm(font);

  double tMax = 0, vMin = std::numeric_limits<double>::infinity(), vMax = -vMin;
  for (const Series& s : series_) {
    for (const QPointF& point : s.points) {
      if (!std::isfinite(point.y())) continue;
      tMax = std::max(tMax, point.x());
      vMin = std::min(vMin, point.y());
      vMax = std::max(vMax, point.y());
    }
  }
  const bool empty = !std::isfinite(vMin);
  if (empty) vMin = 0, vMax = 1;
  if (vMin > 0 && vMin < vMax * 0.5) vMin = 0;  // counts and errors read best from zero
  if (vMax - vMin < 1e-9) vMax = vMin + 1;
  const QString top = QString::number(vMax, 'g', 3) + " " + unit_;
  const int scaleWidth = fm.horizontalAdvance(top) + 6;
  const QRect plot(scaleWidth, fm.height() + 4, std::max(1, width() - scaleWidth - 6),
                   std::max(1, height() - 2 * fm.height() - 6));
  const double tSpan = std::max(tMax, 1.0);
  auto toPixel = [&](const QPointF& point) {
    return QPointF(plot.left() + point.x() / tSpan * plot.width(),
                   plot.bottom() - (point.y() - vMin) / (vMax - vMin) * plot.height());
  };

  p.setPen(QPen(kPlotGrid, 1));
  p.drawRect(plot);
  p.setPen(kPlotText);
  p.drawText(QRect(0, plot.top() - fm.height() / 2, scaleWidth - 3, fm.height()),
             Qt::AlignRight | Qt::AlignVCenter, top);
  p.drawText(QRect(0, plot.bottom() - fm.height() / 2, scaleWidth - 3, fm.height()),
             Qt::AlignRight | Qt::AlignVCenter, QString::number(vMin, 'g', 3));
  p.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), fm.height()),
             Qt::AlignRight | Qt::AlignTop, QString::number(tSpan, 'f', 0) + " s");
  if (empty) {
    p.drawText(plot, Qt::AlignCenter, "no data yet");
  }

  int legendX = plot.left() + 2;
  for (const Series& s : series_) {
    p.setPen(QPen(s.colour, 1.3));
    QPainterPath path;
    bool open = false;
    for (const QPointF& point : s.points) {
      if (!std::isfinite(point.y())) {
        open = false;
        continue;
      }
      const QPointF at = toPixel(point);
      if (open) {
        path.lineTo(at);
      } else {
        path.moveTo(at);
        open = true;
      }
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.drawText(QPoint(legendX, fm.ascent() + 1), s.name);
    legendX += fm.horizontalAdvance(s.name) + 12;
  }
}

}  // namespace vetra::ui
