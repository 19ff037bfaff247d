// Text colours against the backgrounds they are drawn on: prescribed colours stay where they read
// (4.5:1), and a readable variant of the same hue takes their place where they do not.
#include "present/colour.h"

#include <gtest/gtest.h>

#include "present/view_model.h"

namespace vetra {
namespace {

constexpr Rgb kFusionWindow{0xef, 0xef, 0xef};  // Fusion's light window
constexpr Rgb kDarkWindow{0x35, 0x35, 0x35};    // the program's dark palette
constexpr Rgb kWhitePage{0xff, 0xff, 0xff};

TEST(Colour, ContrastRatioOfKnownPairs) {
  EXPECT_NEAR(ContrastRatio(kBlack, kWhite), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(kWhite, kWhite), 1.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(kGreen, kWhite), 5.13, 0.01);  // WebAIM: #008000 on white
}

TEST(Colour, ReadableVariantOnlyWhereThePrescribedColourFallsShort) {
  struct Case {
    Rgb text, background;
    bool kept;
  };
  const Case cases[] = {
      {kGreen, kWhitePage, true},     {kGreen, kFusionWindow, false},  // 4.47: just short
      {kGreen, kDarkWindow, false},   {kRed, kFusionWindow, false},   {kRed, kDarkWindow, false},
      {kBlue, kFusionWindow, true},   {kBlue, kDarkWindow, false},    {kAmber, kDarkWindow, true},
      {kAmber, kFusionWindow, false}, {kGrey, kDarkWindow, false},
  };
  for (const Case& c : cases) {
    const Rgb shown = ReadableOn(c.text, c.background);
    EXPECT_GE(ContrastRatio(shown, c.background), kMinTextContrast);
    EXPECT_EQ(shown == c.text, c.kept)
        << int(c.text.r) << "," << int(c.text.g) << " on " << int(c.background.r);
  }
  // The variant keeps the hue: dark green stays a green, only lighter on the dark window, and
  // only as much as needed on the light one.
  const Rgb onDark = ReadableOn(kGreen, kDarkWindow);
  EXPECT_GT(onDark.g, onDark.r);
  EXPECT_GT(onDark.g, 128);
  const Rgb onLight = ReadableOn(kGreen, kFusionWindow);
  EXPECT_EQ(onLight.r, 0);
  EXPECT_GE(onLight.g, 120);
}

TEST(Colour, ChartLabelsAndVerdictTextsRead) {
  for (const Rgb satellite : {kGreen, kBlue, kWhite}) {
    EXPECT_GE(ContrastRatio(PlotLabelColour(satellite), kPlotBackground), kMinTextContrast);
  }
  EXPECT_GE(ContrastRatio(kPlotText, kPlotBackground), kMinTextContrast);
  for (const Rgb verdict : {kGreen, kRed}) {
    EXPECT_GE(ContrastRatio(TextOn(verdict), verdict), kMinTextContrast);
  }
}

}  // namespace
}  // namespace vetra
