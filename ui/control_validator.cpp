#include "ui/control_validator.h"

#include "commands/control_values.h"

namespace vetra::ui {

ControlValidator::ControlValidator(const ControlDescriptor& control, QObject* parent)
    : QValidator(parent), control_(control) {}

QValidator::State ControlValidator::validate(QString& input, int&) const {
  switch (JudgeTyped(control_, input.toUtf8().toStdString())) {
    case TypedState::Acceptable:
      return Acceptable;
    case TypedState::Intermediate:
      return Intermediate;
    case TypedState::Invalid:
      break;
  }
  return Invalid;
}

}  // namespace vetra::ui
