#include "present/label_placement.h"

#include <algorithm>
#include <array>
#include <limits>

namespace vetra {
namespace {

constexpr double kGap = 2;  // pixels between a marker and its label

bool Inside(const Box& inner, const Box& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.right() <= outer.right() &&
         inner.bottom() <= outer.bottom();
}

// The eight places around a point, in the order they are tried.
std::array<Box, 8> Candidates(const LabelRequest& label, double markerRadius) {
  const double w = label.width, h = label.height, d = markerRadius + kGap;
  const double cx = label.x, cy = label.y;
  return {{
      {cx + d, cy - h / 2, w, h},      // right
      {cx - d - w, cy - h / 2, w, h},  // left
      {cx - w / 2, cy - d - h, w, h},  // above
      {cx - w / 2, cy + d, w, h},      // below
      {cx + d, cy - d - h, w, h},      // above right
      {cx - d - w, cy - d - h, w, h},  // above left
      {cx + d, cy + d, w, h},          // below right
      {cx - d - w, cy + d, w, h},      // below left
  }};
}

}  // namespace

double OverlapArea(const Box& a, const Box& b) {
  const double w = std::min(a.right(), b.right()) - std::max(a.x, b.x);
  const double h = std::min(a.bottom(), b.bottom()) - std::max(a.y, b.y);
  return w > 0 && h > 0 ? w * h : 0;
}

bool BoxClearsCircle(const Box& box, double centreX, double centreY, double radius) {
  // The box's point nearest the centre.
  const double x = std::clamp(centreX, box.x, box.right());
  const double y = std::clamp(centreY, box.y, box.bottom());
  return (x - centreX) * (x - centreX) + (y - centreY) * (y - centreY) > radius * radius;
}

std::vector<Box> PlaceLabels(const std::vector<LabelRequest>& labels, double markerRadius,
                             const std::vector<Box>& obstacles, const Box& area) {
  std::vector<Box> taken = obstacles;
  for (const LabelRequest& label : labels) {
    taken.push_back(
        {label.x - markerRadius, label.y - markerRadius, 2 * markerRadius, 2 * markerRadius});
  }
  std::vector<Box> placed;
  placed.reserve(labels.size());
  for (const LabelRequest& label : labels) {
    Box best;
    double bestCover = std::numeric_limits<double>::infinity();
    for (const Box& candidate : Candidates(label, markerRadius)) {
      double cover = 0;
      for (const Box& other : taken) cover += OverlapArea(candidate, other);
      // Outside the area counts as covered: the part that would be cut off.
      cover += candidate.width * candidate.height - OverlapArea(candidate, area);
      if (cover < bestCover) {
        bestCover = cover;
        best = candidate;
      }
      if (cover == 0 && Inside(candidate, area)) break;
    }
    placed.push_back(best);
    taken.push_back(best);
  }
  return placed;
}

BarLabelStyle ChooseBarLabels(double slotWidth, double widestPrnWidth, double widestValueWidth) {
  return {widestPrnWidth + kGap > slotWidth, widestValueWidth + kGap <= slotWidth};
}

}  // namespace vetra
