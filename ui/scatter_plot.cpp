#include "ui/scatter_plot.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/chart_style.h"

namespace vetra::ui {

namespace {
constexpr size_t kMostPointsDrawn = 20000;  // the newest; a long run stays quick to paint

// 1, 2 or 5 times a power of ten, at least the value.
double NiceCeiling(double value) {
  if (!(value > 0)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0}) {
    if (value <= step * power) return step * power;
  }
  return 10 * power;
}

}  // namespace

// Plain digits (never "1e+03") and the same on both sides of the reference but for the sign.
QString ScatterPlot::AxisText(double metres) {
  const double magnitude = std::fabs(metres);
  const QString digits =
      magnitude >= 10 ? QString::number(magnitude, 'f', 0) : QString::number(magnitude, 'g', 2);
  return (metres < 0 ? "-" : "") + digits + " m";
}

ScatterPlot::ScatterPlot(QWidget* parent) : QWidget(parent) {
  setObjectName("chScatter");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ScatterPlot::SetData(std::vector<QPointF> offsets, std::vector<Circle> circles) {
  offsets_ = std::move(offsets);
  circles_ = std::move(circles);
  update();
}

double ScatterPlot::rangeM() const {
  double largest = 0;
  for (const Circle& c : circles_) largest = std::max(largest, c.radiusM);
  for (const QPointF& p : offsets_)
    largest = std::max({largest, std::fabs(p.x()), std::fabs(p.y())});
  return NiceCeiling(largest * 1.05);
}

void ScatterPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), kPlotBackground);
  const QFont font = ChartFont(this->font());
  p.setFont(font);
  const QFontMetrics fm(font);
  const int margin = fm.height() + 4;
  const double side = std::max(10, std::min(width(), height()) - 2 * margin);
  const QPointF centre(width() / 2.0, height() / 2.0);
  const double range = rangeM();
  const double scale = side / 2 / range;  // pixels per metre
  auto toPixel = [&](double east, double north) {
    return QPointF(centre.x() + east * scale, centre.y() - north * scale);
  };

  // The frame, the cross through the reference and half-range ticks, with the scale.
  p.setPen(QPen(kPlotGrid, 1));
  p.drawRect(QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side));
  p.setPen(QPen(kPlotGrid, 1, Qt::DotLine));
  p.drawLine(toPixel(-range, 0), toPixel(range, 0));
  p.drawLine(toPixel(0, -range), toPixel(0, range));
  p.setPen(kPlotText);
  p.drawText(QRectF(centre.x() - 30, centre.y() - side / 2 - margin, 60, margin), Qt::AlignCenter,
             "N");
  p.drawText(QRectF(centre.x() + side / 2, centre.y() - margin / 2.0, margin, margin),
             Qt::AlignCenter, "E");
  p.drawText(QRectF(centre.x() + side / 2 - 80, centre.y() + side / 2, 80, margin),
             Qt::AlignRight | Qt::AlignVCenter, AxisText(range));
  p.drawText(QRectF(centre.x() - side / 2, centre.y() + side / 2, 80, margin),
             Qt::AlignLeft | Qt::AlignVCenter, AxisText(-range));

  if (offsets_.empty()) {
    p.drawText(rect(), Qt::AlignCenter, "no fixes yet");
    return;
  }
  const QColor dot(0x4e, 0xa1, 0xff, 170);
  p.setPen(Qt::NoPen);
  p.setBrush(dot);
  const double r = std::clamp(side / 150, 1.5, 3.0);
  const size_t first = offsets_.size() > kMostPointsDrawn ? offsets_.size() - kMostPointsDrawn : 0;
  for (size_t i = first; i < offsets_.size(); ++i) {
    p.drawEllipse(toPixel(offsets_[i].x(), offsets_[i].y()), r, r);
  }

  // The circles about the reference, their labels in the top left corner in their colours.
  p.setBrush(Qt::NoBrush);
  double labelY = centre.y() - side / 2 + 2;
  for (const Circle& c : circles_) {
    p.setPen(QPen(c.colour, 1.5));
    p.drawEllipse(centre, c.radiusM * scale, c.radiusM * scale);
    p.drawText(QRectF(centre.x() - side / 2 + 4, labelY, side, fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, c.label);
    labelY += fm.height();
  }
}

}  // namespace vetra::ui
