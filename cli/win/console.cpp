#include "cli/console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace vetra::cli {

void UseBinaryStreams() {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
}

bool StderrIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

}  // namespace vetra::cli
