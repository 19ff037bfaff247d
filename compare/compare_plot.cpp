#include "compare/compare_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "compare/svg_page.h"

namespace vetra {

namespace {

constexpr double kPageWidth = 794, kPageHeight = 1123;  // A4 at 96 per inch
constexpr const char* kHorizontalColour = "#1f4e9c";
constexpr const char* kVerticalColour = "#b3401a";
constexpr const char* kGrid = "stroke:#d0d0d0;stroke-width:0.6";
constexpr const char* kFrame = "fill:none;stroke:#000000;stroke-width:1";
constexpr const char* kMuted = "fill:#555555";
// The smallest span of a metre axis: receivers that agree to the last digit still get an axis of
// readable labels.
constexpr double kLeastSpanM = 0.01;

// A rectangle of the page that shows [xLow, xHigh] x [yLow, yHigh].
struct Area {
  double x, y, w, h;
  double xLow, xHigh, yLow, yHigh;
  double X(double v) const { return x + (v - xLow) / (xHigh - xLow) * w; }
  double Y(double v) const { return y + h - (v - yLow) / (yHigh - yLow) * h; }
};

// A figure that rounds to zero at three decimals prints as 0.000, never -0.000.
double Shown(double value) { return std::fabs(value) < 0.0005 ? 0.0 : value; }

std::string Metres(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f m", Shown(value));
  return text;
}

// The frame, the grid at the ticks, their labels and the axis titles.
void DrawAxes(SvgPage& page, const Area& a, const Ticks& xTicks, const Ticks& yTicks, bool timeAxis,
              const std::string& xTitle, const std::string& yTitle) {
  for (double v : xTicks.values) {
    page.Line(a.X(v), a.y, a.X(v), a.y + a.h, kGrid);
    page.Text(a.X(v), a.y + a.h + 15,
              timeAxis ? TimeOfDayLabel(v, xTicks.step) : NumberLabel(v, xTicks.decimals), "middle",
              11);
  }
  for (double v : yTicks.values) {
    page.Line(a.x, a.Y(v), a.x + a.w, a.Y(v), kGrid);
    page.Text(a.x - 6, a.Y(v) + 4, NumberLabel(v, yTicks.decimals), "end", 11);
  }
  page.Rect(a.x, a.y, a.w, a.h, kFrame);
  page.Text(a.x + a.w / 2, a.y + a.h + 32, xTitle, "middle", 12);
  page.Text(a.x - 44, a.y + a.h / 2, yTitle, "middle", 12, "", -90);
}

// A polyline through the points, broken where the time jumps (a gap in either log).
void DrawSeries(SvgPage& page, const Area& a, const std::vector<std::pair<double, double>>& points,
                double breakS, const std::string& style) {
  std::vector<double> line;
  for (size_t i = 0; i < points.size(); ++i) {
    if (i > 0 && points[i].first - points[i - 1].first > breakS) {
      page.Polyline(line, style);
      line.clear();
    }
    line.push_back(a.X(points[i].first));
    line.push_back(a.Y(points[i].second));
  }
  if (line.size() == 2) {
    page.Circle(line[0], line[1], 1.5, "fill:#000000");
  } else {
    page.Polyline(line, style);
  }
}

void NoData(SvgPage& page, const Area& a, const char* why) {
  page.Rect(a.x, a.y, a.w, a.h, kFrame);
  page.Text(a.x + a.w / 2, a.y + a.h / 2, why, "middle", 12, kMuted);
}

}  // namespace

void ComparePlot::Add(const ComparedEpoch& row) {
  if (!row.matched()) return;
  if (seen_++ % stride_ != 0) return;
  points_.push_back({row.timeS, row.horizontalM, row.upM, row.eastM, row.northM});
  if (points_.size() > kMaxPoints) {
    size_t kept = 0;
    for (size_t i = 0; i < points_.size(); i += 2) points_[kept++] = points_[i];
    points_.resize(kept);
    stride_ *= 2;
  }
}

std::string ComparePlot::Svg(const CompareFigures& figures,
                             const std::vector<double>& sortedHorizontal,
                             const std::string& testName, const std::string& referenceName) const {
  SvgPage page(kPageWidth, kPageHeight, 210, 297);
  page.Text(60, 44, "Test minus reference", "start", 20, "font-weight=\"bold\"");
  page.Text(60, 66, "test: " + testName, "start", 12);
  page.Text(60, 82, "reference: " + referenceName, "start", 12);

  // The span between kept points that counts as a gap: a few times their usual spacing.
  double breakS = 3;
  if (points_.size() >= 2) {
    std::vector<double> steps;
    for (size_t i = 1; i < points_.size(); ++i) {
      steps.push_back(points_[i].timeS - points_[i - 1].timeS);
    }
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    breakS = 3 * steps[steps.size() / 2];
  }
  const double t0 = points_.empty() ? 0 : points_.front().timeS;
  const double t1 = points_.empty() ? 1 : std::max(points_.back().timeS, t0 + 1);
  const Ticks timeTicks = TimeTicks(t0, t1, 8);

  // 1. Horizontal error over time.
  page.Open("g", "id=\"error-over-time\"");
  {
    double top = 0;
    std::vector<std::pair<double, double>> series;
    for (const Point& p : points_) {
      series.push_back({p.timeS, p.horizontalM});
      top = std::max(top, p.horizontalM);
    }
    const Ticks y = NiceTicks(0, std::max(top, kLeastSpanM), 5);
    const Area a{100, 130, 640, 160, t0, t1, 0, y.values.empty() ? 1 : y.values.back()};
    page.Text(a.x, a.y - 10, "Horizontal error", "start", 14, "font-weight=\"bold\"");
    if (points_.empty()) {
      NoData(page, a, "no epoch compared");
    } else {
      DrawAxes(page, a, timeTicks, y, true, "UTC", "horizontal error (m)");
      DrawSeries(page, a, series, breakS,
                 std::string("stroke:") + kHorizontalColour + ";stroke-width:1");
    }
  }
  // 2. Vertical error over time.
  {
    double low = 0, high = 0;
    std::vector<std::pair<double, double>> series;
    for (const Point& p : points_) {
      if (!std::isfinite(p.upM)) continue;
      series.push_back({p.timeS, p.upM});
      low = std::min(low, p.upM);
      high = std::max(high, p.upM);
    }
    if (high - low < kLeastSpanM) {
      const double middle = (low + high) / 2;
      low = middle - kLeastSpanM / 2;
      high = middle + kLeastSpanM / 2;
    }
    const Ticks y = NiceTicks(low, high, 5);
    const Area a{100, 370, 640, 160, t0, t1, y.values.front(), y.values.back()};
    page.Text(a.x, a.y - 10, "Vertical error", "start", 14, "font-weight=\"bold\"");
    if (series.empty()) {
      NoData(page, a, "no vertical error: both receivers need a 3D fix with an ellipsoidal height");
    } else {
      DrawAxes(page, a, timeTicks, y, true, "UTC", "up error (m)");
      page.Line(a.x, a.Y(0), a.x + a.w, a.Y(0), "stroke:#000000;stroke-width:0.8");
      DrawSeries(page, a, series, breakS,
                 std::string("stroke:") + kVerticalColour + ";stroke-width:1");
    }
  }
  page.Close("g");

  const auto& h = figures.horizontal;
  // 3. The cumulative distribution of the horizontal error.
  page.Open("g", "id=\"horizontal-distribution\"");
  {
    const double right =
        sortedHorizontal.empty() ? 1 : std::max(sortedHorizontal.back(), kLeastSpanM);
    const Ticks x = NiceTicks(0, right, 5);
    const Area a{100, 600, 260, 260, 0, x.values.empty() ? right : x.values.back(), 0, 100};
    page.Text(a.x, a.y - 10, "Distribution of horizontal error", "start", 14,
              "font-weight=\"bold\"");
    if (sortedHorizontal.empty() || !h) {
      NoData(page, a, "no epoch compared");
    } else {
      DrawAxes(page, a, x, NiceTicks(0, 100, 5), false, "horizontal error (m)",
               "epochs at or below (%)");
      // The empirical distribution, thinned to a point per page unit or so.
      std::vector<double> line;
      const size_t n = sortedHorizontal.size();
      const size_t step = std::max<size_t>(1, n / 600);
      for (size_t i = 0; i < n; i += step) {
        line.push_back(a.X(sortedHorizontal[i]));
        line.push_back(a.Y(100.0 * static_cast<double>(i + 1) / static_cast<double>(n)));
      }
      line.push_back(a.X(sortedHorizontal.back()));
      line.push_back(a.Y(100));
      page.Polyline(line, std::string("stroke:") + kHorizontalColour + ";stroke-width:1.5");
      const std::pair<const char*, double> marks[] = {{"CEP50", h->cep50M}, {"CEP95", h->cep95M}};
      for (const auto& [name, value] : marks) {
        const double percent = name[3] == '5' ? 50 : 95;
        page.Line(a.X(value), a.Y(0), a.X(value), a.Y(percent),
                  "stroke:#000000;stroke-width:1;stroke-dasharray:4,3");
        page.Line(a.X(0), a.Y(percent), a.X(value), a.Y(percent),
                  "stroke:#000000;stroke-width:1;stroke-dasharray:4,3");
        // Left of its line when the line stands in the right half, so that it stays inside.
        const bool right = a.X(value) < a.x + a.w / 2;
        page.Text(a.X(value) + (right ? 4 : -4), a.Y(percent) - 4,
                  std::string(name) + " " + Metres(value), right ? "start" : "end", 11);
      }
    }
  }
  page.Close("g");

  // 4. East/north scatter with the CEP circles.
  page.Open("g", "id=\"east-north-scatter\"");
  {
    double reach = h ? h->cep95M : 0;
    for (const Point& p : points_)
      reach = std::max({reach, std::fabs(p.eastM), std::fabs(p.northM)});
    reach = std::max(reach, kLeastSpanM);
    const Ticks ticks = NiceTicks(-reach, reach, 6);
    const double edge =
        ticks.values.empty() ? 1 : std::max(-ticks.values.front(), ticks.values.back());
    const Area a{470, 600, 260, 260, -edge, edge, -edge, edge};
    page.Text(a.x, a.y - 10, "East/north error", "start", 14, "font-weight=\"bold\"");
    if (points_.empty() || !h) {
      NoData(page, a, "no epoch compared");
    } else {
      DrawAxes(page, a, ticks, ticks, false, "east (m)", "north (m)");
      page.Line(a.X(0), a.y, a.X(0), a.y + a.h, "stroke:#000000;stroke-width:0.8");
      page.Line(a.x, a.Y(0), a.x + a.w, a.Y(0), "stroke:#000000;stroke-width:0.8");
      for (const Point& p : points_) {
        page.Circle(a.X(p.eastM), a.Y(p.northM), 1.6,
                    std::string("fill:") + kHorizontalColour + ";fill-opacity:0.5");
      }
      const double scale = a.w / (2 * edge);
      page.Circle(a.X(0), a.Y(0), h->cep50M * scale, "fill:none;stroke:#000000;stroke-width:1.2");
      page.Circle(a.X(0), a.Y(0), h->cep95M * scale,
                  "fill:none;stroke:#000000;stroke-width:1.2;stroke-dasharray:5,3");
      page.Text(a.x, a.y + a.h + 50, "solid circle: CEP50 " + Metres(h->cep50M), "start", 11);
      page.Text(a.x, a.y + a.h + 64, "dashed circle: CEP95 " + Metres(h->cep95M), "start", 11);
    }
  }
  page.Close("g");

  // The figures beneath.
  page.Open("g", "id=\"figures\"");
  {
    char line[200];
    double y = 960;
    std::snprintf(line, sizeof line,
                  "compared %llu of %llu test epochs, unmatched %llu, overlap %.1f s",
                  static_cast<unsigned long long>(figures.compared),
                  static_cast<unsigned long long>(figures.testEpochs),
                  static_cast<unsigned long long>(figures.unmatched), figures.overlapS);
    page.Text(60, y, line, "start", 12);
    y += 18;
    if (figures.availability) {
      std::snprintf(line, sizeof line, "availability %.2f %%", *figures.availability * 100);
      page.Text(60, y, line, "start", 12);
      y += 18;
    }
    if (h) {
      std::snprintf(line, sizeof line, "horizontal: mean %.3f m, RMS %.3f m, max %.3f m",
                    Shown(h->meanM), Shown(h->rmsM), Shown(h->maxM));
      page.Text(60, y, line, "start", 12);
      y += 18;
      std::snprintf(line, sizeof line, "CEP50 %.3f m, CEP68 %.3f m, CEP95 %.3f m, CEP99 %.3f m",
                    Shown(h->cep50M), Shown(h->cep68M), Shown(h->cep95M), Shown(h->cep99M));
      page.Text(60, y, line, "start", 12);
      y += 18;
    }
    if (const auto& v = figures.vertical) {
      std::snprintf(line, sizeof line,
                    "vertical: mean %.3f m, RMS %.3f m, 95%% of |up| %.3f m; 3D RMS %.3f m",
                    Shown(v->meanM), Shown(v->rmsM), Shown(v->abs95M),
                    Shown(figures.rms3dM.value_or(0)));
      page.Text(60, y, line, "start", 12);
      y += 18;
    }
    if (figures.alongTrack && figures.crossTrack) {
      std::snprintf(line, sizeof line,
                    "along track: mean %.3f m, RMS %.3f m; cross track: mean %.3f m, RMS %.3f m",
                    Shown(figures.alongTrack->meanM), Shown(figures.alongTrack->rmsM),
                    Shown(figures.crossTrack->meanM), Shown(figures.crossTrack->rmsM));
      page.Text(60, y, line, "start", 12);
    }
  }
  page.Close("g");
  return page.Finish();
}

}  // namespace vetra
