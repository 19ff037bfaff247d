#pragma once
// Message boxes with a fixed text and title, and questions. The desktop program shows a
// QMessageBox; the terminal prints to stderr and never asks; tests record them and answer.

#include <string>

namespace vetra {

class IMessages {
 public:
  enum class Kind { Error, Information };
  virtual ~IMessages() = default;
  virtual void Show(const std::string& text, const std::string& title, Kind kind = Kind::Error) = 0;
  // A question with Yes and No, No the default; true when the user answered Yes. Where nobody
  // can answer, the answer is No.
  virtual bool Ask(const std::string& text, const std::string& title) {
    (void)text;
    (void)title;
    return false;
  }
};

// Messages that nobody sees (a default where no one is listening).
class SilentMessages final : public IMessages {
 public:
  void Show(const std::string&, const std::string&, Kind) override {}
};

}  // namespace vetra
