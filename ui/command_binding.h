#pragma once
// Moves a panel's values between its widgets and the core's panel structs. The command's catalogue
// row names each control (the objectName of its widget) and points at the struct member that holds
// it; an edit (integer, hex, real, text) is a QLineEdit, a choice a ChoiceGroup, a check a
// QCheckBox.

#include <vector>

#include "commands/panel_controls.h"

class QWidget;

namespace vetra::ui {

// Widgets -> struct, before an encoder or a panel rule reads the struct.
void ReadControls(const QWidget* panel, const std::vector<ControlRef>& controls);
// Struct -> widgets, after a rule or an encoder changed the struct. Also gives each edit the
// validator of its control and limits it to the length its conversion reads.
void WriteControls(QWidget* panel, const std::vector<ControlRef>& controls);

// The control names that have no widget in panel (a panel built without one of its controls).
std::vector<std::string> MissingControls(const QWidget* panel,
                                         const std::vector<ControlRef>& controls);

}  // namespace vetra::ui
