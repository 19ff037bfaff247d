#pragma once
// The validator of a command panel's edit, made from its control's catalogue row: characters the
// control never takes (a letter in a number, a "0x", a character outside single bytes) and more
// digits than its field holds are refused as they are typed; a value still out of range may stay
// while it is edited, and Send refuses it with a message (commands/control_values.h).

#include <QValidator>

#include "commands/command_descriptor.h"

namespace vetra::ui {

class ControlValidator final : public QValidator {
 public:
  ControlValidator(const ControlDescriptor& control, QObject* parent);
  State validate(QString& input, int& position) const override;

 private:
  const ControlDescriptor& control_;
};

}  // namespace vetra::ui
