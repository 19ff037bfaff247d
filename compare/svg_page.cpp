#include "compare/svg_page.h"

#include <cmath>
#include <cstdio>

namespace vetra {

namespace {

std::string Num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

SvgPage::SvgPage(double width, double height, double widthMm, double heightMm) {
  out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" ";
  out_ += "width=\"" + Num(widthMm) + "mm\" height=\"" + Num(heightMm) + "mm\" viewBox=\"0 0 " +
          Num(width) + " " + Num(height) + "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  Rect(0, 0, width, height, "fill:#ffffff");
}

void SvgPage::Open(std::string_view element, std::string_view attributes) {
  out_ += "<";
  out_ += element;
  if (!attributes.empty()) {
    out_ += ' ';
    out_ += attributes;
  }
  out_ += ">\n";
}

void SvgPage::Close(std::string_view element) {
  out_ += "</";
  out_ += element;
  out_ += ">\n";
}

void SvgPage::Rect(double x, double y, double w, double h, std::string_view style) {
  out_ += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" +
          Num(h) + "\" style=\"" + std::string(style) + "\"/>\n";
}

void SvgPage::Line(double x1, double y1, double x2, double y2, std::string_view style) {
  out_ += "<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y1) + "\" x2=\"" + Num(x2) + "\" y2=\"" +
          Num(y2) + "\" style=\"" + std::string(style) + "\"/>\n";
}

void SvgPage::Circle(double cx, double cy, double r, std::string_view style) {
  out_ += "<circle cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"" + Num(r) + "\" style=\"" +
          std::string(style) + "\"/>\n";
}

void SvgPage::Polyline(const std::vector<double>& points, std::string_view style) {
  if (points.size() < 4) return;
  out_ += "<polyline points=\"";
  for (size_t i = 0; i + 1 < points.size(); i += 2) {
    if (i > 0) out_ += ' ';
    out_ += Num(points[i]) + "," + Num(points[i + 1]);
  }
  out_ += "\" style=\"fill:none;" + std::string(style) + "\"/>\n";
}

void SvgPage::Text(double x, double y, std::string_view text, std::string_view anchor, double size,
                   std::string_view extra, double rotate) {
  out_ += "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" + Num(size) +
          "\" text-anchor=\"" + std::string(anchor) + "\"";
  if (rotate != 0) {
    out_ += " transform=\"rotate(" + Num(rotate) + " " + Num(x) + " " + Num(y) + ")\"";
  }
  if (!extra.empty()) {
    out_ += ' ';
    out_ += extra;
  }
  out_ += ">" + XmlEscaped(text) + "</text>\n";
}

std::string SvgPage::Finish() {
  out_ += "</svg>\n";
  return std::move(out_);
}

std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // Control characters are not allowed in XML 1.0.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
    }
  }
  return out;
}

Ticks NiceTicks(double low, double high, int count) {
  Ticks ticks;
  if (!std::isfinite(low) || !std::isfinite(high)) return ticks;
  if (high <= low) high = low + 1;
  const double rough = (high - low) / std::max(count, 1);
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  // The step whose number of ticks comes closest to the count asked for.
  double step = power;
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    const double candidate = factor * power;
    if (std::fabs((high - low) / candidate - count) < std::fabs((high - low) / step - count)) {
      step = candidate;
    }
  }
  ticks.step = step;
  ticks.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  const long long first = std::llround(std::floor(low / step + 1e-9));
  const long long last = std::llround(std::ceil(high / step - 1e-9));
  for (long long k = first; k <= last; ++k) ticks.values.push_back(static_cast<double>(k) * step);
  return ticks;
}

Ticks TimeTicks(double low, double high, int count) {
  Ticks ticks;
  if (!std::isfinite(low) || !std::isfinite(high)) return ticks;
  if (high <= low) high = low + 1;
  static constexpr double kSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                      600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
  double step = kSteps[std::size(kSteps) - 1];
  for (double s : kSteps) {
    if ((high - low) / s <= count) {
      step = s;
      break;
    }
  }
  ticks.step = step;
  for (double v = std::ceil(low / step) * step; v <= high; v += step) ticks.values.push_back(v);
  return ticks;
}

std::string TimeOfDayLabel(double t, double step) {
  const long long seconds = static_cast<long long>(std::llround(t)) % 86400;
  char text[16];
  if (step < 60) {
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%02lld:%02lld", seconds / 3600, seconds / 60 % 60);
  }
  return text;
}

std::string NumberLabel(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace vetra
