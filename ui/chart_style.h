#pragma once
// Colours and helpers shared by the two chart widgets. The plot areas are dark because satellites
// that are not used in the fix are drawn white.

#include <QColor>
#include <QFont>

#include "monitor/view_model.h"

namespace vetra::ui {

inline QColor ToQColor(const Rgb& rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

inline const QColor kPlotBackground{0x16, 0x1a, 0x1f};
inline const QColor kPlotFrame{0x3a, 0x42, 0x4c};
inline const QColor kPlotGrid{0x4a, 0x55, 0x61};
inline const QColor kPlotText{0xb8, 0xc2, 0xcc};

// Bodies are filled with the view model's exact colour; outlines and labels use a lighter shade of
// the same hue, because dark green and pure blue are hard to read on the dark plot.
inline QColor LightShade(const Rgb& rgb) {
  if (rgb == kGreen) return QColor(0x2e, 0xc2, 0x4f);
  if (rgb == kBlue) return QColor(0x4a, 0x8c, 0xff);
  return ToQColor(rgb);
}

inline QFont ChartFont(const QFont& base, qreal pointSizeFactor = 0.85) {
  QFont font = base;
  if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * pointSizeFactor);
  return font;
}

}  // namespace vetra::ui
