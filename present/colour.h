#pragma once
// Colours the screens draw, and the rule that keeps their texts readable: a text colour is
// checked against the background it is drawn on (WCAG 2 contrast ratio, at least 4.5:1), and where
// the prescribed colour falls short on one palette (dark green on a dark window, amber on a light
// one) a variant of the same hue, darker or lighter, is drawn instead. The prescribed colours stay
// the program's colours; only what reaches the screen is adjusted, per background.

#include <cstdint>

namespace vetra {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kAmber{255, 176, 0};  // "no answer" beside the acknowledgement indicators

inline constexpr double kMinTextContrast = 4.5;  // WCAG 2, level AA, normal text

// Relative luminance (0 black .. 1 white) of an sRGB colour.
double RelativeLuminance(Rgb colour);
// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ContrastRatio(Rgb a, Rgb b);

// The text colour drawn on background: the prescribed one when it reaches minContrast there,
// else the nearest mix of it with black (on a light background) or white (on a dark one) that
// does. The mix keeps the hue; it reaches the ratio whenever black or white would.
Rgb ReadableOn(Rgb text, Rgb background, double minContrast = kMinTextContrast);

// White or black, whichever reads better on a prescribed background (a verdict label's red).
Rgb TextOn(Rgb background);

}  // namespace vetra
