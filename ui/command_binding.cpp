#include "ui/command_binding.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

#include "ui/command_widgets.h"
#include "ui/control_validator.h"

namespace vetra::ui {
namespace {

template <typename T>
T* Child(const QWidget* panel, std::string_view name) {
  return panel->findChild<T*>(
      QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

}  // namespace

// Edits travel as UTF-8, as a terminal's arguments do; the control's row says what is accepted
// (a text goes to the receiver one byte per character, each U+0000..U+00FF).
void ReadControls(const QWidget* panel, const std::vector<ControlRef>& controls) {
  for (const ControlRef& control : controls) {
    const std::string_view name = control.descriptor->name;
    if (IsEdit(control.kind())) {
      if (auto* edit = Child<QLineEdit>(panel, name)) {
        *control.value.text = edit->text().toUtf8().toStdString();
      }
    } else if (control.kind() == ControlKind::Choice) {
      if (auto* choice = Child<ChoiceGroup>(panel, name))
        *control.value.choice = choice->position();
    } else if (auto* box = Child<QCheckBox>(panel, name)) {
      *control.value.check = box->isChecked();
    }
  }
}

void WriteControls(QWidget* panel, const std::vector<ControlRef>& controls) {
  for (const ControlRef& control : controls) {
    const std::string_view name = control.descriptor->name;
    if (IsEdit(control.kind())) {
      if (auto* edit = Child<QLineEdit>(panel, name)) {
        const size_t maxLength = control.descriptor->maxLength;
        if (maxLength > 0) edit->setMaxLength(static_cast<int>(maxLength));
        if (edit->validator() == nullptr)
          edit->setValidator(new ControlValidator(*control.descriptor, edit));
        const std::string& value = *control.value.text;
        const QString text = QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
        if (edit->text() != text) edit->setText(text);
      }
    } else if (control.kind() == ControlKind::Choice) {
      if (auto* choice = Child<ChoiceGroup>(panel, name))
        choice->SetPosition(*control.value.choice);
    } else if (auto* box = Child<QCheckBox>(panel, name)) {
      box->setChecked(*control.value.check);
    }
  }
}

std::vector<std::string> MissingControls(const QWidget* panel,
                                         const std::vector<ControlRef>& controls) {
  std::vector<std::string> missing;
  for (const ControlRef& control : controls) {
    const std::string_view name = control.descriptor->name;
    bool found = false;
    if (IsEdit(control.kind())) {
      found = Child<QLineEdit>(panel, name) != nullptr;
    } else if (control.kind() == ControlKind::Choice) {
      found = Child<ChoiceGroup>(panel, name) != nullptr;
    } else {
      found = Child<QCheckBox>(panel, name) != nullptr;
    }
    if (!found) missing.push_back(control.name());
  }
  return missing;
}

}  // namespace vetra::ui
