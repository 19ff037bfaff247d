#include "ui/command_binding.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

#include "ui/command_widgets.h"

namespace vetra::ui {
namespace {

template <typename T>
T* Child(const QWidget* panel, const std::string& name) {
  return panel->findChild<T*>(QString::fromStdString(name));
}

}  // namespace

// The receiver takes single bytes: texts travel as Latin-1, one byte per character.
void ReadControls(const QWidget* panel, const std::vector<ControlRef>& controls) {
  for (const ControlRef& control : controls) {
    switch (control.kind) {
      case ControlKind::Text:
        if (auto* edit = Child<QLineEdit>(panel, control.name)) {
          *control.text = edit->text().toLatin1().toStdString();
        }
        break;
      case ControlKind::Choice:
        if (auto* choice = Child<ChoiceGroup>(panel, control.name)) {
          *control.choice = choice->position();
        }
        break;
      case ControlKind::Check:
        if (auto* box = Child<QCheckBox>(panel, control.name)) *control.check = box->isChecked();
        break;
    }
  }
}

void WriteControls(QWidget* panel, const std::vector<ControlRef>& controls) {
  for (const ControlRef& control : controls) {
    switch (control.kind) {
      case ControlKind::Text:
        if (auto* edit = Child<QLineEdit>(panel, control.name)) {
          if (control.maxLength > 0) edit->setMaxLength(static_cast<int>(control.maxLength));
          const QString text = QString::fromLatin1(control.text->data(),
                                                   static_cast<qsizetype>(control.text->size()));
          if (edit->text() != text) edit->setText(text);
        }
        break;
      case ControlKind::Choice:
        if (auto* choice = Child<ChoiceGroup>(panel, control.name)) {
          choice->SetPosition(*control.choice);
        }
        break;
      case ControlKind::Check:
        if (auto* box = Child<QCheckBox>(panel, control.name)) box->setChecked(*control.check);
        break;
    }
  }
}

std::vector<std::string> MissingControls(const QWidget* panel,
                                         const std::vector<ControlRef>& controls) {
  std::vector<std::string> missing;
  for (const ControlRef& control : controls) {
    bool found = false;
    switch (control.kind) {
      case ControlKind::Text:
        found = Child<QLineEdit>(panel, control.name) != nullptr;
        break;
      case ControlKind::Choice:
        found = Child<ChoiceGroup>(panel, control.name) != nullptr;
        break;
      case ControlKind::Check:
        found = Child<QCheckBox>(panel, control.name) != nullptr;
        break;
    }
    if (!found) missing.push_back(control.name);
  }
  return missing;
}

}  // namespace vetra::ui
