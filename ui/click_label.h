#pragma once
// A label that reports double-clicks (lbLat and lbLong switch the coordinate format with one).

#include <QLabel>
#include <QMouseEvent>

namespace vetra::ui {

class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 Q_SIGNALS:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    event->accept();
    Q_EMIT doubleClicked();
  }
};

}  // namespace vetra::ui
