#include "ui/qt_messages.h"

#include <QMessageBox>

namespace vetra::ui {

void QtMessages::Show(const std::string& text, const std::string& title, Kind kind) {
  const auto icon = kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information;
  if (withoutWaiting_) {
    auto* box = new QMessageBox(icon, QString::fromStdString(title), QString::fromStdString(text),
                                QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return;
  }
  QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  box.setWindowModality(Qt::WindowModal);
  box.exec();
}

bool QtMessages::Ask(const std::string& text, const std::string& title) {
  if (withoutWaiting_) return false;
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                  QString::fromStdString(text), QMessageBox::Ok | QMessageBox::Cancel, parent_);
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  box.setWindowModality(Qt::WindowModal);
  return box.exec() == QMessageBox::Ok;
}

}  // namespace vetra::ui
