#pragma once
// A page of plain SVG written by hand, for plots the terminal tool makes without a graphics
// library: shapes and text in page units (1/96 inch), text escaped for XML, and the axis ticks
// that a person reads easily (1, 2 or 5 times a power of ten; whole minutes and hours of UTC).

#include <string>
#include <string_view>
#include <vector>

namespace vetra {

class SvgPage {
 public:
  // widthMm and heightMm give the printed size; the page units span width x height.
  SvgPage(double width, double height, double widthMm, double heightMm);

  void Open(std::string_view element, std::string_view attributes);  // <g id=...>
  void Close(std::string_view element);
  void Rect(double x, double y, double w, double h, std::string_view style);
  void Line(double x1, double y1, double x2, double y2, std::string_view style);
  void Circle(double cx, double cy, double r, std::string_view style);
  // points: x0, y0, x1, y1 ...
  void Polyline(const std::vector<double>& points, std::string_view style);
  // anchor: "start", "middle" or "end"; rotate: degrees about (x, y).
  void Text(double x, double y, std::string_view text, std::string_view anchor = "start",
            double size = 12, std::string_view extra = "", double rotate = 0);

  std::string Finish();

 private:
  std::string out_;
};

// "a &amp; b" for "a & b".
std::string XmlEscaped(std::string_view text);

// Round ticks from at or below low to at or above high (an axis runs from the first to the last):
// about `count` steps, 1, 2 or 5 times a power of ten apart.
struct Ticks {
  std::vector<double> values;
  double step = 1;
  int decimals = 0;  // what a label needs to show the step
};
Ticks NiceTicks(double low, double high, int count);
// Ticks of UTC time (seconds since 1970 or of the day): whole seconds, minutes or hours.
Ticks TimeTicks(double low, double high, int count);
// "12:34" or "12:34:56" (when the step is below a minute): the time of day of t.
std::string TimeOfDayLabel(double t, double step);
std::string NumberLabel(double value, int decimals);

}  // namespace vetra
