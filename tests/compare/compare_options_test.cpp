// The options of a comparison as the user types them: the lever arm, the reference's fix quality.
#include <gtest/gtest.h>

#include "compare/compare_options.h"

namespace vetra {
namespace {

TEST(CompareOptions, LeverArmReadsForwardRightUp) {
  const struct {
    const char* text;
    bool reads;
    double forward, right, up;
  } rows[] = {
      {"1.5,-0.4,0.9", true, 1.5, -0.4, 0.9},
      {" 0 , 0 , +2 ", true, 0, 0, 2},
      {"1,2", false, 0, 0, 0},
      {"1,2,3,4", false, 0, 0, 0},
      {"1,x,3", false, 0, 0, 0},
      {"1,,3", false, 0, 0, 0},
      {"nan,0,0", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const auto& row : rows) {
    const auto lever = ParseLeverArm(row.text);
    ASSERT_EQ(lever.has_value(), row.reads) << row.text;
    if (!lever) continue;
    EXPECT_EQ(lever->forwardM, row.forward);
    EXPECT_EQ(lever->rightM, row.right);
    EXPECT_EQ(lever->upM, row.up);
  }
}

TEST(CompareOptions, ReferenceQualityKeepsThatQualityOrBetter) {
  EXPECT_EQ(ParseReferenceQuality("rtk-float"), ReferenceQuality::RtkFloat);
  EXPECT_FALSE(ParseReferenceQuality("rtk"));
  const struct {
    FixQuality quality;
    bool any, dgps, rtkFloat, rtkFixed;
  } rows[] = {
      {FixQuality::Autonomous, true, false, false, false},
      {FixQuality::Differential, true, true, false, false},
      {FixQuality::RtkFloat, true, true, true, false},
      {FixQuality::RtkFixed, true, true, true, true},
      {FixQuality::DeadReckoning, true, false, false, false},
  };
  for (const auto& row : rows) {
    Epoch epoch;
    epoch.mode = FixMode::ThreeD;
    epoch.latitudeDeg = 48;
    epoch.longitudeDeg = 11;
    epoch.quality = row.quality;
    EXPECT_EQ(MeetsQuality(epoch, ReferenceQuality::Any), row.any);
    EXPECT_EQ(MeetsQuality(epoch, ReferenceQuality::Dgps), row.dgps);
    EXPECT_EQ(MeetsQuality(epoch, ReferenceQuality::RtkFloat), row.rtkFloat);
    EXPECT_EQ(MeetsQuality(epoch, ReferenceQuality::RtkFixed), row.rtkFixed);
  }
  Epoch noFix;
  EXPECT_FALSE(MeetsQuality(noFix, ReferenceQuality::Any));
}

}  // namespace
}  // namespace vetra
