#include "cli/console_messages.h"

#include <cstdio>

#include "link/port_messages.h"

namespace vetra {

void ConsoleMessages::Show(const std::string& text, const std::string& title, Kind) {
  if (title == kPortErrorTitle) {
    // The port's own texts in plain words; one shown while opening is told by the open failure.
    if (IsPortSetupMessage(text)) return;
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), PlainPortMessage(text).c_str());
    return;
  }
  std::fprintf(stderr, "%s: %s: %s\n", program_.c_str(), title.c_str(), text.c_str());
}

}  // namespace vetra
