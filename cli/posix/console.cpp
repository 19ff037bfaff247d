#include "cli/console.h"

#include <unistd.h>

namespace vetra::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseBinaryStreams() {}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace vetra::cli
