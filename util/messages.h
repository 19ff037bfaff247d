#pragma once
// Message boxes with a fixed text and title, and questions a user answers before something that
// cannot be undone. The desktop program shows a QMessageBox; the terminal prints to stderr and
// never asks (it acts as it was told on its command line, so that scripts keep working); tests
// record them and answer as they choose.

#include <string>

namespace vetra {

class IMessages {
 public:
  enum class Kind { Error, Information };
  virtual ~IMessages() = default;
  virtual void Show(const std::string& text, const std::string& title, Kind kind = Kind::Error) = 0;
  // True when the user goes ahead. The window's question has Cancel as its default button;
  // where nobody is asked (the terminal), the answer is yes.
  virtual bool Ask(const std::string& text, const std::string& title) {
    (void)text;
    (void)title;
    return true;
  }
};

// Messages that nobody sees (a default where no one is listening).
class SilentMessages final : public IMessages {
 public:
  void Show(const std::string&, const std::string&, Kind) override {}
};

}  // namespace vetra
