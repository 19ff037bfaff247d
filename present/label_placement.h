#pragma once
// Where the charts put their labels so that each stays readable: the sky view's PRN labels
// beside their points without covering each other, another satellite or a compass letter; the
// C/N0 chart's PRN labels level while they fit their slot, turned upright when they do not. Pure
// geometry in the widget's pixels (y downwards), so the rules are tested without a display.

#include <vector>

namespace vetra {

struct Box {
  double x = 0, y = 0, width = 0, height = 0;  // top left corner and size
  double right() const { return x + width; }
  double bottom() const { return y + height; }
  friend bool operator==(const Box&, const Box&) = default;
};

// The area two boxes share (0 when they do not meet).
double OverlapArea(const Box& a, const Box& b);

struct LabelRequest {
  double x = 0, y = 0;           // the point's centre
  double width = 0, height = 0;  // the label's text size
};

// True when no part of the box lies within radius of the centre (a legend outside the horizon).
bool BoxClearsCircle(const Box& box, double centreX, double centreY, double radius);

// One box per request, in order. Each label takes the first of eight places around its point
// (right, left, above, below, then the four corners) that stays inside the area and meets no
// point's marker (a square of markerRadius around each point), no obstacle (the compass letters)
// and no label placed before it. Where every place meets something, the one that covers least.
std::vector<Box> PlaceLabels(const std::vector<LabelRequest>& labels, double markerRadius,
                             const std::vector<Box>& obstacles, const Box& area);

// How the C/N0 chart labels its bars: PRNs level while the widest fits its slot, else turned
// upright; the values above the bars only while they fit level.
struct BarLabelStyle {
  bool prnUpright = false;
  bool showValues = true;
};
BarLabelStyle ChooseBarLabels(double slotWidth, double widestPrnWidth, double widestValueWidth);

}  // namespace vetra
