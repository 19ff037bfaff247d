#pragma once
// IMessages on the desktop: a window-modal QMessageBox with the exact text and title; questions
// with Yes and No, No the default.

#include <QPointer>
#include <QWidget>

#include "link/messages.h"

namespace vetra::ui {

class QtMessages final : public IMessages {
 public:
  explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Show(const std::string& text, const std::string& title, Kind kind = Kind::Error) override;
  bool Ask(const std::string& text, const std::string& title) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace vetra::ui
