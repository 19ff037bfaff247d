#pragma once
// IMessages on the desktop: a window-modal QMessageBox with the exact text and title; questions
// offer OK and Cancel, with Cancel as the default button. Without waiting (--screenshot), a box is
// shown and left on screen, and a question is answered Cancel at once.

#include <QPointer>
#include <QWidget>

#include "util/messages.h"

namespace vetra::ui {

class QtMessages final : public IMessages {
 public:
  explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void SetWithoutWaiting(bool withoutWaiting) { withoutWaiting_ = withoutWaiting; }
  void Show(const std::string& text, const std::string& title, Kind kind = Kind::Error) override;
  bool Ask(const std::string& text, const std::string& title) override;

 private:
  QPointer<QWidget> parent_;
  bool withoutWaiting_ = false;
};

}  // namespace vetra::ui
