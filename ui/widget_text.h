#pragma once
// Small helpers that change a control only when its content differs, so that nothing is
// repainted (and nothing flickers) while the receiver repeats the same values.

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <string>

namespace vetra::ui {

inline void SetText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}
inline void SetText(QLabel* label, const std::string& text) {
  SetText(label, QString::fromStdString(text));
}
inline void SetText(QLineEdit* edit, const std::string& text) {
  const QString value = QString::fromStdString(text);
  if (edit->text() != value) edit->setText(value);
}

inline void SetTextColour(QWidget* widget, const QColor& colour) {
  if (widget->palette().color(QPalette::WindowText) == colour) return;
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Text, colour);
  widget->setPalette(palette);
}

}  // namespace vetra::ui
