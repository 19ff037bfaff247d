#include "ui/qt_messages.h"

#include <QMessageBox>

namespace vetra::ui {

void QtMessages::Show(const std::string& text, const std::string& title, Kind kind) {
  QMessageBox box(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                  parent_);
  box.setWindowModality(Qt::WindowModal);
  box.exec();
}

bool QtMessages::Ask(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                  QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  box.setWindowModality(Qt::WindowModal);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace vetra::ui
