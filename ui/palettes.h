#pragma once
// The two palettes the program can be asked for (vetra-viewer --palette light|dark) where the
// desktop does not hand Qt its own: Fusion's light one, and a dark one in the same spirit. The
// colours the program draws itself are checked against whichever palette is in use
// (ui/widget_text.h), so the pages read on both.

#include <QPalette>

namespace vetra::ui {

QPalette LightPalette();
QPalette DarkPalette();

}  // namespace vetra::ui
