#include "ui/window_placement.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTabWidget>

namespace vetra::ui {
namespace {

constexpr int kCompactWidth = 282, kPagesWidth = 300, kPageHeight = 405;
constexpr int kExpandedWidth = 720, kExpandedHeightK700 = 645, kExpandedHeightK900 = 713;

}  // namespace

QSize StartSize(PageLayout layout, bool secondChip) {
  switch (layout) {
    case PageLayout::Compact:
      return {kCompactWidth, kPageHeight};
    case PageLayout::Expanded:
      return {kExpandedWidth, secondChip ? kExpandedHeightK900 : kExpandedHeightK700};
    case PageLayout::Pages:
      break;
  }
  return {kPagesWidth, kPageHeight};
}

const char* LayoutKey(PageLayout layout) {
  switch (layout) {
    case PageLayout::Compact:
      return "compact";
    case PageLayout::Expanded:
      return "expanded";
    case PageLayout::Pages:
      break;
  }
  return "pages";
}

std::map<std::string, WindowPlace> WindowPlacement::Collect() {
  KeepUserPlace();
  if (layout_) {
    places_[LayoutKey(*layout_)] = {window_.pos().x(), window_.pos().y(), window_.width(),
                                    window_.height()};
  }
  return places_;
}

void WindowPlacement::Take(PageLayout layout, bool secondChip) {
  KeepUserPlace();
  layout_ = layout;
  const auto kept = places_.find(LayoutKey(layout));
  const QSize wanted = kept != places_.end() && kept->second.valid()
                           ? QSize(kept->second.width, kept->second.height)
                           : StartSize(layout, secondChip);
  // The layouts settle their minimum sizes first, so that a smaller size is taken at once (the
  // nested layouts ask for it by posted events: taken now, or the expanded View's minimum would
  // hold "Smaller" at its size); where the contents need more (large fonts), the window keeps
  // what they need.
  if (QWidget* shown = pages_.currentWidget()) shown->updateGeometry();
  for (int depth = 0; depth < 8; ++depth) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }
  if (window_.layout() != nullptr) window_.layout()->activate();
  const QSize fitted = FitToScreen(wanted);
  window_.resize(fitted);
  sizeSet_ =
      fitted.expandedTo(window_.minimumSize());  // what the window takes, whenever it takes it
}

void WindowPlacement::KeepUserPlace() {
  // A size the program did not give is the user's: it is kept for the layout it was given to.
  if (!layout_ || window_.size() == sizeSet_) return;
  places_[LayoutKey(*layout_)] = {window_.pos().x(), window_.pos().y(), window_.width(),
                                  window_.height()};
}

QSize WindowPlacement::FitToScreen(QSize size) const {
  const QScreen* shown = window_.screen();
  if (shown == nullptr) return size;
  const QSize frame = window_.frameGeometry().size() - window_.geometry().size();  // 0 until shown
  return size.boundedTo(shown->availableGeometry().size() - frame);
}

void WindowPlacement::RestorePosition() {
  if (!layout_) return;
  const auto kept = places_.find(LayoutKey(*layout_));
  if (kept == places_.end() || !kept->second.valid()) return;
  const QRect place(kept->second.x, kept->second.y, kept->second.width, kept->second.height);
  // Only where a screen is now: a monitor unplugged since must not take the window with it.
  for (const QScreen* s : QGuiApplication::screens()) {
    if (s->availableGeometry().intersects(place)) {
      window_.move(place.topLeft());
      return;
    }
  }
}

}  // namespace vetra::ui
