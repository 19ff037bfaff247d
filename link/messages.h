#pragma once
// Message boxes with a fixed text and title. The desktop program shows a QMessageBox; the terminal
// prints to stderr; tests record them.

#include <string>

namespace vetra {

class IMessages {
 public:
  enum class Kind { Error, Information };
  virtual ~IMessages() = default;
  virtual void Show(const std::string& text, const std::string& title, Kind kind = Kind::Error) = 0;
};

// Messages that nobody sees (a default where no one is listening).
class SilentMessages final : public IMessages {
 public:
  void Show(const std::string&, const std::string&, Kind) override {}
};

}  // namespace vetra
