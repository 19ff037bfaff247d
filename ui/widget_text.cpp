#include "ui/widget_text.h"

#include "present/colour.h"
#include "ui/chart_style.h"

namespace vetra::ui {
namespace {

constexpr char kTextColourProperty[] = "vetraTextColour";

QColor Background(const QWidget* widget) {
  return widget->palette().color(widget->backgroundRole());
}

void ApplyTextColour(QWidget* widget, const QColor& shown) {
  if (widget->palette().color(QPalette::WindowText) == shown &&
      widget->palette().color(QPalette::Text) == shown) {
    return;
  }
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, shown);
  palette.setColor(QPalette::Text, shown);
  palette.setColor(QPalette::ButtonText, shown);
  widget->setPalette(palette);
}

}  // namespace

QColor ReadableTextColour(const QWidget* widget, const QColor& colour) {
  return ToQColor(ReadableOn(ToRgb(colour), ToRgb(Background(widget))));
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  if (!colour.isValid()) {
    if (!widget->property(kTextColourProperty).isValid()) return;
    widget->setProperty(kTextColourProperty, QVariant());
    widget->setPalette(QPalette());  // inherits every role again
    return;
  }
  widget->setProperty(kTextColourProperty, colour);
  ApplyTextColour(widget, ReadableTextColour(widget, colour));
}

void ReapplyTextColours(QWidget* root) {
  for (QWidget* widget : root->findChildren<QWidget*>()) {
    const QVariant colour = widget->property(kTextColourProperty);
    if (colour.isValid())
      ApplyTextColour(widget, ReadableTextColour(widget, colour.value<QColor>()));
  }
}

void SetVerdictColours(QWidget* widget, const QColor& background) {
  widget->setProperty(kTextColourProperty, QVariant());
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::WindowText, ToQColor(TextOn(ToRgb(background))));
  widget->setPalette(palette);
}

}  // namespace vetra::ui
