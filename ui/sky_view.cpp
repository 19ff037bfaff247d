#include "ui/sky_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/chart_style.h"

namespace vetra::ui {

SkyView::SkyView(QWidget* parent) : QWidget(parent) {
  setObjectName("chSat");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SkyView::SetPoints(std::vector<SkyPoint> points) {
  if (points == points_) return;
  points_ = std::move(points);
  update();
}

void SkyView::paintEvent(QPaintEvent*) {
  ++paintCount_;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QFont font = ChartFont(this->font());
  p.setFont(font);
  const QFontMetrics fm(font);
  const int margin = fm.height() + 2;  // room for the N/E/S/W marks outside the horizon
  const double side = std::max(10, std::min(width(), height()) - 2 * margin);
  const QPointF centre(width() / 2.0, height() / 2.0);
  // The dark plot is the square around the horizon; the rest of the widget shows the page.
  const QRectF plotArea(centre.x() - side / 2 - margin, centre.y() - side / 2 - margin,
                        side + 2 * margin, side + 2 * margin);
  p.fillRect(plotArea, kPlotBackground);
  const double scale = side / 180.0;  // pixels per axis unit (-90..90)
  auto toPixel = [&](double x, double y) {
    return QPointF(centre.x() + x * scale, centre.y() - y * scale);
  };

  // Rings at elevation 45 and 0, cross hairs, and the four marks.
  p.setPen(QPen(kPlotGrid, 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, 90 * scale, 90 * scale);
  p.setPen(QPen(kPlotGrid, 1, Qt::DotLine));
  p.drawEllipse(centre, 45 * scale, 45 * scale);
  p.drawLine(toPixel(-90, 0), toPixel(90, 0));
  p.drawLine(toPixel(0, -90), toPixel(0, 90));
  p.setPen(kPlotText);
  const double r = 90 * scale;
  const int half = fm.height() / 2;
  p.drawText(QRectF(centre.x() - 20, centre.y() - r - margin, 40, margin), Qt::AlignCenter, "N");
  p.drawText(QRectF(centre.x() - 20, centre.y() + r, 40, margin), Qt::AlignCenter, "S");
  p.drawText(QRectF(centre.x() + r + 1, centre.y() - half, margin, 2 * half), Qt::AlignCenter, "E");
  p.drawText(QRectF(centre.x() - r - margin - 1, centre.y() - half, margin, 2 * half),
             Qt::AlignCenter, "W");

  // Satellites: circles when used in the fix, triangles otherwise; the label beside the point.
  const double size = std::clamp(side / 28.0, 3.0, 7.0);
  for (const SkyPoint& point : points_) {
    const QPointF at = toPixel(point.x, point.y);
    p.setPen(QPen(LightShade(point.colour), 1.2));
    p.setBrush(ToQColor(point.colour));
    if (point.fixed) {
      p.drawEllipse(at, size, size);
    } else {
      QPainterPath triangle;
      triangle.moveTo(at.x(), at.y() - size);
      triangle.lineTo(at.x() + size, at.y() + size * 0.8);
      triangle.lineTo(at.x() - size, at.y() + size * 0.8);
      triangle.closeSubpath();
      p.drawPath(triangle);
    }
    p.setPen(LightShade(point.colour));
    p.drawText(QPointF(at.x() + size + 2, at.y() + fm.ascent() / 2.0 - 1),
               QString::fromStdString(point.label));
  }
}

}  // namespace vetra::ui
