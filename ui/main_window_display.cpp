// The main window's Display menu and its care for the palette: the View page's double-click
// gestures (coordinate format, 12 or 16 channels, window size) as menu entries with shortcuts, so
// that they can be found and reached from the keyboard; and the text colours of the pages derived
// again when the palette changes (a desktop switched to dark).

#include <QEvent>
#include <QMenuBar>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/page_control.h"
#include "ui/widget_text.h"

namespace vetra::ui {

void TfmTop::BuildDisplayMenu() {
  QMenu* display = menuBar()->addMenu("&Display");
  display->setObjectName("Display1");

  // Shift with Ctrl: the plain Ctrl letters belong to the edit fields (Ctrl+K, Ctrl+E ...).
  QAction* format = display->addAction("Next &coordinate format");
  format->setObjectName("CoordFormat1");
  format->setShortcut(QKeySequence("Ctrl+Shift+F"));
  format->setToolTip("Latitude and longitude in the next format (as a double-click on them)");
  connect(format, &QAction::triggered, this, [this] { viewPage_->NextCoordinateFormat(); });

  QAction* channels = display->addAction("12 / 16 c&hannels");
  channels->setObjectName("Channels1");
  channels->setShortcut(QKeySequence("Ctrl+Shift+H"));
  connect(channels, &QAction::triggered, this,
          [this] { conversation_->ToggleChannelCount(secondChip()); });

  QAction* size = display->addAction("&Larger / smaller window");
  size->setObjectName("WindowSize1");
  size->setShortcut(QKeySequence("Ctrl+Shift+L"));
  connect(size, &QAction::triggered, this, &TfmTop::ToggleWindowSize);
  // Only the View page changes size.
  size->setEnabled(pgCoder_->currentWidget() == viewPage_);
  connect(pgCoder_, &QTabWidget::currentChanged, size,
          [this, size] { size->setEnabled(pgCoder_->currentWidget() == viewPage_); });
}

void TfmTop::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    // The window hears of the change before its children take the new palette: derive the text
    // colours once they have.
    QTimer::singleShot(0, this, [this] { ReapplyTextColours(this); });
  }
}

}  // namespace vetra::ui
