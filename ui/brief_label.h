#pragma once
// A status-bar field with a whole text and a short form: it shows the whole text where its width
// has room for it and the short form otherwise (the compact window's 282 pixels), never a text
// cut in the middle. The short form is never wider than the field's minimum, which the longest
// short form sets, so the field does not jitter as a figure grows. The tooltip holds the details;
// a click shows them at once.

#include <QLabel>
#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>

namespace vetra::ui {

class BriefLabel : public QLabel {
  Q_OBJECT
 public:
  // longestBrief: the widest short form the field will show.
  BriefLabel(const QString& longestBrief, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    briefRoom_ = fontMetrics().horizontalAdvance(longestBrief) + 2 * margin() + 4;
  }

  void SetTexts(const QString& whole, const QString& brief) {
    whole_ = whole;
    brief_ = brief;
    updateGeometry();
    Choose();
  }
  const QString& wholeText() const { return whole_; }
  const QString& briefText() const { return brief_; }

  QSize sizeHint() const override {
    const int width = std::max(briefRoom_, fontMetrics().horizontalAdvance(whole_) + 8);
    return {width, QLabel::sizeHint().height()};
  }
  QSize minimumSizeHint() const override {
    return {briefRoom_, QLabel::minimumSizeHint().height()};
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Choose();
  }
  void mousePressEvent(QMouseEvent* event) override {
    QLabel::mousePressEvent(event);
    if (!toolTip().isEmpty()) QToolTip::showText(mapToGlobal(QPoint(0, 0)), toolTip(), this);
  }

 private:
  void Choose() {
    const bool fits = fontMetrics().horizontalAdvance(whole_) <= contentsRect().width() - 4;
    const QString& shown = fits ? whole_ : brief_;
    if (text() != shown) setText(shown);
  }

  QString whole_, brief_;
  int briefRoom_ = 0;
};

}  // namespace vetra::ui
