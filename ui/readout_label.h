#pragma once
// A read-out of the View page: a sunken, right-aligned figure in the fixed font, with its unit
// ("m", "°") drawn after it inside the frame. The unit is not part of the label's text, which
// stays the figure alone; double-clicks are reported (lbLat and lbLong switch the coordinate
// format with one).

#include <QPainter>
#include <QStyle>

#include "present/view_model.h"
#include "ui/click_label.h"

namespace vetra::ui {

class ReadoutLabel : public ClickLabel {
  Q_OBJECT
 public:
  using ClickLabel::ClickLabel;

  // The unit takes the room of the (right-aligned) text's indent; the contents margins are the
  // frame's.
  void SetUnit(const QString& unit) {
    unit_ = unit;
    setIndent(unit.isEmpty() ? -1 : fontMetrics().horizontalAdvance(unit + ' ') + 2);
    update();
  }
  int unitWidth() const { return unit_.isEmpty() ? 0 : indent(); }
  const QString& unit() const { return unit_; }

 protected:
  void paintEvent(QPaintEvent* event) override {
    ClickLabel::paintEvent(event);
    if (unit_.isEmpty() || text() == QString::fromUtf8(kMissingValueText)) return;  // no "– m"
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QRect area = rect().adjusted(0, frameWidth(), -frameWidth() - 2, -frameWidth());
    p.drawText(area, Qt::AlignRight | Qt::AlignVCenter, unit_);
  }

 private:
  QString unit_;
};

}  // namespace vetra::ui
