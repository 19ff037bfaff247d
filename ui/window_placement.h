#pragma once
// Where the main window stands and how large it is. Each page layout (app/page_rules.h's
// PageLayout) starts at its own size; a size the user gave a layout is kept for it, across tab
// changes and runs ([Desk] Window.<layout>); a size is never beyond the available screen, and the
// last run's position is taken only where a screen is now.

#include <QSize>
#include <map>
#include <optional>
#include <string>

#include "app/page_rules.h"
#include "app/settings.h"

class QTabWidget;
class QWidget;

namespace vetra::ui {

// The size a layout starts at: the compact View 282 x 405, the expanded View 720 wide and as
// high as its grid needs for the chip's channels, the other pages 300 x 405.
QSize StartSize(PageLayout layout, bool secondChip);
// The layout's name in the settings file: "compact", "expanded", "pages".
const char* LayoutKey(PageLayout layout);

class WindowPlacement {
 public:
  // window: the main window; pages: its page control, whose shown page settles its layout first.
  WindowPlacement(QWidget& window, QTabWidget& pages) : window_(window), pages_(pages) {}

  // What the last run remembered, by layout name.
  void Restore(std::map<std::string, WindowPlace> places) { places_ = std::move(places); }
  // What this run leaves for the next: the layout shown now at the window's place.
  std::map<std::string, WindowPlace> Collect();

  // The window takes the layout: the size the user gave it, else its start size.
  void Take(PageLayout layout, bool secondChip);
  // The window moves to where the layout shown now stood, if a screen is there.
  void RestorePosition();

 private:
  void KeepUserPlace();
  QSize FitToScreen(QSize size) const;

  QWidget& window_;
  QTabWidget& pages_;
  std::map<std::string, WindowPlace> places_;  // by layout name
  std::optional<PageLayout> layout_;           // the layout whose size the window has
  QSize sizeSet_;                              // the size the program gave it
};

}  // namespace vetra::ui
