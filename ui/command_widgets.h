#pragma once
// The small building blocks of the command panels: a titled choice of radio buttons (the panels'
// radio groups rgXxx, whose items some rules rebuild), labelled edits whose caption hides with
// them, read-only value fields and memos. Numbers are typed and shown in the fixed font.

#include <QGroupBox>
#include <QString>
#include <string>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vetra::ui {

// A radio group: one titled box, items in `columns` columns filled top to bottom, at most one
// chosen. position() is the chosen item's position, -1 while none is chosen.
class ChoiceGroup : public QGroupBox {
  Q_OBJECT
 public:
  ChoiceGroup(const char* name, const QString& title, QWidget* parent);

  // Replaces the items; afterwards no item is chosen.
  void SetItems(const std::vector<std::string>& items, int columns = 1);
  int count() const { return static_cast<int>(buttons_.size()); }
  QString itemText(int position) const;
  QRadioButton* button(int position) const;
  int position() const;
  void SetPosition(int position);  // -1 (or a position that does not exist) chooses none

 Q_SIGNALS:
  void clicked(int position);  // the user chose an item (not emitted by SetPosition)

 private:
  QButtonGroup* group_;
  QGridLayout* grid_;
  std::vector<QRadioButton*> buttons_;
};

// A labelled edit: the caption and the edit, shown and hidden together.
struct Field {
  QLabel* caption = nullptr;
  QLineEdit* edit = nullptr;
  void SetVisible(bool visible) const;
};

// An edit for a number typed by the user, `chars` characters wide, in the fixed font.
QLineEdit* NumberEdit(const char* name, const QString& text, int chars, QWidget* parent);
// A caption and a NumberEdit.
Field MakeField(const char* name, const QString& caption, const QString& text, int chars,
                QWidget* parent);
// A read-only value (a reply field), right-aligned in the fixed font.
QLabel* ValueLabel(const char* name, int chars, QWidget* parent);
QPlainTextEdit* Memo(const char* name, QWidget* parent);
QProgressBar* ProgressBar(const char* name, QWidget* parent);
QPushButton* Button(const char* name, const QString& caption, QWidget* parent);

void SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines);

}  // namespace vetra::ui
