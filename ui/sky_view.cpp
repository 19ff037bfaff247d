#include "ui/sky_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "present/label_placement.h"
#include "ui/chart_style.h"

namespace vetra::ui {
namespace {

QRectF ToRect(const Box& box) { return {box.x, box.y, box.width, box.height}; }
Box ToBox(const QRectF& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// A used satellite is a circle, the others a triangle, of half-size `size` around at.
void DrawMarker(QPainter& p, const QPointF& at, double size, bool circle) {
  if (circle) {
    p.drawEllipse(at, size, size);
    return;
  }
  QPainterPath triangle;
  triangle.moveTo(at.x(), at.y() - size);
  triangle.lineTo(at.x() + size, at.y() + size * 0.8);
  triangle.lineTo(at.x() - size, at.y() + size * 0.8);
  triangle.closeSubpath();
  p.drawPath(triangle);
}

const char* ColourName(const Rgb& colour) {
  if (colour == kGreen) return "green";
  if (colour == kBlue) return "blue";
  return "white";
}

}  // namespace

SkyView::SkyView(QWidget* parent) : QWidget(parent) {
  setObjectName("chSat");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  QStringList legend;
  for (const SkyLegendEntry& entry : kSkyLegend) {
    legend << QString("%1 %2: %3")
                  .arg(entry.circle ? "circle" : "triangle", ColourName(entry.colour), entry.text);
  }
  setToolTip(legend.join('\n'));
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
  const int markWidth = fm.horizontalAdvance('W');
  const QRectF marks[] = {
      {centre.x() - markWidth / 2.0, centre.y() - r - margin, double(markWidth), double(margin)},
      {centre.x() - markWidth / 2.0, centre.y() + r, double(markWidth), double(margin)},
      {centre.x() + r + 1, centre.y() - half, double(margin), 2.0 * half},
      {centre.x() - r - margin - 1, centre.y() - half, double(margin), 2.0 * half}};
  const char* markTexts[] = {"N", "S", "E", "W"};
  std::vector<Box> obstacles;
  for (int i = 0; i < 4; ++i) {
    p.drawText(marks[i], Qt::AlignCenter, markTexts[i]);
    obstacles.push_back(ToBox(marks[i]));
  }

  // The legend: the used classes at the lower left, the unused one at the lower right; beside
  // the plot where the widget leaves room there, else in the plot's corners outside the horizon,
  // else only in the tooltip.
  const QFont legendFont = ChartFont(this->font(), 0.75);
  const QFontMetrics lm(legendFont);
  const double legendMarker = std::max(2.0, lm.height() / 4.0);
  const double rowHeight = lm.height();
  std::vector<Box> rows;
  double widestRow = 0;
  for (const SkyLegendEntry& entry : kSkyLegend) {
    const double rowWidth =
        2 * legendMarker + 4 + lm.horizontalAdvance(QString::fromUtf8(entry.text)) + 1;
    rows.push_back({0, 0, rowWidth, rowHeight});
    widestRow = std::max(widestRow, rowWidth);
  }
  const bool beside = plotArea.left() >= widestRow + 10;
  bool legendShown = true;
  int left = 0, right = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool onLeft = kSkyLegend[i].circle;
    const int row = onLeft ? left++ : right++;
    Box& box = rows[i];
    if (beside) {
      box.width = widestRow;  // an even dark column on each side
      box.x = onLeft ? plotArea.left() - 4 - box.width : plotArea.right() + 4;
    } else {
      box.x = onLeft ? plotArea.left() + 3 : plotArea.right() - 3 - box.width;
      legendShown = legendShown && BoxClearsCircle(box, centre.x(), centre.y(), r + 1);
    }
    box.y = plotArea.bottom() - 3 - (row + 1) * rowHeight;
    // Beside the plot the page is the background: the rows get the plot's dark behind them.
    if (beside) p.fillRect(ToRect(box).adjusted(-2, -1, 2, 1), kPlotBackground);
  }
  if (legendShown) {
    p.setFont(legendFont);
    for (size_t i = 0; i < rows.size(); ++i) {
      const SkyLegendEntry& entry = kSkyLegend[i];
      const Box& row = rows[i];
      obstacles.push_back(row);
      p.setPen(QPen(LightShade(entry.colour), 1));
      p.setBrush(ToQColor(entry.colour));
      DrawMarker(p, QPointF(row.x + legendMarker, row.y + rowHeight / 2), legendMarker,
                 entry.circle);
      p.setPen(kPlotText);
      p.drawText(QRectF(row.x + 2 * legendMarker + 4, row.y, row.width, rowHeight),
                 Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(entry.text));
    }
    p.setFont(font);
  }

  // Satellites: circles when used in the fix, triangles otherwise; each label beside its point
  // where it covers no other label, point, mark or legend.
  const double size = std::clamp(side / 28.0, 3.0, 7.0);
  std::vector<LabelRequest> requests;
  requests.reserve(points_.size());
  for (const SkyPoint& point : points_) {
    const QPointF at = toPixel(point.x, point.y);
    const QString label = QString::fromStdString(point.label);
    requests.push_back({at.x(), at.y(), double(fm.horizontalAdvance(label)), double(fm.height())});
  }
  const std::vector<Box> labels = PlaceLabels(requests, size, obstacles, ToBox(plotArea));
  for (size_t i = 0; i < points_.size(); ++i) {
    const SkyPoint& point = points_[i];
    p.setPen(QPen(LightShade(point.colour), 1.2));
    p.setBrush(ToQColor(point.colour));
    DrawMarker(p, QPointF(requests[i].x, requests[i].y), size, point.fixed);
  }
  for (size_t i = 0; i < points_.size(); ++i) {
    p.setPen(LightShade(points_[i].colour));
    p.drawText(ToRect(labels[i]), Qt::AlignCenter, QString::fromStdString(points_[i].label));
  }
}

}  // namespace vetra::ui
