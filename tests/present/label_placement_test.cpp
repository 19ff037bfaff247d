// The charts' labels: beside their points without covering one another, a point or a compass
// letter; the C/N0 chart's PRNs upright when level ones would run together.
#include "present/label_placement.h"

#include <gtest/gtest.h>

namespace vetra {
namespace {

constexpr Box kArea{0, 0, 300, 300};
constexpr double kMarker = 5;

bool Meets(const Box& a, const Box& b) { return OverlapArea(a, b) > 0; }

TEST(PlaceLabels, CloseSatellitesGetLabelsThatDoNotCoverEachOtherOrAPoint) {
  // Three satellites a few pixels apart, as two at nearly the same elevation and azimuth are.
  const std::vector<LabelRequest> requests = {
      {150, 150, 14, 12}, {158, 152, 14, 12}, {150, 162, 14, 12}};
  const std::vector<Box> labels = PlaceLabels(requests, kMarker, {}, kArea);
  ASSERT_EQ(labels.size(), requests.size());
  for (size_t i = 0; i < labels.size(); ++i) {
    for (size_t j = 0; j < labels.size(); ++j) {
      if (i != j) {
        EXPECT_FALSE(Meets(labels[i], labels[j])) << i << " " << j;
      }
      const Box marker{requests[j].x - kMarker, requests[j].y - kMarker, 2 * kMarker, 2 * kMarker};
      EXPECT_FALSE(Meets(labels[i], marker)) << "label " << i << " on point " << j;
    }
  }
}

TEST(PlaceLabels, KeepsClearOfCompassLettersAndInsideTheArea) {
  const Box east{285, 144, 12, 12};  // "E" beside the horizon
  const std::vector<Box> labels = PlaceLabels({{280, 150, 14, 12}}, kMarker, {east}, kArea);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_FALSE(Meets(labels[0], east));
  EXPECT_LE(labels[0].right(), kArea.right());
  // Alone in the open, a label stands to the right of its point.
  EXPECT_EQ(PlaceLabels({{100, 100, 14, 12}}, kMarker, {}, kArea)[0],
            (Box{100 + kMarker + 2, 94, 14, 12}));
}

TEST(ChooseBarLabels, UprightPrnsAndNoValuesWhenSlotsAreNarrow) {
  const BarLabelStyle wide = ChooseBarLabels(30, 14, 14);
  EXPECT_FALSE(wide.prnUpright);
  EXPECT_TRUE(wide.showValues);
  const BarLabelStyle narrow = ChooseBarLabels(12, 14, 14);  // 16 channels in a compact window
  EXPECT_TRUE(narrow.prnUpright);
  EXPECT_FALSE(narrow.showValues);
}

}  // namespace
}  // namespace vetra
