#include "ui/command_widgets.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace vetra::ui {
namespace {

QFont FixedFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

int CharsWidth(const QFontMetrics& metrics, int chars) {
  return metrics.horizontalAdvance(QString(chars, '0')) + 12;
}

}  // namespace

ChoiceGroup::ChoiceGroup(const char* name, const QString& title, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)), grid_(new QGridLayout(this)) {
  setObjectName(name);
  grid_->setContentsMargins(6, 2, 6, 2);
  grid_->setHorizontalSpacing(8);
  grid_->setVerticalSpacing(0);
  connect(group_, &QButtonGroup::idClicked, this, &ChoiceGroup::clicked);
}

void ChoiceGroup::SetItems(const std::vector<std::string>& items, int columns) {
  for (QRadioButton* button : buttons_) {
    group_->removeButton(button);
    delete button;
  }
  buttons_.clear();
  columns = std::max(1, columns);
  const int count = static_cast<int>(items.size());
  const int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i) {
    // An '&' in an item ("Read status & configuration") is text, not a shortcut mark.
    auto* button = new QRadioButton(QString::fromStdString(items[i]).replace('&', "&&"), this);
    group_->addButton(button, i);
    grid_->addWidget(button, i % rows, i / rows);
    buttons_.push_back(button);
  }
  // The items keep to the left; the group's spare width stays after the last column.
  for (int c = 0; c <= columns; ++c) grid_->setColumnStretch(c, c == columns ? 1 : 0);
}

QString ChoiceGroup::itemText(int position) const {
  QRadioButton* b = button(position);
  return b != nullptr ? b->text().replace("&&", "&") : QString();
}

QRadioButton* ChoiceGroup::button(int position) const {
  if (position < 0 || position >= count()) return nullptr;
  return buttons_[position];
}

int ChoiceGroup::position() const { return group_->checkedId(); }

void ChoiceGroup::SetPosition(int position) {
  if (QRadioButton* b = button(position)) {
    b->setChecked(true);
    return;
  }
  // An exclusive group never unchecks its last button by itself.
  group_->setExclusive(false);
  for (QRadioButton* b : buttons_) b->setChecked(false);
  group_->setExclusive(true);
}

void Field::SetVisible(bool visible) const {
  caption->setVisible(visible);
  edit->setVisible(visible);
}

QLineEdit* NumberEdit(const char* name, const QString& text, int chars, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setFont(FixedFont());
  edit->setAlignment(Qt::AlignRight);
  edit->setFixedWidth(CharsWidth(edit->fontMetrics(), chars));
  return edit;
}

Field MakeField(const char* name, const QString& caption, const QString& text, int chars,
                QWidget* parent) {
  Field field;
  field.edit = NumberEdit(name, text, chars, parent);
  field.caption = new QLabel(caption, parent);
  field.caption->setObjectName(QString(name) + "Caption");
  field.caption->setBuddy(field.edit);
  return field;
}

QLabel* ValueLabel(const char* name, int chars, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFont(FixedFont());
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  label->setMinimumWidth(CharsWidth(label->fontMetrics(), chars));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QPlainTextEdit* Memo(const char* name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setFont(FixedFont());
  return memo;
}

QProgressBar* ProgressBar(const char* name, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setRange(0, 1);  // a maximum of 0 would make Qt show a busy bar
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

void SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  QStringList list;
  for (const auto& line : lines) list << QString::fromStdString(line);
  memo->setPlainText(list.join('\n'));
}

}  // namespace vetra::ui
