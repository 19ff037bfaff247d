#pragma once
// Message boxes of the terminal tool: "title: text" on stderr, line breaks kept. The serial port's
// own messages (title "Error") in plain words (link/port_messages.h); those of an Open that failed
// are left to the open failure's message, which carries them.

#include <string>
#include <utility>

#include "util/messages.h"

namespace vetra {

inline constexpr char kPortErrorTitle[] = "Error";

class ConsoleMessages final : public IMessages {
 public:
  explicit ConsoleMessages(std::string program) : program_(std::move(program)) {}
  void Show(const std::string& text, const std::string& title, Kind kind) override;

 private:
  std::string program_;
};

}  // namespace vetra
