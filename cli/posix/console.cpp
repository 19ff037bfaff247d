#include "cli/console.h"

#include <unistd.h>

namespace vetra::cli {

void UseBinaryStreams() {}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace vetra::cli
