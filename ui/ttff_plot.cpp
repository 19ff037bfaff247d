#include "ui/ttff_plot.h"

#include <QPainter>
#include <algorithm>

#include "ui/chart_style.h"

namespace vetra::ui {
namespace {

constexpr double kMaxSlot = 18.0;  // pixels per cycle at most

// Scale steps that keep the labels round: 10 s, 20 s, 30 s, 60 s, then whole minutes.
int RoundedUp(int seconds) {
  for (int step : {10, 20, 30, 60, 120, 300, 600}) {
    if (seconds <= step) return step;
  }
  return (seconds + 599) / 600 * 600;
}

}  // namespace

TtffPlot::TtffPlot(QWidget* parent) : QWidget(parent) {
  setObjectName("pbTestPlot");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setToolTip("First-fix time of each restart: green counted, grey not counted");
}

void TtffPlot::SetCycles(const std::vector<TtffCycle>& cycles, std::optional<double> mean) {
  std::vector<Bar> bars;
  bars.reserve(cycles.size());
  for (const TtffCycle& cycle : cycles) {
    bars.push_back({cycle.firstFixSeconds, cycle.outcome == CycleOutcome::Counted});
  }
  if (bars == bars_ && mean == mean_) return;
  bars_ = std::move(bars);
  mean_ = mean;
  update();
}

int TtffPlot::scaleMaximum() const {
  int longest = 0;
  for (const Bar& bar : bars_) longest = std::max(longest, bar.seconds);
  return RoundedUp(longest);
}

void TtffPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kPlotBackground);
  const QFont font = ChartFont(this->font(), 0.8);
  p.setFont(font);
  const QFontMetrics fm(font);
  const int top = scaleMaximum();
  const int scaleWidth = fm.horizontalAdvance(QString::number(top) + "s") + 6;
  const QRect plot(scaleWidth, fm.height() / 2 + 2, std::max(1, width() - scaleWidth - 4),
                   std::max(1, height() - fm.height() - 4));
  auto yOf = [&](double seconds) { return plot.bottom() - seconds * plot.height() / top; };

  for (int level : {0, top / 2, top}) {
    const int y = static_cast<int>(yOf(level));
    p.setPen(QPen(kPlotGrid, 1, level == 0 ? Qt::SolidLine : Qt::DotLine));
    p.drawLine(plot.left(), y, plot.right(), y);
    p.setPen(kPlotText);
    p.drawText(QRect(0, y - fm.height() / 2, scaleWidth - 3, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, QString::number(level) + "s");
  }
  if (bars_.empty()) {
    p.setPen(kPlotText);
    p.drawText(plot, Qt::AlignCenter, "no cycles yet");
    return;
  }

  // Many cycles make thin bars rather than leaving the plot; a few stay narrow, one beside the
  // other from the left, so that each reads as one cycle.
  const double slot =
      std::min(kMaxSlot, static_cast<double>(plot.width()) / static_cast<double>(bars_.size()));
  const double barWidth = std::max(1.0, slot - std::min(3.0, slot / 4));
  const QColor counted = LightShade(kGreen);
  const QColor other = ToQColor(kGrey);
  for (size_t i = 0; i < bars_.size(); ++i) {
    const Bar& bar = bars_[i];
    const double seconds = bar.seconds < 0 ? top / 40.0 : std::min<double>(bar.seconds, top);
    const QRectF body(plot.left() + static_cast<double>(i) * slot, yOf(seconds), barWidth,
                      plot.bottom() - yOf(seconds));
    p.fillRect(body, bar.counted ? counted : other);
  }
  if (mean_) {
    const int y = static_cast<int>(yOf(std::min<double>(*mean_, top)));
    p.setPen(QPen(kPlotText, 1, Qt::DashLine));
    p.drawLine(plot.left(), y, plot.right(), y);
  }
}

}  // namespace vetra::ui
