#pragma once
// Small helpers that change a control only when its content differs, so that nothing is
// repainted (and nothing flickers) while the receiver repeats the same values; and the one way a
// control's text gets a colour of its own, readable on the palette in use.

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

// Gives the widget's text the colour, or, where that colour does not reach a contrast of 4.5:1 on
// the widget's background in the current palette, the readable variant of it (present/colour.h).
// The colour asked for is kept with the widget, so that a change of palette (a dark desktop)
// derives it again: ReapplyTextColours. An invalid colour (QColor()) gives the text back to the
// palette.
void SetTextColour(QWidget* widget, const QColor& colour);
// The colour SetTextColour draws for colour on this widget's background.
QColor ReadableTextColour(const QWidget* widget, const QColor& colour);
// After a change of palette: every widget below root that has a text colour of its own.
void ReapplyTextColours(QWidget* root);
// A label on a background colour of its own (a verdict): that background with white or black text,
// whichever reads better on it.
void SetVerdictColours(QWidget* widget, const QColor& background);

}  // namespace vetra::ui
