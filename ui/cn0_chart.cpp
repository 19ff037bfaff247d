#include "ui/cn0_chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "present/label_placement.h"
#include "ui/chart_style.h"

namespace vetra::ui {

Cn0Chart::Cn0Chart(QWidget* parent) : QWidget(parent) {
  setObjectName("chCn0");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setToolTip(tr("Double-click: 12 or 16 channels"));
}

void Cn0Chart::SetBars(std::vector<Cn0Bar> bars, int axisMax) {
  if (bars == bars_ && axisMax == axisMax_) return;
  bars_ = std::move(bars);
  axisMax_ = axisMax;
  update();
}

void Cn0Chart::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  Q_EMIT doubleClicked();
}

void Cn0Chart::paintEvent(QPaintEvent*) {
  ++paintCount_;
  QPainter p(this);
  p.fillRect(rect(), kPlotBackground);

  const QFont font = ChartFont(this->font());
  p.setFont(font);
  const QFontMetrics fm(font);
  const int scaleWidth = fm.horizontalAdvance("60") + 6;
  const int plotWidth = std::max(1, width() - scaleWidth - 4);

  // One slot per channel position; bars beyond the channel count lie outside the range. With 16
  // channels in a narrow chart the PRNs below the bars turn upright rather than run into each
  // other, and the values above them give way (the satellite table has them).
  const int slotCount = std::max(1, axisMax_);
  const double slotWidth = static_cast<double>(plotWidth) / slotCount;
  const double barWidth = std::max(2.0, slotWidth * 0.7);
  int widestPrn = 0, widestValue = 0;
  for (const Cn0Bar& bar : bars_) {
    widestPrn = std::max(widestPrn, fm.horizontalAdvance(QString::fromStdString(bar.label)));
    widestValue = std::max(widestValue, fm.horizontalAdvance(QString::number(bar.value)));
  }
  const BarLabelStyle style = ChooseBarLabels(slotWidth, widestPrn, widestValue);
  const int prnHeight = style.prnUpright ? widestPrn : fm.height();
  const QRect plot(scaleWidth, fm.height() + 2, plotWidth,
                   std::max(1, height() - fm.height() - prnHeight - 6));
  auto yOf = [&](double dbHz) { return plot.bottom() - dbHz * plot.height() / kMaxDbHz; };

  // dB-Hz scale: a line every 10, labelled on the left (every 20 when the chart is low); the
  // unit above the scale.
  const int labelStep = plot.height() / 6 < fm.height() ? 20 : 10;
  for (int level = 0; level <= kMaxDbHz; level += 10) {
    const int y = static_cast<int>(yOf(level));
    p.setPen(QPen(kPlotGrid, 1, level == 0 ? Qt::SolidLine : Qt::DotLine));
    p.drawLine(plot.left(), y, plot.right(), y);
    if (level % labelStep != 0) continue;
    p.setPen(kPlotText);
    p.drawText(QRect(0, y - fm.height() / 2, scaleWidth - 3, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, QString::number(level));
  }
  p.drawText(QRect(plot.left() + 2, 0, plot.width(), fm.height() + 2),
             Qt::AlignLeft | Qt::AlignVCenter, "dB-Hz");

  p.setClipRect(QRect(0, 0, plot.right() + 1, height()));
  for (size_t i = 0; i < bars_.size() && static_cast<int>(i) < slotCount; ++i) {
    const Cn0Bar& bar = bars_[i];
    const double centre = plot.left() + (static_cast<double>(i) + 0.5) * slotWidth;
    const double value = std::clamp(bar.value, 0, kMaxDbHz);
    const QRectF body(centre - barWidth / 2, yOf(value), barWidth, plot.bottom() - yOf(value));
    p.fillRect(body, ToQColor(bar.colour));
    p.setPen(LightShade(bar.colour));
    p.drawRect(body);
    const QString prn = QString::fromStdString(bar.label);
    if (style.prnUpright) {
      // Read from bottom to top, as a vertical axis's label; the text's height fits the slot.
      p.save();
      p.translate(centre - fm.height() / 2.0, plot.bottom() + 2);
      p.rotate(-90);
      p.drawText(QRectF(-widestPrn, 0, widestPrn, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                 prn);
      p.restore();
    } else {
      const QRectF below(centre - slotWidth / 2, plot.bottom() + 2, slotWidth, fm.height());
      p.drawText(below, Qt::AlignHCenter | Qt::AlignTop, prn);
    }
    if (!style.showValues) continue;
    const QRectF above(centre - slotWidth / 2, body.top() - fm.height() - 1, slotWidth,
                       fm.height());
    p.setPen(kPlotText);
    p.drawText(above, Qt::AlignHCenter | Qt::AlignBottom, QString::number(bar.value));
  }
}

}  // namespace vetra::ui
