#pragma once
// Colours and helpers shared by the chart widgets. The plot colours are the view model's
// (present/view_model.h), where their contrast is checked.

#include <QColor>
#include <QFont>

#include "present/view_model.h"

namespace vetra::ui {

inline QColor ToQColor(const Rgb& rgb) { return QColor(rgb.r, rgb.g, rgb.b); }
inline Rgb ToRgb(const QColor& colour) {
  return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
          static_cast<uint8_t>(colour.blue())};
}

inline const QColor kPlotBackground = ToQColor(vetra::kPlotBackground);
inline const QColor kPlotGrid = ToQColor(vetra::kPlotGrid);
inline const QColor kPlotText = ToQColor(vetra::kPlotText);

// Bodies are filled with the view model's exact colour; outlines and labels use a lighter shade of
// the same hue, because dark green and pure blue are hard to read on the dark plot.
inline QColor LightShade(const Rgb& rgb) { return ToQColor(PlotLabelColour(rgb)); }

inline QFont ChartFont(const QFont& base, qreal pointSizeFactor = 0.85) {
  QFont font = base;
  if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * pointSizeFactor);
  return font;
}

}  // namespace vetra::ui
